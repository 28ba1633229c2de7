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

// A program started as runCommand starts it, whose output is read while it
// runs, so that a test can act at a point of its work.
class RunningCommand {
public:
    explicit RunningCommand(const std::vector<std::string>& argv, const std::string& folder = "");
    // Kills a program still running and waits for it.
    ~RunningCommand();
    RunningCommand(const RunningCommand&) = delete;
    RunningCommand& operator=(const RunningCommand&) = delete;

    bool started() const { return pid_ > 0; }
    int pid() const { return pid_; }
    // Reads the output until it holds text; false when the program closed
    // its output first.
    bool waitForOutput(const std::string& text);
    void sendSignal(int signal);
    // Reads the rest of the output and waits for the program to end.
    CommandResult finish();

private:
    int pid_ = -1;
    int outputFd_ = -1;
    CommandResult result_;
    bool readMore();
};

// argv run under coreutils' timeout: killed when it runs longer than
// seconds, which the test then sees as an exit status of 137. Signals sent
// to timeout are passed on to the program.
std::vector<std::string> withTimeLimit(int seconds, std::vector<std::string> argv);

// Whether a program of that name is on PATH.
bool onPath(const std::string& program);

// The path of a tool binary in the build tree's tool folder.
std::string builtTool(const std::string& name);

} // namespace ornibe::test
