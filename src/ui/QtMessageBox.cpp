#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QGridLayout>
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
        second = box.addButton(tr("キャンセル"), QMessageBox::RejectRole);
        box.setEscapeButton(second);
        break;
    case MessageButtons::YesNo:
        // A yes/no box cannot be dismissed without an answer.
        first = box.addButton(tr("はい(&Y)"), QMessageBox::YesRole);
        second = box.addButton(tr("いいえ(&N)"), QMessageBox::NoRole);
        break;
    }
    box.setDefaultButton(style.secondIsDefault && second ? second : first);
    // A box with a short text is narrower than its title bar needs, and the
    // window manager then shows "…" for the title: keep room for the
    // program's name and the title bar's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) +
                    box.fontMetrics().averageCharWidth() * 24;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
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
