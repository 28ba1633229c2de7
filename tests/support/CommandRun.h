#pragma once

#include <functional>
#include <ostream>
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

// What a tool's library function gave: its exit status and what it wrote
// to its output and error streams.
struct ToolOutcome {
    int code;
    std::string out;
    std::string err;
};
ToolOutcome callTool(const std::function<int(std::ostream& out, std::ostream& err)>& tool);

// Runs argv[0] (looked up on PATH when it has no "/") with standard input
// from /dev/null, in folder when one is given, and waits for it.
CommandResult runCommand(const std::vector<std::string>& argv, const std::string& folder = "");

// Runs argv[0] (a path) with its standard input, output and error on one
// new terminal of the given size, and waits for it; output holds every byte
// the terminal received.
CommandResult runOnTerminal(const std::vector<std::string>& argv, int columns, int rows);

// Whether a program of that name is on PATH.
bool onPath(const std::string& program);

// The path of a tool binary in the build tree's tool folder.
std::string builtTool(const std::string& name);

} // namespace ornibe::test
