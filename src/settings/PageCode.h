#pragma once

namespace ornibe {

// What a page ends with, and so what the page loop shows next. Any other
// value, including the -1 of a page that failed to open, quits as well.
namespace PageCode {
inline constexpr int Quit = 0;
inline constexpr int Settings = 1;
inline constexpr int Confirm = 2;
} // namespace PageCode

} // namespace ornibe
