#include "ui/CopyProgressDialog.h"

#include "wizard/CopyStopQuestion.h"

#include <QCloseEvent>
#include <QKeySequence>
#include <QShortcut>

namespace ornibe {

CopyProgressDialog::CopyProgressDialog(MessageBox& messages, const QString& label,
                                       const QString& cancelText, QWidget* parent)
    : QProgressDialog(label, cancelText, 0, 1000, parent), messages_(messages) {
    // QProgressDialog binds Escape to its cancel signal through a shortcut
    // of its own; without it, Escape reaches reject() below and asks.
    for (QShortcut* shortcut : findChildren<QShortcut*>()) {
        if (shortcut->key() == QKeySequence(QKeySequence::Cancel)) {
            shortcut->setEnabled(false);
        }
    }
}

void CopyProgressDialog::reject() {
    // cancel() marks the copy as cancelled without a close event, so the
    // question is not asked twice.
    if (copyStopWanted(CopyStopGesture::EscapeOrClose, messages_)) {
        cancel();
    }
}

void CopyProgressDialog::closeEvent(QCloseEvent* event) {
    if (copyStopWanted(CopyStopGesture::EscapeOrClose, messages_)) {
        QProgressDialog::closeEvent(event);
    } else {
        event->ignore();
    }
}

} // namespace ornibe
