#include "cli/TerminalMessages.h"

#include "cli/TerminalText.h"

namespace ornibe {

MessageAnswer TerminalMessages::show(const std::string& text, MessageStyle style) {
    std::fprintf(out_, "ornibe-build: %s\n", text.c_str());
    // A refusal that an option mends names it.
    for (const std::string& hint : optionHints(text)) {
        std::fprintf(out_, "ornibe-build: %s\n", hint.c_str());
    }
    if (style.buttons == MessageButtons::Ok) {
        return MessageAnswer::Ok;
    }
    if (answerYes_ && answered_.insert(text).second) {
        return style.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    if (!answerYes_) {
        std::fprintf(out_, "ornibe-build: %s\n", terminalText(TerminalText::AnsweredNo).c_str());
    }
    return safeAnswer(style);
}

} // namespace ornibe
