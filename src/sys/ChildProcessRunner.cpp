#include "sys/ChildProcessRunner.h"

#include "sys/CommandLine.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"
#include "sys/SearchPath.h"
#include "sys/UniqueFd.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

extern char** environ;

namespace ornibe {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long one wait blocks before the page gets its turn to repaint.
constexpr int kWaitMs = 40;
// After the child has ended, a process that it left behind may still hold
// its pipes. What the child wrote is read; then the pipes are given up once
// they stay quiet this long, or at the latest after kDrainLimit.
constexpr milliseconds kQuietAfterExit{300};
constexpr milliseconds kDrainLimit{5000};
constexpr size_t kChunk = 65536;
// How long a child that was asked to stop may take to clean up after
// itself before it is killed.
constexpr milliseconds kStopGrace{3000};

struct Pipe {
    UniqueFd read;
    UniqueFd write;
};

bool makePipe(Pipe& pipe, int& error) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = errno;
        return false;
    }
    pipe.read.reset(fds[0]);
    pipe.write.reset(fds[1]);
    // Non-blocking reads let the parent drain a pipe to its end without
    // waiting on a writer that stays alive.
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    return true;
}

// A descriptor that becomes readable when the process ends; -1 on kernels
// without pidfd_open, where the wait falls back to its time-out.
int openProcessFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

// Ends and reaps the child when run() is left by an exception (an output
// callback that throws), so that no process is left running unwatched.
class ChildGuard {
public:
    explicit ChildGuard(pid_t pid) : pid_(pid) {}
    ~ChildGuard() {
        if (pid_ > 0) {
            ::kill(-pid_, SIGKILL);
            ::kill(pid_, SIGKILL);
            int status = 0;
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
        }
    }
    ChildGuard(const ChildGuard&) = delete;
    ChildGuard& operator=(const ChildGuard&) = delete;
    void reaped() { pid_ = -1; }

private:
    pid_t pid_;
};

// Reads one chunk. Returns false when the pipe has closed (end of file or
// an error); true when it is still open, with or without text.
bool readChunk(int fd, std::vector<char>& buffer, const ChildProcessRunner::OutputCallback& output,
               bool& gotData) {
    while (true) {
        ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n > 0) {
            gotData = true;
            if (output) {
                output(std::string_view(buffer.data(), static_cast<size_t>(n)));
            }
            return true;
        }
        if (n == 0) {
            return false;
        }
        if (errno == EINTR) {
            continue;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK;
    }
}

std::string startFailureText(const std::string& program, int error) {
    return program + ": " + systemReason(error);
}

} // namespace

ChildProcessRunner::ChildProcessRunner(std::string commandLine)
    : commandLine_(std::move(commandLine)) {}

bool ChildProcessRunner::run(const OutputCallback& output, const IdleCallback& idle) {
    startFailure_.clear();
    stopped_ = false;
    std::vector<std::string> arguments = splitCommandLine(commandLine_);
    if (arguments.empty()) {
        startFailure_ = "empty command line";
        return false;
    }
    const std::string& name = arguments.front();
    std::string program = findProgram(name);
    if (program.empty()) {
        bool folder = name.find('/') != std::string::npos && existsAsFolder(name);
        startFailure_ = startFailureText(name, folder ? EISDIR : ENOENT);
        return false;
    }

    Pipe out;
    Pipe err;
    int error = 0;
    if (!makePipe(out, error) || !makePipe(err, error)) {
        startFailure_ = startFailureText(name, error);
        return false;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.write.get(), 1);
    posix_spawn_file_actions_adddup2(&actions, err.write.get(), 2);
    if (!workingFolder_.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder_.c_str());
    }
    // The child starts with no blocked signals and with SIGPIPE at its
    // default, whatever the page's toolkit did to the parent's.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                              POSIX_SPAWN_SETPGROUP);

    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    pid_t pid = 0;
    error = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        startFailure_ = startFailureText(name, error);
        return false;
    }
    ChildGuard guard(pid);
    out.write.reset();
    err.write.reset();
    UniqueFd processFd(openProcessFd(pid));

    std::vector<char> buffer(kChunk);
    bool outOpen = true;
    bool errOpen = true;
    bool ended = false;
    int status = 0;
    bool statusLost = false;
    Clock::time_point endedAt;
    Clock::time_point lastData;
    Clock::time_point stopAt;
    bool killed = false;
    while (outOpen || errOpen || !ended) {
        pollfd fds[3];
        nfds_t count = 0;
        int outIndex = -1;
        int errIndex = -1;
        if (outOpen) {
            outIndex = static_cast<int>(count);
            fds[count++] = {out.read.get(), POLLIN, 0};
        }
        if (errOpen) {
            errIndex = static_cast<int>(count);
            fds[count++] = {err.read.get(), POLLIN, 0};
        }
        if (!ended && processFd.valid()) {
            fds[count++] = {processFd.get(), POLLIN, 0};
        }
        if (::poll(fds, count, kWaitMs) < 0 && errno != EINTR) {
            // Nothing sensible is left to wait on; fall through to the
            // process check so the loop still ends with the child.
            ::usleep(kWaitMs * 1000);
        }

        bool gotData = false;
        // Standard output before standard error within one pass.
        if (outIndex >= 0 && fds[outIndex].revents != 0) {
            outOpen = readChunk(out.read.get(), buffer, output, gotData);
        }
        if (errIndex >= 0 && fds[errIndex].revents != 0) {
            errOpen = readChunk(err.read.get(), buffer, output, gotData);
        }

        Clock::time_point now = Clock::now();
        if (gotData) {
            lastData = now;
        }
        if (!ended) {
            pid_t done = ::waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                ended = true;
                guard.reaped();
                endedAt = now;
                lastData = now;
            } else if (done < 0 && errno != EINTR) {
                // Someone else reaped the child (SIGCHLD ignored): its
                // status is lost, which counts as a failure.
                ended = true;
                statusLost = true;
                guard.reaped();
                endedAt = now;
                lastData = now;
            }
        } else if ((outOpen || errOpen) &&
                   (now - lastData >= kQuietAfterExit || now - endedAt >= kDrainLimit)) {
            break;
        }
        if (idle) {
            idle();
        }
        if (!ended && !stopped_ && stopCheck_ && stopCheck_()) {
            // The whole group: a child that runs helpers of its own
            // (Wine does) takes them along.
            stopped_ = true;
            stopAt = Clock::now();
            ::kill(-pid, SIGTERM);
        } else if (!ended && stopped_ && !killed && Clock::now() - stopAt >= kStopGrace) {
            killed = true;
            ::kill(-pid, SIGKILL);
        }
    }

    signal_ = 0;
    if (statusLost) {
        exitCode_ = kNoExitCode;
    } else if (WIFSIGNALED(status)) {
        signal_ = WTERMSIG(status);
        exitCode_ = 128u + static_cast<std::uint32_t>(signal_);
    } else {
        exitCode_ = static_cast<std::uint32_t>(WEXITSTATUS(status));
    }
    return true;
}

} // namespace ornibe
