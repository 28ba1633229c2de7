#include "sys/HostEnvironment.h"

#include <algorithm>
#include <utility>

extern char** environ;

namespace ornibe {
namespace {

// Whether entry is "name=...".
bool names(std::string_view entry, std::string_view name) {
    return entry.size() > name.size() && entry[name.size()] == '=' && entry.starts_with(name);
}

} // namespace

HostEnvironment::HostEnvironment(std::vector<std::string> variables) {
    for (std::string& variable : variables) {
        const size_t equals = variable.find('=');
        if (equals == std::string::npos || equals == 0) {
            continue;
        }
        std::string_view name(variable.data(), equals);
        std::erase_if(variables_, [&](const std::string& kept) { return names(kept, name); });
        variables_.push_back(std::move(variable));
    }
}

HostEnvironment HostEnvironment::ofThisProcess() {
    std::vector<std::string> variables;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        variables.emplace_back(*entry);
    }
    return HostEnvironment(std::move(variables));
}

std::optional<std::string> HostEnvironment::value(std::string_view name) const {
    for (const std::string& variable : variables_) {
        if (names(variable, name)) {
            return variable.substr(name.size() + 1);
        }
    }
    return std::nullopt;
}

std::optional<std::string> HostEnvironment::nonEmpty(std::string_view name) const {
    std::optional<std::string> found = value(name);
    if (found && found->empty()) {
        return std::nullopt;
    }
    return found;
}

HostEnvironment HostEnvironment::with(std::string_view name, std::string_view value) const {
    HostEnvironment changed = without(name);
    changed.variables_.push_back(std::string(name) + "=" + std::string(value));
    return changed;
}

HostEnvironment HostEnvironment::without(std::string_view name) const {
    HostEnvironment changed = *this;
    std::erase_if(changed.variables_,
                  [&](const std::string& variable) { return names(variable, name); });
    return changed;
}

std::vector<std::string> HostEnvironment::searchFolders() const {
    std::vector<std::string> folders;
    const std::optional<std::string> path = value("PATH");
    std::string_view rest = path ? std::string_view(*path) : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const size_t colon = rest.find(':');
        std::string_view part = rest.substr(0, colon);
        // An empty entry of PATH means the current folder.
        folders.emplace_back(part.empty() ? "." : part);
        if (colon == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(colon + 1);
    }
    return folders;
}

std::string HostEnvironment::tempFolder() const {
    return nonEmpty("TMPDIR").value_or("/tmp");
}

} // namespace ornibe
