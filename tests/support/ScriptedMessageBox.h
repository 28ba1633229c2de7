#pragma once

#include "sys/MessageBox.h"

#include <deque>
#include <string>
#include <vector>

namespace ornibe::test {

// A message box that records what it was asked and answers from a script;
// with the script used up it answers with the first button of the style.
class ScriptedMessageBox : public MessageBox {
public:
    struct Shown {
        std::string text;
        MessageStyle style;
    };

    void answerNext(MessageAnswer answer) { answers_.push_back(answer); }
    const std::vector<Shown>& shown() const { return shown_; }

    MessageAnswer show(const std::string& text, MessageStyle style) override;

private:
    std::deque<MessageAnswer> answers_;
    std::vector<Shown> shown_;
};

} // namespace ornibe::test
