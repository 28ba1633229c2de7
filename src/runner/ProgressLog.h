#pragma once

#include <string_view>

namespace ornibe {

// The build's one text surface. Texts are host text (UTF-8) and carry their
// own "\r\n" line breaks; the log adds none. A text ends at its first NUL.
class ProgressLog {
public:
    virtual ~ProgressLog() = default;

    // Adds text at the end of the log and keeps the end in view.
    void append(std::string_view text);

protected:
    virtual void showText(std::string_view text) = 0;
};

} // namespace ornibe
