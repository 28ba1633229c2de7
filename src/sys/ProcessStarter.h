#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// The one way the program starts a child process. Every child goes through
// ChildProcessRunner, which finds the program and hands it to the starter
// its ToolSearch carries: the system's below, or one a test scripts to
// answer with the output and exit code the test needs.

// A child to start.
struct ChildStart {
    // The program's full path, as the tool search found it.
    std::string program;
    // Its arguments, the first one as the command line names the program.
    std::vector<std::string> arguments;
    // The folder it starts in; empty for the parent's current folder.
    std::string workingFolder;
    // Its whole environment, "NAME=value" each.
    std::vector<std::string> environment;
};

// How a child ended.
struct ChildEnd {
    // The system's error number when it could not be started; the other
    // fields mean nothing then.
    int startError = 0;
    // Its exit status; 128 plus the signal's number when a signal ended it,
    // and kNoExitCode when the status was lost.
    std::uint32_t exitCode = 0;
    // The signal that ended it, or 0.
    int signal = 0;
    // Whether it was ended because the stop check asked for it.
    bool stopped = false;

    static constexpr std::uint32_t kNoExitCode = 0xFFFFFFFFu;
};

class ProcessStarter {
public:
    // Receives each chunk as it was read, unconverted; a chunk may end in
    // the middle of a line. Within one pass standard output comes first.
    using OutputCallback = std::function<void(std::string_view)>;
    // Called between waits (at least every few tens of milliseconds) so the
    // page can repaint and answer input.
    using IdleCallback = std::function<void()>;
    // Asked between waits; true ends the child.
    using StopCheck = std::function<bool()>;

    virtual ~ProcessStarter() = default;

    // Starts the child and returns when it has ended and its output has
    // been passed on.
    virtual ChildEnd run(const ChildStart& child, const OutputCallback& output,
                         const IdleCallback& idle, const StopCheck& stop) = 0;
};

// The system's starter. The child gets /dev/null as standard input, one pipe
// each for standard output and standard error, and a process group of its
// own, so that a Ctrl+C on the terminal reaches the program that runs it and
// not the child directly. Both pipes are read until they close, also when no
// output callback is given (the text is then dropped), so a chatty child
// never blocks on a full pipe. A stop asked for sends the child's process
// group SIGTERM, and SIGKILL when it is still there after a grace period.
std::shared_ptr<ProcessStarter> systemProcessStarter();

} // namespace ornibe
