#include "sys/ProcessStarter.h"

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
bool readChunk(int fd, std::vector<char>& buffer, const ProcessStarter::OutputCallback& output,
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

// Starts program with arguments, its standard output and error into the
// pipes' write ends, standard input from /dev/null, in its own process
// group. The child starts with no blocked signals and with SIGPIPE at its
// default, whatever the page's toolkit did to the parent's. 0, or the
// reason it could not start.
int spawnChild(const std::string& program, std::vector<std::string>& arguments, const Pipe& out,
               const Pipe& err, const std::string& workingFolder,
               const std::vector<std::string>& variables, pid_t& pid) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out.write.get(), 1);
    posix_spawn_file_actions_adddup2(&actions, err.write.get(), 2);
    if (!workingFolder.empty()) {
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    }
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

    std::vector<char*> environment;
    for (const std::string& variable : variables) {
        environment.push_back(const_cast<char*>(variable.c_str()));
    }
    environment.push_back(nullptr);

    int error =
        posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error;
}

// One running child: its pipes are read and its end is watched until it
// has ended and its pipes are closed or have stayed quiet long enough.
class ChildWatch {
public:
    ChildWatch(pid_t pid, Pipe& out, Pipe& err, ChildGuard& guard)
        : pid_(pid), out_(out), err_(err), guard_(guard), processFd_(openProcessFd(pid)),
          buffer_(kChunk) {}

    bool running() const { return outOpen_ || errOpen_ || !ended_; }
    bool ended() const { return ended_; }

    // Waits up to kWaitMs for output or the child's end and passes on what
    // was written, standard output before standard error.
    void pumpOnce(const ProcessStarter::OutputCallback& output) {
        pollfd fds[3];
        nfds_t count = 0;
        int outIndex = -1;
        int errIndex = -1;
        if (outOpen_) {
            outIndex = static_cast<int>(count);
            fds[count++] = {out_.read.get(), POLLIN, 0};
        }
        if (errOpen_) {
            errIndex = static_cast<int>(count);
            fds[count++] = {err_.read.get(), POLLIN, 0};
        }
        if (!ended_ && processFd_.valid()) {
            fds[count++] = {processFd_.get(), POLLIN, 0};
        }
        if (::poll(fds, count, kWaitMs) < 0 && errno != EINTR) {
            // Nothing sensible is left to wait on; fall through to the
            // process check so the loop still ends with the child.
            ::usleep(kWaitMs * 1000);
        }

        bool gotData = false;
        if (outIndex >= 0 && fds[outIndex].revents != 0) {
            outOpen_ = readChunk(out_.read.get(), buffer_, output, gotData);
        }
        if (errIndex >= 0 && fds[errIndex].revents != 0) {
            errOpen_ = readChunk(err_.read.get(), buffer_, output, gotData);
        }
        now_ = Clock::now();
        if (gotData) {
            lastData_ = now_;
        }
    }

    // Reaps the child once it has ended. After that, false when its pipes
    // are to be given up: a process it left behind still holds them, and
    // they stayed quiet or the drain took too long.
    bool checkEnd() {
        if (!ended_) {
            pid_t done = ::waitpid(pid_, &status_, WNOHANG);
            if (done == pid_) {
                markEnded();
            } else if (done < 0 && errno != EINTR) {
                // Someone else reaped the child (SIGCHLD ignored): its
                // status is lost, which counts as a failure.
                statusLost_ = true;
                markEnded();
            }
            return true;
        }
        return !((outOpen_ || errOpen_) &&
                 (now_ - lastData_ >= kQuietAfterExit || now_ - endedAt_ >= kDrainLimit));
    }

    // Asks the whole group to stop (a child that runs helpers of its own,
    // as Wine does, takes them along), and kills it when it has not ended
    // kStopGrace later.
    void askToStop() {
        stopAt_ = Clock::now();
        ::kill(-pid_, SIGTERM);
    }
    void killWhenOverdue() {
        if (!killed_ && Clock::now() - stopAt_ >= kStopGrace) {
            killed_ = true;
            ::kill(-pid_, SIGKILL);
        }
    }

    bool statusLost() const { return statusLost_; }
    int status() const { return status_; }

private:
    void markEnded() {
        ended_ = true;
        guard_.reaped();
        endedAt_ = now_;
        lastData_ = now_;
    }

    pid_t pid_;
    Pipe& out_;
    Pipe& err_;
    ChildGuard& guard_;
    UniqueFd processFd_;
    std::vector<char> buffer_;
    bool outOpen_ = true;
    bool errOpen_ = true;
    bool ended_ = false;
    bool statusLost_ = false;
    bool killed_ = false;
    int status_ = 0;
    Clock::time_point now_;
    Clock::time_point endedAt_;
    Clock::time_point lastData_;
    Clock::time_point stopAt_;
};

// Exit code and signal from a wait status; no exit code when the status was
// lost.
void recordStatus(ChildEnd& end, int status, bool statusLost) {
    end.signal = 0;
    if (statusLost) {
        end.exitCode = ChildEnd::kNoExitCode;
    } else if (WIFSIGNALED(status)) {
        end.signal = WTERMSIG(status);
        end.exitCode = 128u + static_cast<std::uint32_t>(end.signal);
    } else {
        end.exitCode = static_cast<std::uint32_t>(WEXITSTATUS(status));
    }
}

class SystemProcessStarter : public ProcessStarter {
public:
    ChildEnd run(const ChildStart& start, const OutputCallback& output, const IdleCallback& idle,
                 const StopCheck& stop) override {
        ChildEnd end;
        Pipe out;
        Pipe err;
        if (!makePipe(out, end.startError) || !makePipe(err, end.startError)) {
            return end;
        }
        std::vector<std::string> arguments = start.arguments;
        pid_t pid = 0;
        end.startError = spawnChild(start.program, arguments, out, err, start.workingFolder,
                                    start.environment, pid);
        if (end.startError != 0) {
            return end;
        }
        ChildGuard guard(pid);
        out.write.reset();
        err.write.reset();

        ChildWatch child(pid, out, err, guard);
        while (child.running()) {
            child.pumpOnce(output);
            if (!child.checkEnd()) {
                break;
            }
            if (idle) {
                idle();
            }
            if (!child.ended() && !end.stopped && stop && stop()) {
                end.stopped = true;
                child.askToStop();
            } else if (!child.ended() && end.stopped) {
                child.killWhenOverdue();
            }
        }
        recordStatus(end, child.status(), child.statusLost());
        return end;
    }
};

} // namespace

std::shared_ptr<ProcessStarter> systemProcessStarter() {
    static const std::shared_ptr<ProcessStarter> starter = std::make_shared<SystemProcessStarter>();
    return starter;
}

} // namespace ornibe
