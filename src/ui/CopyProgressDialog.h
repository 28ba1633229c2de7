#pragma once

#include "runner/MessageBox.h"

#include <QProgressDialog>

namespace ornibe {

// The progress window of the CD copy. Its cancel button stops the copy at
// once; Escape and the close box, easily pressed by chance during a long
// copy, ask first (see CopyStopQuestion.h).
class CopyProgressDialog : public QProgressDialog {
    Q_OBJECT
public:
    CopyProgressDialog(MessageBox& messages, const QString& label, const QString& cancelText,
                       QWidget* parent);

public slots:
    // Escape.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MessageBox& messages_;
};

} // namespace ornibe
