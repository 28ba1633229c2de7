#include "ui/CopyProgressDialog.h"

#include "wizard/CopyStopQuestion.h"

#include <QCloseEvent>

namespace ornibe {

CopyProgressDialog::CopyProgressDialog(MessageBox& messages, const QString& label,
                                       const QString& cancelText, QWidget* parent)
    : QProgressDialog(label, cancelText, 0, 1000, parent), messages_(messages) {}

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
