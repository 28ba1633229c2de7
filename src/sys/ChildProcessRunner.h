#pragma once

#include "sys/Failure.h"
#include "sys/SearchPath.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// Runs one console program with its standard output and standard error
// captured, and waits for it while the screen stays alive.
//
// The command line is one text, split into arguments by the Windows
// command-line rules (see splitCommandLine). The first argument names the
// program: a name without "/" is looked up in the tool folder of the given
// search, then on PATH, ignoring letter case and with ".EXE" optional; a
// name with "/" is a path (a relative one taken from the search's current
// folder), matched the same way part by part when the exact path is absent.
//
// The child gets /dev/null as standard input, the parent's environment,
// the folder set with setWorkingFolder (the parent's current folder by
// default), one pipe each for standard output and standard error, and a
// process group of its own, so that a Ctrl+C on the terminal reaches the
// program that runs it and not the child directly. Both pipes are read until they close, also when
// no output callback is given (the text is then dropped), so a chatty child never blocks on a full
// pipe.
class ChildProcessRunner {
public:
    // Receives each chunk as it was read, unconverted; a chunk may end in
    // the middle of a line. Within one pass standard output comes first.
    using OutputCallback = std::function<void(std::string_view)>;
    // Called between waits (at least every few tens of milliseconds) so the
    // page can repaint and answer input.
    using IdleCallback = std::function<void()>;

    // Asked between waits; true ends the child: its process group gets
    // SIGTERM, and SIGKILL when it is still there after a grace period.
    using StopCheck = std::function<bool()>;

    ChildProcessRunner(ToolSearch tools, std::string commandLine);

    // The folder the child starts in; the parent's own stays as it is.
    void setWorkingFolder(std::string folder) { workingFolder_ = std::move(folder); }
    void setStopCheck(StopCheck check) { stopCheck_ = std::move(check); }

    // Starts the program and returns when it has ended and both pipes are
    // closed. True when the program was started: exitCode() then holds its
    // exit status. False when it could not be started (empty command line,
    // program missing, a folder, not executable, not a program):
    // exitCode() keeps its earlier value and startFailure() says why.
    bool run(const OutputCallback& output = {}, const IdleCallback& idle = {});

    const std::string& commandLine() const { return commandLine_; }

    // The exit status of the last started run. A child killed by a signal
    // reports 128 plus the signal number, so it never reads as success.
    // Before any started run it is kNoExitCode.
    std::uint32_t exitCode() const { return exitCode_; }
    // The signal that ended the last started run, or 0.
    int terminatingSignal() const { return signal_; }
    // Why the last run could not start; empty after a started run.
    const std::string& startFailure() const { return startFailure_; }
    // Whether the last run was ended because the stop check asked for it.
    bool stopped() const { return stopped_; }

    // How the last run ended, as the program reports it: success when it
    // started and ended with exit code 0. Otherwise the failure: why it did
    // not start (the reason names the program), or, with the program as
    // the command line names it, "中止しました" when the stop check ended it,
    // else "終了コード " and the exit code, followed by "（said）" when said
    // is not empty.
    Outcome outcome(std::string_view said = {}) const;

    static constexpr std::uint32_t kNoExitCode = 0xFFFFFFFFu;

private:
    // Exit code and signal from a wait status; no exit code when the status
    // was lost.
    void recordStatus(int status, bool statusLost);

    ToolSearch tools_;
    std::string commandLine_;
    std::string workingFolder_;
    StopCheck stopCheck_;
    bool stopped_ = false;
    std::uint32_t exitCode_ = kNoExitCode;
    int signal_ = 0;
    std::string startFailure_;
    // The command line's first word, as the failures name it.
    std::string program_;
};

// Runs a tool's command line with its output kept aside. Success when it
// started and ended with exit code 0; otherwise the failure names the
// program with why it did not start, or with its exit code and the last
// line it wrote (the cabinet tools say there what went wrong).
Outcome runToolQuietly(const ToolSearch& tools, const std::string& commandLine);

// Runs the runner's command line as runToolQuietly does, in the runner's
// folder and with its stop check, calling idle between waits.
Outcome runQuietly(ChildProcessRunner& runner, const ChildProcessRunner::IdleCallback& idle = {});

} // namespace ornibe
