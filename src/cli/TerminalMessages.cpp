#include "cli/TerminalMessages.h"

namespace ornibe {

MessageAnswer TerminalMessages::show(const std::string& text, MessageStyle style) {
    std::fprintf(out_, "ornibe-build: %s\n", text.c_str());
    if (style.buttons == MessageButtons::Ok) {
        return MessageAnswer::Ok;
    }
    if (answerYes_ && answered_.insert(text).second) {
        return style.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    if (!answerYes_) {
        std::fprintf(out_, "ornibe-build: answered no; --yes answers yes\n");
    }
    return safeAnswer(style);
}

} // namespace ornibe
