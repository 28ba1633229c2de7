#pragma once

#include <string_view>

namespace ornibe {

// The text without the characters of blanks at either end (spaces and
// tabs unless told otherwise), as the setup files' readers take a value.
inline std::string_view trimmed(std::string_view text, std::string_view blanks = " \t") {
    const std::size_t start = text.find_first_not_of(blanks);
    if (start == std::string_view::npos) {
        return {};
    }
    return text.substr(start, text.find_last_not_of(blanks) - start + 1);
}

} // namespace ornibe
