#pragma once

#include "sys/CaseFold.h"

#include <string>
#include <string_view>

namespace ornibe {

// A Windows-style option of one letter, "/L" or "-L" in either case. Only a
// two-character word counts, so an absolute path such as "/tmp" is never
// taken for an option.
inline bool isToolOption(const std::string& arg, std::string_view letter) {
    return arg.size() == 2 && (arg[0] == '/' || arg[0] == '-') &&
           equalsHostNoCase(std::string_view(arg).substr(1), letter);
}

} // namespace ornibe
