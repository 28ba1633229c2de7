#include "support/ScriptedMessageBox.h"

namespace ornibe::test {

MessageAnswer ScriptedMessageBox::show(const std::string& text, MessageStyle style) {
    shown_.push_back({text, style});
    if (!answers_.empty()) {
        MessageAnswer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    return style.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

} // namespace ornibe::test
