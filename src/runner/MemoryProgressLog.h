#pragma once

#include "runner/ProgressLog.h"

#include <string>
#include <vector>

namespace ornibe {

// A log that keeps its text in memory, for tests and for anything that
// wants the text back.
class MemoryProgressLog : public ProgressLog {
public:
    const std::string& text() const { return text_; }
    // The text split at every "\r\n"; a last line without one is included.
    std::vector<std::string> lines() const;
    // How many times append was called, empty texts included.
    int appendCount() const { return appendCount_; }

protected:
    void showText(std::string_view text) override;

private:
    std::string text_;
    int appendCount_ = 0;
};

} // namespace ornibe
