#pragma once

#include "runner/MessageBox.h"

#include <cstdio>
#include <set>
#include <string>

namespace ornibe {

// The wizard's message boxes on a terminal, where nobody answers: every
// text goes to standard error; a question is answered yes only when the
// user said so beforehand (--yes), and then only the first time it is
// asked, so that a question that comes back (a disc that never appears)
// cannot loop. Refused questions are remembered for the exit status.
class TerminalMessages : public MessageBox {
public:
    TerminalMessages(std::FILE* out, bool answerYes) : out_(out), answerYes_(answerYes) {}

    MessageAnswer show(const std::string& text, MessageStyle style) override;

private:
    std::FILE* out_;
    bool answerYes_;
    std::set<std::string> answered_;
};

} // namespace ornibe
