#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// The environment variables the program was started with, read once by its
// main and handed down as a value: where programs are looked for (PATH),
// the home folder, the folder for scratch files, Wine's prefix, and what
// every child starts with. Nothing below main reads the process's own
// environment, so a test gives the code the variables it needs without
// changing its own.
class HostEnvironment {
public:
    // No variables at all.
    HostEnvironment() = default;
    // "NAME=value" texts; a later one of the same name replaces an earlier.
    explicit HostEnvironment(std::vector<std::string> variables);

    // The running process's environment. Only a program's main calls this.
    static HostEnvironment ofThisProcess();

    // The value of the variable, empty or not; nothing when it is not set.
    std::optional<std::string> value(std::string_view name) const;
    // The value when it is set and not empty.
    std::optional<std::string> nonEmpty(std::string_view name) const;

    // The same environment with name set to value (replacing its old value),
    // or with name removed.
    HostEnvironment with(std::string_view name, std::string_view value) const;
    HostEnvironment without(std::string_view name) const;

    // Every variable as "NAME=value", in the order they were given.
    const std::vector<std::string>& variables() const { return variables_; }

    // The folders of PATH in order, an empty entry as "."; without PATH,
    // /usr/local/bin, /usr/bin and /bin.
    std::vector<std::string> searchFolders() const;
    // $TMPDIR when it is set and not empty, else /tmp.
    std::string tempFolder() const;

private:
    std::vector<std::string> variables_;
};

} // namespace ornibe
