#pragma once

#include <string>

namespace ornibe {

// Turns the file's bytes into code page 932 text: a UTF-16LE or UTF-8 file
// is recognised by its byte-order mark, anything else is taken as code page
// 932 bytes and kept where it lies. The end-of-file byte 0x1A ends the
// text, as it does for Windows setup; a NUL byte reads as a space.
std::string decodeInfText(std::string bytes);

} // namespace ornibe
