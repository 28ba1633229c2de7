#pragma once

#include "inf/InfFold.h"

#include <array>
#include <string_view>

// What each byte means to the INF line parser (InfLineGrammar.cpp), as
// tables it looks up one byte at a time.

namespace ornibe::inf_detail {

// Bytes that never mean anything to the line parser: runs of them are
// copied in one go. The text holds no NUL byte (it reads as a space), so
// the NUL that ends the string's buffer ends every run: the loop that
// copies one need not watch for the end of the text.
inline constexpr std::array<bool, 256> kPlainBytes = [] {
    std::array<bool, 256> plain{};
    for (int c = 0; c < 256; ++c)
        plain[c] = !leadByte(static_cast<unsigned char>(c));
    for (unsigned char c : std::string_view("\"\\;,=%\r\n \t\v\f"))
        plain[c] = false;
    plain[0] = false;
    return plain;
}();

// What a byte that begins an element outside quotes means to the line
// parser: one table lookup chooses among them. Double-byte characters and
// percent signs are Other, read one character at a time.
enum class ByteClass : unsigned char {
    Plain,
    Other,
    Quote,
    Semicolon,
    // Text, but a comment in a driver floppy's description file.
    Hash,
    Comma,
    Equals,
    Backslash,
    Blank,
    CarriageReturn,
    LineFeed,
    Nul,
};

inline constexpr std::array<ByteClass, 256> kByteClasses = [] {
    std::array<ByteClass, 256> classes{};
    for (int c = 0; c < 256; ++c)
        classes[c] = kPlainBytes[c] ? ByteClass::Plain : ByteClass::Other;
    classes['#'] = ByteClass::Hash;
    classes['"'] = ByteClass::Quote;
    classes[';'] = ByteClass::Semicolon;
    classes[','] = ByteClass::Comma;
    classes['='] = ByteClass::Equals;
    classes['\\'] = ByteClass::Backslash;
    for (unsigned char c : std::string_view(" \t\v\f"))
        classes[c] = ByteClass::Blank;
    classes['\r'] = ByteClass::CarriageReturn;
    classes['\n'] = ByteClass::LineFeed;
    classes[0] = ByteClass::Nul;
    return classes;
}();

} // namespace ornibe::inf_detail
