#pragma once

#include "sys/Failure.h"
#include "sys/ProcessStarter.h"
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
// The child starts through the search's process starter (the system's:
// see systemProcessStarter) with the search's environment and the folder
// set with setWorkingFolder (the parent's current folder by default).
class ChildProcessRunner {
public:
    using OutputCallback = ProcessStarter::OutputCallback;
    using IdleCallback = ProcessStarter::IdleCallback;
    // Asked between waits; true ends the child.
    using StopCheck = ProcessStarter::StopCheck;

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

    static constexpr std::uint32_t kNoExitCode = ChildEnd::kNoExitCode;

private:
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
