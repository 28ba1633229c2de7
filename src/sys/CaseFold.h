#pragma once

#include <string>
#include <string_view>

namespace ornibe {

// Letter case as Windows compares names and setup-file text: only the ASCII
// letters A-Z and a-z fold. Other characters compare by their bytes.

// Host text (UTF-8): every byte below 0x80 is a whole character, so folding
// the ASCII letters byte by byte is exact.
int compareHostNoCase(std::string_view a, std::string_view b);
bool equalsHostNoCase(std::string_view a, std::string_view b);

// Setup-file text (code page 932): ASCII letters fold, but the trail byte of
// a double-byte character never does (0x81 0x61 stays as it is).
int compareSetupNoCase(std::string_view a, std::string_view b);
bool equalsSetupNoCase(std::string_view a, std::string_view b);
// The text with every single-byte ASCII letter in upper case; two texts are
// equal ignoring case exactly when their folded forms are equal.
std::string foldSetupText(std::string_view cp932);
std::string foldHostText(std::string_view utf8);

// True for the first byte of a double-byte code page 932 character.
bool isCp932LeadByte(unsigned char byte);

// Whether the last whole character of the text is a backslash: in code page
// 932 text a trail byte 0x5C (as in "表" 0x95 0x5C) is not a backslash.
bool endsWithBackslashCp932(std::string_view cp932);
// Whether host text (UTF-8) ends with "/".
bool endsWithSlash(std::string_view utf8);

} // namespace ornibe
