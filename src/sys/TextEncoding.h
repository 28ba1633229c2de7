#pragma once

#include <string>
#include <string_view>

namespace ornibe {

// Conversions between the host's UTF-8, the setup files' Shift-JIS (code
// page 932) and UTF-16LE, through glibc's iconv. Every conversion gives a
// defined answer for any input: a character that the target cannot hold,
// or a byte sequence that is not valid in the source, becomes "?" in code
// page 932 and U+FFFD in UTF-8 and UTF-16LE. NUL bytes pass through.

std::string utf8ToCp932(std::string_view utf8);
std::string cp932ToUtf8(std::string_view cp932);

// UTF-16LE bytes (no byte-order mark expected; one is converted like any
// other character) to code page 932. An odd last byte becomes "?".
std::string utf16leToCp932(std::string_view utf16leBytes);

// Code page 932 text to UTF-16LE bytes, without a byte-order mark.
std::string cp932ToUtf16le(std::string_view cp932);

} // namespace ornibe
