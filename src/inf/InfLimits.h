#pragma once

#include "inf/InfFile.h"

#include <cstddef>
#include <cstdint>

namespace ornibe {

// The limits within which a setup information file is read. Real files
// stay far inside them: the TXTSETUP.SIF of a Windows CD is well under a
// megabyte, the largest driver INFs a few megabytes, a line a few hundred
// characters.

// A larger file is refused before any of it is read.
inline constexpr std::uint64_t kInfMaxFileBytes = 64u << 20;

// Reading a file takes memory for its text, its lines, sections and
// index, and the text that string keys are replaced by: at most
// kInfMemoryNumerator / kInfMemoryDenominator times the file's size, plus
// kInfMemoryAllowance for the tables every file has. A file that would
// need more (millions of lines or sections of a character or two) is
// refused; replacements that would pass the bound are not made.
inline constexpr std::size_t kInfMemoryNumerator = 7;
inline constexpr std::size_t kInfMemoryDenominator = 4;
inline constexpr std::size_t kInfMemoryAllowance = 1u << 20;

// Replacing string keys makes a line at most this long; a field whose
// replacements would make it longer keeps its tokens as written.
inline constexpr std::size_t kInfMaxReplacedLineBytes = 1u << 20;

// The memory that reading a file of this many bytes may take.
std::size_t infMemoryBudget(std::size_t fileBytes);

// The problems of a file refused by a limit, with the reason in the
// program's words.
InfProblem infFileTooLarge(std::uint64_t size);
InfProblem infTooManyParts();

} // namespace ornibe
