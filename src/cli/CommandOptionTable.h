#pragma once

#include "cli/CommandOptions.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace ornibe {

// What an option sets in CommandOptions, which also says how it is given:
// - a text, once, with its value ("--work DIR" or "--work=DIR");
// - a list: one more value each time it is given;
// - a switch: true, once ("--yes");
// - an on/off switch: true for its name, false for its name with "no-"
//   ("--big-drive", "--no-big-drive"), once and only one of the two;
// - an action other than a build, once ("--help" wins over "--version").
using OptionTarget =
    std::variant<std::string CommandOptions::*, std::optional<std::string> CommandOptions::*,
                 std::vector<std::string> CommandOptions::*, bool CommandOptions::*,
                 std::optional<bool> CommandOptions::*, CommandAction>;

// One option of ornibe-build. The table of them drives the parser and
// --help, and the test of the manual page reads it.
struct OptionRow {
    std::string_view name;
    // The word for the value in --help ("DIR") when the option takes one
    // (a text or a list); empty otherwise.
    std::string_view valueName = {};
    OptionTarget target;
    // The lines of --help, with '\n' between them.
    std::string_view help;
    // For an on/off switch, the lines of --help for its off name.
    std::string_view offHelp = {};
    // A text that must be given and not be empty for a build.
    bool required = false;

    constexpr bool takesValue() const { return !valueName.empty(); }
    constexpr bool isList() const {
        return std::holds_alternative<std::vector<std::string> CommandOptions::*>(target);
    }
    constexpr bool isOnOff() const {
        return std::holds_alternative<std::optional<bool> CommandOptions::*>(target);
    }
    constexpr bool isAction() const { return std::holds_alternative<CommandAction>(target); }
    // "--no-big-drive" for "--big-drive"; empty unless an on/off switch.
    std::string offName() const;
    // The names the row answers to: its name, then its off name if it has one.
    std::vector<std::string> names() const;
};

// The options of ornibe-build, in the order --help lists them.
std::span<const OptionRow> commandOptionTable();

} // namespace ornibe
