#pragma once

#include <string>

namespace ornibe {

// A message box as the program shows it: a text, a set of buttons, an icon
// and which button is the default. The screen implements it; tests answer
// it from a script.

enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageIcon { None, Information, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageStyle {
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    // The second button (Cancel or No) is the default instead of the first.
    bool secondIsDefault = false;

    bool operator==(const MessageStyle&) const = default;
};

// The answer that takes no step: OK for a box with one button, Cancel or
// No otherwise. Given for a box that nobody can answer.
inline MessageAnswer safeAnswer(MessageStyle style) {
    switch (style.buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
        return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    }
    return MessageAnswer::Cancel;
}

class MessageBox {
public:
    virtual ~MessageBox() = default;
    // Shows the text (host text, UTF-8) and waits for the user's answer.
    virtual MessageAnswer show(const std::string& text, MessageStyle style) = 0;
};

} // namespace ornibe
