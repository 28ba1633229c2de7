#include "cli/CommandOptions.h"

#include "check/ControllerMatch.h"
#include "cli/AnswerFileOptions.h"
#include "cli/CommandOptionTable.h"
#include "cli/TerminalText.h"
#include "sys/Translation.h"

#include <algorithm>
#include <string_view>

namespace ornibe {
namespace {

// The alternatives of a variant, one lambda each, for std::visit.
template <class... F> struct Overloaded : F... { using F::operator()...; };
template <class... F> Overloaded(F...) -> Overloaded<F...>;

// An option as the command line gives it: its row, the name it was given
// by (an on/off switch has two) and its value.
struct GivenOption {
    const OptionRow* row;
    std::string name;
    std::string value;
};

const OptionRow* findOption(std::string_view name) {
    for (const OptionRow& row : commandOptionTable()) {
        if (name == row.name || (row.isOnOff() && name == row.offName())) {
            return &row;
        }
    }
    return nullptr;
}

UsageError usage(const std::string& text) {
    return {terminalText(TerminalText::UsageLead, {text})};
}

// The first option that repeats one given before it, in the order given:
// the same name again, or the other name of an on/off switch. A list takes
// any number.
std::optional<UsageError> repeatedOption(const std::vector<GivenOption>& given) {
    for (size_t i = 0; i < given.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            const OptionRow& row = *given[i].row;
            if (given[j].row != &row || row.isList()) {
                continue;
            }
            if (given[j].name == given[i].name) {
                return usage(terminalText(TerminalText::GivenTwice, {given[i].name}));
            }
            return usage(terminalText(TerminalText::ExcludeEachOther, {row.name, row.offName()}));
        }
    }
    return std::nullopt;
}

void apply(const GivenOption& given, CommandOptions& options,
           std::optional<CommandAction>& action) {
    std::visit(
        Overloaded{
            [&](std::string CommandOptions::*text) { options.*text = given.value; },
            [&](std::optional<std::string> CommandOptions::*text) { options.*text = given.value; },
            [&](std::vector<std::string> CommandOptions::*list) {
                (options.*list).push_back(given.value);
            },
            [&](bool CommandOptions::*flag) { options.*flag = true; },
            [&](std::optional<bool> CommandOptions::*onOff) {
                options.*onOff = given.name == given.row->name;
            },
            // --help wins over --version, whichever comes first.
            [&](CommandAction asked) {
                if (!action || asked == CommandAction::Help) {
                    action = asked;
                }
            },
        },
        given.row->target);
}

// The option's word in the usage lines: "--work DIR", "[--iso FILE]",
// "[--driver INF]...", "[--big-drive | --no-big-drive]".
std::string synopsisWord(const OptionRow& row) {
    std::string word(row.name);
    if (row.takesValue()) {
        word += " " + std::string(row.valueName);
    }
    if (row.isOnOff()) {
        word += " | " + row.offName();
    }
    if (row.required) {
        return word;
    }
    return "[" + word + "]" + (row.isList() ? "..." : "");
}

// The usage lines: a build with its options, wrapped before 80 columns,
// then the actions.
std::string synopsis() {
    constexpr size_t kWidth = 80;
    const std::string lead = "  ornibe-build";
    std::string text = lead;
    size_t lineStart = 0;
    std::string actions;
    for (const OptionRow& row : commandOptionTable()) {
        if (row.isAction()) {
            actions += (actions.empty() ? "" : " | ") + std::string(row.name);
            continue;
        }
        std::string word = synopsisWord(row);
        if (text.size() - lineStart + 1 + word.size() >= kWidth) {
            lineStart = text.size() + 1;
            text += "\n" + std::string(lead.size(), ' ');
        }
        text += " " + word;
    }
    return text + "\n" + lead + " " + actions + "\n";
}

// One entry of the option list: the name and value word, then the help
// lines in a column of their own.
void addOptionEntry(std::string& text, const std::string& left, std::string_view help,
                    size_t column) {
    std::string line = "  " + left;
    for (size_t start = 0; start <= help.size();) {
        size_t end = std::min(help.find('\n', start), help.size());
        line.resize(column, ' ');
        text += line;
        text += help.substr(start, end - start);
        text += "\n";
        line.clear();
        start = end + 1;
    }
}

std::string optionList() {
    auto left = [](const OptionRow& row) {
        return row.takesValue() ? std::string(row.name) + " " + std::string(row.valueName)
                                : std::string(row.name);
    };
    size_t widest = 0;
    for (const OptionRow& row : commandOptionTable()) {
        widest = std::max({widest, left(row).size(), row.offName().size()});
    }
    const size_t column = 2 + widest + 2;
    std::string text;
    for (const OptionRow& row : commandOptionTable()) {
        addOptionEntry(text, left(row), translated(row.help), column);
        if (row.isOnOff()) {
            addOptionEntry(text, row.offName(), translated(row.offHelp), column);
        }
    }
    return text;
}

} // namespace

