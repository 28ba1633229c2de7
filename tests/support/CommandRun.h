#pragma once

#include <string>
#include <vector>

namespace ornibe::test {

struct CommandResult {
    // The exit status; -1 when the program could not be started or was
    // killed by a signal.
    int exitCode = -1;
    // Standard output and standard error, interleaved as written.
    std::string output;
};

// Runs argv[0] (looked up on PATH when it has no "/") with standard input
// from /dev/null, in folder when one is given, and waits for it.
CommandResult runCommand(const std::vector<std::string>& argv, const std::string& folder = "");

// Whether a program of that name is on PATH.
bool onPath(const std::string& program);

// The path of a tool binary in the build tree's tool folder.
std::string builtTool(const std::string& name);

} // namespace ornibe::test
