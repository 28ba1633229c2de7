#pragma once

#include "runner/MessageBox.h"

#include <QCoreApplication>

#include <string>

namespace ornibe {

// The message box on screen: a modal QMessageBox titled "ornibe" with the
// button texts of the system's own boxes, in the language of the pages.
class QtMessageBox : public MessageBox {
    Q_DECLARE_TR_FUNCTIONS(QtMessageBox)

public:
    MessageAnswer show(const std::string& text, MessageStyle style) override;
};

} // namespace ornibe
