#include "support/CommandRun.h"

#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sstream>

extern char** environ;

namespace ornibe::test {

RunningCommand::RunningCommand(const std::vector<std::string>& argv, const std::string& folder) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    if (!folder.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        return;
    }
    pid_ = pid;
    outputFd_ = pipeFds[0];
}

RunningCommand::~RunningCommand() {
    if (pid_ > 0) {
        // timeout runs in a process group of its own, with the program.
        if (::kill(-pid_, SIGKILL) != 0) {
            ::kill(pid_, SIGKILL);
        }
        finish();
    }
}

bool RunningCommand::readMore() {
    if (outputFd_ < 0) {
        return false;
    }
    char buffer[4096];
    while (true) {
        ssize_t n = ::read(outputFd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ::close(outputFd_);
            outputFd_ = -1;
            return false;
        }
        result_.output.append(buffer, static_cast<size_t>(n));
        return true;
    }
}

bool RunningCommand::waitForOutput(const std::string& text) {
    while (result_.output.find(text) == std::string::npos) {
        if (!readMore()) {
            return false;
        }
    }
    return true;
}

void RunningCommand::sendSignal(int signal) {
    if (pid_ > 0) {
        ::kill(pid_, signal);
    }
}

CommandResult RunningCommand::finish() {
    while (readMore()) {
    }
    if (pid_ > 0) {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        if (WIFEXITED(status)) {
            result_.exitCode = WEXITSTATUS(status);
        }
    }
    return result_;
}

CommandResult runCommand(const std::vector<std::string>& argv, const std::string& folder) {
    return RunningCommand(argv, folder).finish();
}

std::vector<std::string> withTimeLimit(int seconds, std::vector<std::string> argv) {
    argv.insert(argv.begin(), {"timeout", "-s", "KILL", std::to_string(seconds)});
    return argv;
}

CommandResult runOnTerminal(const std::vector<std::string>& argv, int columns, int rows) {
    CommandResult result;
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    winsize size{};
    size.ws_col = static_cast<unsigned short>(columns);
    size.ws_row = static_cast<unsigned short>(rows);
    int terminal = -1;
    pid_t pid = forkpty(&terminal, nullptr, nullptr, &size);
    if (pid < 0) {
        return result;
    }
    if (pid == 0) {
        ::execve(args[0], args.data(), environ);
        ::_exit(127);
    }
    char buffer[4096];
    while (true) {
        ssize_t n = ::read(terminal, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // The end of the program's side reads as EIO.
        if (n <= 0) {
            break;
        }
        result.output.append(buffer, static_cast<size_t>(n));
    }
    ::close(terminal);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

std::string builtTool(const std::string& name) {
    return std::string(ORNIBE_BUILD_TOOL_DIR) + "/" + name;
}

ToolOutcome callTool(const std::function<int(std::ostream& out, std::ostream& err)>& tool) {
    std::ostringstream out;
    std::ostringstream err;
    int code = tool(out, err);
    return {code, out.str(), err.str()};
}

} // namespace ornibe::test
