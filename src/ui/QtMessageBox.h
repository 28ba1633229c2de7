#pragma once

#include "runner/MessageBox.h"

#include <string>

namespace ornibe {

// The message box on screen: a modal QMessageBox titled "ornibe" with the
// Japanese button texts of the system's own boxes.
class QtMessageBox : public MessageBox {
public:
    MessageAnswer show(const std::string& text, MessageStyle style) override;
};

} // namespace ornibe
