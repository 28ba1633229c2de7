#pragma once

#include "sys/Result.h"

#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// A usage error of a tool, in one line, for "TOOL: message" on standard
// error.
struct ToolUsageError {
    std::string message;
};

// One switch of a tool's command line in the Windows style, written as one
// of its spellings ("/L" or "-L"), letter case ignored.
struct ToolSwitch {
    enum class Takes {
        Nothing,   // "/Y": the word is the switch alone
        NextWord,  // "/L FOLDER": the next word, whatever it is
        GluedText, // "-lLABEL": the rest of the word, which may be empty
    };

    std::vector<std::string_view> spellings = {};
    Takes takes = Takes::Nothing;
    // Takes the value (empty for a switch that takes nothing); none for a
    // switch that is accepted and changes nothing.
    std::function<void(const std::string& value)> set = {};
    // The usage error for a value the switch does not take; none when it
    // takes every value.
    std::function<std::optional<ToolUsageError>(const std::string& value)> check = {};
    // The usage error for a missing value: no word after a NextWord
    // switch, or nothing glued to a GluedText switch (which takes the empty
    // value when this is empty).
    std::string_view missingValue = {};
};

// The set of a switch that takes nothing and turns field on.
inline std::function<void(const std::string&)> setsTrue(bool& field) {
    return [&field](const std::string&) { field = true; };
}

// "/" or "-" and one more character. Only such a word is a switch of
// makecab and extract, so an absolute path such as "/tmp" is never taken
// for one.
bool isShortSwitchWord(const std::string& word);

// The grammar of one tool's command line: its switches, in any order and
// mixed with its operands.
struct ToolCommandLine {
    std::vector<ToolSwitch> switches = {};
    // Whether a word that is none of the switches is refused as an unknown
    // switch rather than taken as an operand.
    std::function<bool(const std::string& word)> looksLikeSwitch = isShortSwitchWord;
    // The usage error for such a word.
    std::function<std::string(const std::string& word)> unknownSwitch =
        [](const std::string& word) { return "unknown option " + word; };
    std::size_t minOperands = 0;
    std::size_t maxOperands = std::numeric_limits<std::size_t>::max();
    // The usage error for fewer or more operands than these.
    std::string_view usage = {};
};

// What a tool's parser gives: the arguments, or the usage error.
template <typename Arguments> using ToolParse = Result<Arguments, ToolUsageError>;

// Sets every switch that args give, in their order, and returns the
// operands in order; or the first usage error, of a switch in the order of
// the words, then of the number of operands.
ToolParse<std::vector<std::string>> parseToolCommandLine(const std::vector<std::string>& args,
                                                         const ToolCommandLine& line);

} // namespace ornibe
