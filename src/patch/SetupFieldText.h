#pragma once

#include <string>
#include <string_view>

namespace ornibe {

// Text written into a setup file as a key or a value, in the form that the
// setup INF parser reads back unchanged.

// Always in double quotes, any double quote inside doubled.
std::string quotedSetupText(std::string_view text);

// Bare when it can be, otherwise quoted as above: a ";" would start a
// comment, "=" or "," end the key or the value, a double quote start a
// quoted part, a leading "[" a section, a trailing backslash join the next
// line, and blanks at either end would be dropped.
std::string setupFieldText(std::string_view text);

} // namespace ornibe
