#include "wizard/SetupAdditionsDialogState.h"

#include <algorithm>

namespace ornibe {
namespace {

std::string joinedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += (text.empty() ? "" : "\n") + line;
    }
    return text;
}

std::vector<std::string> commandLines(const std::string& text) {
    std::vector<std::string> commands;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        start = end + 1;
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) {
            continue;
        }
        commands.push_back(line.substr(first, line.find_last_not_of(" \t\r") + 1 - first));
    }
    return commands;
}

} // namespace

SetupAdditionsDialogState dialogStateOf(const SetupAdditions& additions) {
    return {additions.hotfixes, additions.oemFolder, joinedLines(additions.setupCommands),
            joinedLines(additions.firstLogonCommands)};
}

SetupAdditions additionsOf(const SetupAdditionsDialogState& state) {
    return {state.hotfixes, state.oemFolder, commandLines(state.setupCommands),
            commandLines(state.firstLogonCommands)};
}

std::vector<HotfixChoice> hotfixListWith(std::vector<HotfixChoice> list, const std::string& path,
                                         const std::string& switches) {
    if (path.empty()) {
        return list;
    }
    for (const HotfixChoice& hotfix : list) {
        if (hotfix.path == path) {
            return list;
        }
    }
    list.push_back({path, switches});
    return list;
}

std::vector<HotfixChoice> hotfixListWithout(std::vector<HotfixChoice> list, int row) {
    if (row >= 0 && static_cast<std::size_t>(row) < list.size()) {
        list.erase(list.begin() + row);
    }
    return list;
}

std::string hotfixListText(const HotfixChoice& hotfix) {
    return hotfix.path + "  [ " +
           (hotfix.switches.empty() ? std::string(kDefaultHotfixSwitches) : hotfix.switches) + " ]";
}

} // namespace ornibe