ParsedCommand parseCommandOptions(const std::vector<std::string>& arguments) {
    std::vector<GivenOption> given;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            // The options end here; ornibe-build takes no other arguments.
            if (i + 1 < arguments.size()) {
                return usage(terminalText(TerminalText::UnexpectedArgument, {arguments[i + 1]}));
            }
            break;
        }
        std::string name = argument;
        std::optional<std::string> value;
        if (size_t equals = argument.find('=');
            argument.starts_with("--") && equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
        }
        const OptionRow* row = findOption(name);
        if (!row) {
            return usage(terminalText(argument.starts_with("-") ? TerminalText::UnknownOption
                                                                : TerminalText::UnexpectedArgument,
                                      {argument}));
        }
        if (!row->takesValue() && value) {
            return usage(terminalText(TerminalText::TakesNoValue, {name}));
        }
        if (row->takesValue() && !value) {
            if (i + 1 >= arguments.size()) {
                return usage(terminalText(TerminalText::NeedsValue, {name}));
            }
            value = arguments[++i];
        }
        given.push_back({row, name, value.value_or("")});
    }

    if (std::optional<UsageError> repeated = repeatedOption(given)) {
        return *repeated;
    }
    CommandOptions options;
    std::optional<CommandAction> action;
    for (const GivenOption& option : given) {
        apply(option, options, action);
    }
    if (action) {
        return *action;
    }
    // Each --hotfix-switches belongs to the --hotfix given before it.
    options.hotfixSwitches.clear();
    for (const GivenOption& option : given) {
        if (option.row->name == "--hotfix") {
            options.hotfixSwitches.emplace_back();
        } else if (option.row->name == "--hotfix-switches") {
            if (options.hotfixSwitches.empty() || !options.hotfixSwitches.back().empty() ||
                option.value.empty()) {
                return usage(terminalText(TerminalText::HotfixSwitchesPlace));
            }
            options.hotfixSwitches.back() = option.value;
        }
    }
    for (const OptionRow& row : commandOptionTable()) {
        const auto* text = std::get_if<std::string CommandOptions::*>(&row.target);
        if (row.required && text && (options.**text).empty() && options.listEntries.empty()) {
            return usage(terminalText(TerminalText::Required, {row.name, row.valueName}));
        }
    }
    if (options.json && !options.check && options.checkDriver.empty()) {
        return usage(terminalText(TerminalText::NeedsOption, {"--json", "--check"}));
    }
    if (!options.targetHardware.empty() && !options.machine.empty()) {
        return usage(
            terminalText(TerminalText::ExcludeEachOther, {"--target-hardware", "--machine"}));
    }
    if (!options.machine.empty() && !qemuMachine(options.machine)) {
        std::string names;
        for (const std::string& name : qemuMachineNames()) {
            names += (names.empty() ? "" : translated("、")) + name;
        }
        return usage(terminalText(TerminalText::UnknownMachine, {options.machine, names}));
    }
    if (std::optional<std::string> misfit = answerFileOptionsMisfit(options)) {
        return usage(*misfit);
    }
    return options;
}

std::string commandHelp() {
    return terminalText(TerminalText::HelpUsage) + "\n" + synopsis() + "\n" +
           terminalText(TerminalText::HelpIntro) + "\n\n" + optionList() + "\n" +
           terminalText(TerminalText::HelpEnd) + "\n";
}

} // namespace ornibe
