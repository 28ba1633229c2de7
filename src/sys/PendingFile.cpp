#include "sys/PendingFile.h"

#include "sys/FileError.h"
#include "sys/HostPath.h"
#include "sys/UniqueDir.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

namespace ornibe {
namespace {

constexpr std::string_view kMarker = ".ornibe-";
constexpr size_t kRandomLetters = 6;
constexpr std::string_view kLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// The hidden name's beginning for a destination name: "." NAME ".ornibe-",
// NAME shortened so that the whole name fits the file system's limit.
std::string hiddenPrefix(std::string_view name) {
    size_t room = NAME_MAX - 1 - kMarker.size() - kRandomLetters;
    return "." + std::string(name.substr(0, room)) + std::string(kMarker);
}

std::string randomLetters() {
    std::array<unsigned char, kRandomLetters> bytes{};
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = ::getrandom(bytes.data() + got, bytes.size() - got, 0);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            // No random source: the pid and the time still make the name
            // unlikely to be in use, and O_EXCL settles the rest.
            auto seed = static_cast<std::uint64_t>(::getpid()) * 2654435761u ^
                        static_cast<std::uint64_t>(::time(nullptr));
            for (unsigned char& b : bytes) {
                b = static_cast<unsigned char>(seed);
                seed = seed * 6364136223846793005u + 1442695040888963407u;
            }
            break;
        }
        got += static_cast<size_t>(n);
    }
    std::string letters;
    for (unsigned char b : bytes) {
        letters += kLetters[b % kLetters.size()];
    }
    return letters;
}

// The paths of the pending files of this process, for the signal handler.
// A slot holds the c_str() of a PendingFile's path while it may be removed.
constexpr int kSlots = 32;
std::array<std::atomic<const char*>, kSlots> slots{};

int takeSlot(const char* path) {
    for (int i = 0; i < kSlots; ++i) {
        const char* empty = nullptr;
        if (slots[i].compare_exchange_strong(empty, path)) {
            return i;
        }
    }
    return -1; // not removed on a signal; a later run removes it as stale
}

void releaseSlot(int& slot) {
    if (slot >= 0) {
        slots[slot].store(nullptr);
        slot = -1;
    }
}

extern "C" void removePendingAndDie(int signalNumber) {
    for (auto& slot : slots) {
        if (const char* path = slot.load()) {
            ::unlink(path);
        }
    }
    // SA_RESETHAND restored the default action: end by the same signal.
    ::raise(signalNumber);
}

bool isRandomLetter(char c) {
    return kLetters.find(c) != std::string_view::npos;
}

// Removes the entry of a folder when it is a regular file or a link (the
// link itself, never what it names); true when it went.
bool removeFileOrLink(int folderFd, const char* name) {
    struct stat st {};
    return ::fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) && ::unlinkat(folderFd, name, 0) == 0;
}

// The pending files below the open folder; it is closed on the way out.
std::uint64_t removePendingBelow(int folderFd) {
    UniqueDir dir(::fdopendir(folderFd));
    if (!dir) {
        ::close(folderFd);
        return 0;
    }
    std::uint64_t removed = 0;
    std::vector<std::string> folders;
    while (dirent* entry = ::readdir(dir.get())) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            folders.emplace_back(name);
        } else if (isPendingFileName(name) && removeFileOrLink(::dirfd(dir.get()), entry->d_name)) {
            ++removed;
        }
    }
    for (const std::string& name : folders) {
        // O_NOFOLLOW: a folder swapped for a link meanwhile is not entered.
        int sub = ::openat(::dirfd(dir.get()), name.c_str(),
                           O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub >= 0) {
            removed += removePendingBelow(sub);
        }
    }
    return removed;
}

} // namespace

PendingFile::PendingFile(std::string destination) : destination_(std::move(destination)) {
    std::string folder = folderPart(destination_);
    std::string prefix =
        joinPath(folder.empty() ? "." : folder, hiddenPrefix(fileName(destination_)));
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = prefix + randomLetters();
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            slot_ = takeSlot(path_.c_str());
            return;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    int error = errno;
    path_.clear();
    throwFileError("write", destination_, error);
}

PendingFile::~PendingFile() {
    abandon();
}

void PendingFile::fail(int error) {
    abandon();
    throwFileError("write", destination_, error);
}

void PendingFile::write(std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail(errno);
        }
        done += static_cast<size_t>(n);
    }
}

void PendingFile::setMode(mode_t mode) {
    if (::fchmod(fd_, mode) != 0) {
        fail(errno);
    }
}

void PendingFile::sync() {
    if (::fsync(fd_) != 0) {
        fail(errno);
    }
}

void PendingFile::commit() {
    if (path_.empty()) {
        throwFileError("write", destination_, EBADF);
    }
    int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        fail(errno);
    }
    if (::rename(path_.c_str(), destination_.c_str()) != 0) {
        fail(errno);
    }
    releaseSlot(slot_);
    path_.clear();
}

void PendingFile::abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        releaseSlot(slot_);
        path_.clear();
    }
}

std::string reservePendingFile(const std::string& destination) {
    std::string folder = folderPart(destination);
    std::string prefix =
        joinPath(folder.empty() ? "." : folder, hiddenPrefix(fileName(destination)));
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = prefix + randomLetters();
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    throwFileError("write", destination, errno);
}

void fillReservedFile(const std::string& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        throwFileError("write", path, errno);
    }
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            int error = errno;
            ::close(fd);
            throwFileError("write", path, error);
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) {
        throwFileError("write", path, errno);
    }
}

bool isPendingFileName(std::string_view name) {
    size_t tail = kMarker.size() + kRandomLetters;
    if (name.size() < 1 + tail || name.front() != '.') {
        return false;
    }
    std::string_view end = name.substr(name.size() - tail);
    if (!end.starts_with(kMarker)) {
        return false;
    }
    for (char c : end.substr(kMarker.size())) {
        if (!isRandomLetter(c)) {
            return false;
        }
    }
    return true;
}

bool isPendingFileOf(std::string_view name, std::string_view destinationName) {
    std::string prefix = hiddenPrefix(destinationName);
    return name.size() == prefix.size() + kRandomLetters && name.starts_with(prefix) &&
           isPendingFileName(name);
}

void removeStalePendingFiles(const std::string& destination) {
    std::string folder = folderPart(destination);
    if (folder.empty()) {
        folder = ".";
    }
    const std::string destinationName = fileName(destination);
    for (const std::string& name : folderEntries(folder).value_or(std::vector<std::string>{})) {
        if (!isPendingFileOf(name, destinationName)) {
            continue;
        }
        removeFileOrLink(AT_FDCWD, joinPath(folder, name).c_str());
    }
}

std::uint64_t removeStalePendingFilesBelow(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd < 0 ? 0 : removePendingBelow(fd);
}

void removePendingFilesOnTermination() {
    struct sigaction action {};
    action.sa_handler = removePendingAndDie;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGTERM);
    sigaddset(&action.sa_mask, SIGINT);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace ornibe
