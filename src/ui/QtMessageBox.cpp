#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace ornibe {

MessageAnswer QtMessageBox::show(const std::string& text, MessageStyle style) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("ornibe"));
    box.setText(QString::fromStdString(text));
    switch (style.icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }

    QPushButton* first = nullptr;
    QPushButton* second = nullptr;
    switch (style.buttons) {
    case MessageButtons::Ok:
        first = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setEscapeButton(first);
        break;
    case MessageButtons::OkCancel:
        first = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        second = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
        box.setEscapeButton(second);
        break;
    case MessageButtons::YesNo:
        // A yes/no box cannot be dismissed without an answer.
        first = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        second = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        break;
    }
    box.setDefaultButton(style.secondIsDefault && second ? second : first);
    box.exec();

    bool firstChosen = box.clickedButton() == first;
    switch (style.buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        return firstChosen ? MessageAnswer::Ok : MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return firstChosen ? MessageAnswer::Yes : MessageAnswer::No;
    }
    return MessageAnswer::Cancel;
}

} // namespace ornibe
