#pragma once

#include "runner/MessageBox.h"

#include <functional>
#include <string>

namespace ornibe {

// Every message box of the wizard goes through one replaceable function.
// The program installs the on-screen box at start-up; tests install a
// script that answers and records each box.
using MessageBoxFunction =
    std::function<MessageAnswer(const std::string& text, MessageStyle style)>;

// Installs the function and returns the one it replaces. An empty function
// restores the fallback, which shows nothing and answers with the safe
// button (Cancel or No, or OK for a box that has only OK).
MessageBoxFunction setMessageBoxFunction(MessageBoxFunction function);

// Shows a box through the installed function.
MessageAnswer showMessageBox(const std::string& text, MessageStyle style);

// The MessageBox interface over the installed function, for code that takes
// a MessageBox&.
class HookedMessageBox : public MessageBox {
public:
    MessageAnswer show(const std::string& text, MessageStyle style) override {
        return showMessageBox(text, style);
    }
};

} // namespace ornibe
