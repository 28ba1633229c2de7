#pragma once

#include "runner/MessageBox.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace ornibe::test {

// Answers message boxes from a script and records every box shown; the
// pages under test are handed it as their MessageBox. A box beyond the
// script is recorded as unexpected and answered with its safe button, so
// a test never hangs on it.
class ScriptedMessages : public MessageBox {
public:
    struct Shown {
        std::string text;
        MessageStyle style;
    };

    ScriptedMessages() = default;
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    ScriptedMessages& answer(MessageAnswer next) {
        answers.push_back(next);
        return *this;
    }

    MessageAnswer show(const std::string& text, MessageStyle style) override {
        shown.push_back({text, style});
        if (onShow) {
            onShow(text);
        }
        if (answers.empty()) {
            unexpected.push_back(text);
            return safeAnswer(style);
        }
        MessageAnswer next = answers.front();
        answers.pop_front();
        return next;
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const Shown& box : shown) {
            out.push_back(box.text);
        }
        return out;
    }

    std::deque<MessageAnswer> answers;
    std::vector<Shown> shown;
    std::vector<std::string> unexpected;
    std::function<void(const std::string&)> onShow;
};

} // namespace ornibe::test
