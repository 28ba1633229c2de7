#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace ornibe::test {

// Runs a page with exec() and drives it from a zero-delay timer set before
// the call. When the drive leaves the page open (a failed check returned
// early), the page is ended with -99 so that the test fails instead of
// hanging.
inline int execDriven(QDialog& page, const std::function<void()>& drive) {
    QTimer::singleShot(0, &page, [&page, drive] {
        drive();
        if (page.isVisible()) {
            page.done(-99);
        }
    });
    return page.exec();
}

// Runs a check on the modal dialog that the next action opens (the about
// box), from a zero-delay timer set before the action.
inline void onNextModal(const std::function<void(QWidget*)>& check) {
    QTimer::singleShot(0, qApp, [check] { check(QApplication::activeModalWidget()); });
}

template <typename T> T* child(QWidget& parent, const char* name) {
    return parent.findChild<T*>(QString::fromLatin1(name));
}

} // namespace ornibe::test
