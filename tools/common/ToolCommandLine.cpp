#include "common/ToolCommandLine.h"

#include "sys/CaseFold.h"

namespace ornibe {
namespace {

// The switch that word is, and where its glued value starts.
const ToolSwitch* findSwitch(const ToolCommandLine& line, std::string_view word,
                             std::size_t& valueStart) {
    for (const ToolSwitch& candidate : line.switches) {
        for (std::string_view spelling : candidate.spellings) {
            bool glued = candidate.takes == ToolSwitch::Takes::GluedText;
            if (equalsHostNoCase(glued ? word.substr(0, spelling.size()) : word, spelling)) {
                valueStart = glued ? spelling.size() : word.size();
                return &candidate;
            }
        }
    }
    return nullptr;
}

} // namespace

bool isShortSwitchWord(const std::string& word) {
    return word.size() == 2 && (word[0] == '/' || word[0] == '-');
}

ToolParse<std::vector<std::string>> parseToolCommandLine(const std::vector<std::string>& args,
                                                         const ToolCommandLine& line) {
    std::vector<std::string> operands;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        std::size_t valueStart = 0;
        const ToolSwitch* found = findSwitch(line, word, valueStart);
        if (!found) {
            if (line.looksLikeSwitch(word)) {
                return ToolUsageError{line.unknownSwitch(word)};
            }
            operands.push_back(word);
            continue;
        }
        std::string value = word.substr(valueStart);
        if (found->takes == ToolSwitch::Takes::NextWord) {
            if (i + 1 == args.size()) {
                return ToolUsageError{std::string(found->missingValue)};
            }
            value = args[++i];
        } else if (value.empty() && !found->missingValue.empty()) {
            return ToolUsageError{std::string(found->missingValue)};
        }
        if (found->check) {
            if (std::optional<ToolUsageError> refused = found->check(value)) {
                return *refused;
            }
        }
        if (found->set) {
            found->set(value);
        }
    }
    if (operands.size() < line.minOperands || operands.size() > line.maxOperands) {
        return ToolUsageError{std::string(line.usage)};
    }
    return operands;
}

} // namespace ornibe
