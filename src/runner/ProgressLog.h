#pragma once

#include <string>
#include <string_view>

namespace ornibe {

// The build's one text surface. Texts are host text (UTF-8) and carry their
// own "\r\n" line breaks; the log adds none. A text ends at its first NUL.
// The text as a view without carriage returns shows it: a CR LF pair is
// one line break, and a CR alone (a tool redrawing its progress line) is
// dropped.
std::string withoutCarriageReturns(std::string_view text);

class ProgressLog {
public:
    virtual ~ProgressLog() = default;

    // Adds text at the end of the log and keeps the end in view.
    void append(std::string_view text);

protected:
    virtual void showText(std::string_view text) = 0;
};

} // namespace ornibe
