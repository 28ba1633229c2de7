#pragma once

#include <QDialog>
#include <QEvent>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <initializer_list>
#include <utility>

namespace ornibe::test {

// Drives a page loop: each time one of the watched pages is shown, the next
// step runs on it. A step must end its page; a page left open, a page other
// than the step expects, or a page with no step left ends the page with -1
// and is recorded as a failure.
class PageScript : public QObject {
public:
    explicit PageScript(std::initializer_list<QDialog*> pages) {
        for (QDialog* page : pages) {
            page->installEventFilter(this);
        }
    }

    void then(QDialog& page, std::function<void()> action) {
        steps_.push_back({&page, std::move(action)});
    }

    QStringList shown;
    QStringList failures;

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            auto* page = static_cast<QDialog*>(object);
            shown << page->objectName();
            QTimer::singleShot(0, page, [this, page] { runStep(page); });
        }
        return false;
    }

private:
    void runStep(QDialog* page) {
        if (steps_.empty() || steps_.front().first != page) {
            failures << "unexpected " + page->objectName();
            page->done(-1);
            return;
        }
        auto action = steps_.front().second;
        steps_.pop_front();
        action();
        if (page->isVisible()) {
            failures << "left open: " + page->objectName();
            page->done(-1);
        }
    }

    std::deque<std::pair<QDialog*, std::function<void()>>> steps_;
};

} // namespace ornibe::test
