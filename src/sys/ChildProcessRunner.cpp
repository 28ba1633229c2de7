#include "sys/ChildProcessRunner.h"

#include "sys/CommandLine.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"
#include "sys/SearchPath.h"
#include "sys/Translation.h"

#include <cerrno>
#include <vector>

namespace ornibe {
namespace {

// The last line a tool wrote, without its line break.
std::string lastLine(std::string_view output) {
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r' ||
                               output.back() == ' ' || output.back() == '\t')) {
        output.remove_suffix(1);
    }
    size_t start = output.find_last_of("\r\n");
    return std::string(start == std::string_view::npos ? output : output.substr(start + 1));
}

std::string startFailureText(const std::string& program, int error) {
    return program + ": " + systemReason(error);
}

} // namespace

ChildProcessRunner::ChildProcessRunner(ToolSearch tools, std::string commandLine)
    : tools_(std::move(tools)), commandLine_(std::move(commandLine)) {}

Outcome ChildProcessRunner::outcome(std::string_view said) const {
    if (!startFailure_.empty()) {
        // The start failure names the program itself.
        return Failure{"start", {}, startFailure_};
    }
    if (stopped_) {
        return Failure{"run", program_, stoppedByUser()};
    }
    if (exitCode_ == 0) {
        return {};
    }
    const std::string code = std::to_string(exitCode_);
    return Failure{"run", program_,
                   said.empty() ? translated("終了コード %1", {code})
                                : translated("終了コード %1（%2）", {code, said})};
}

bool ChildProcessRunner::run(const OutputCallback& output, const IdleCallback& idle) {
    startFailure_.clear();
    stopped_ = false;
    std::vector<std::string> arguments = splitCommandLine(commandLine_);
    program_ = arguments.empty() ? std::string() : arguments.front();
    if (arguments.empty()) {
        startFailure_ = translated("コマンドラインが空です");
        return false;
    }
    const std::string& name = arguments.front();
    std::string program = tools_.findProgram(name);
    if (program.empty()) {
        bool folder =
            name.find('/') != std::string::npos && existsAsFolder(tools_.fromCurrentFolder(name));
        startFailure_ = startFailureText(name, folder ? EISDIR : ENOENT);
        return false;
    }

    const ChildEnd end = tools_.processStarter().run(
        {program, arguments, workingFolder_, tools_.environment().variables()}, output, idle,
        stopCheck_);
    if (end.startError != 0) {
        startFailure_ = startFailureText(name, end.startError);
        return false;
    }
    exitCode_ = end.exitCode;
    signal_ = end.signal;
    stopped_ = end.stopped;
    return true;
}

Outcome runToolQuietly(const ToolSearch& tools, const std::string& commandLine) {
    ChildProcessRunner runner(tools, commandLine);
    return runQuietly(runner);
}

Outcome runQuietly(ChildProcessRunner& runner, const ChildProcessRunner::IdleCallback& idle) {
    // Only the end of a chatty tool's output matters.
    constexpr size_t kKept = 4096;
    std::string output;
    runner.run(
        [&](std::string_view text) {
            output += text;
            if (output.size() > 2 * kKept) {
                output.erase(0, output.size() - kKept);
            }
        },
        idle);
    return runner.outcome(lastLine(output));
}

} // namespace ornibe
