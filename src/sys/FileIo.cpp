#include "sys/FileIo.h"

#include "sys/FileError.h"
#include "sys/HostPath.h"
#include "sys/PendingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace ornibe {
namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

} // namespace

std::string readFile(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        throwFileError("open", path, errno);
    }
    struct stat st {};
    if (fstat(fd.get(), &st) != 0) {
        throwFileError("read", path, errno);
    }
    if (S_ISDIR(st.st_mode)) {
        throwFileError("read", path, EISDIR);
    }
    std::string content;
    content.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    while (true) {
        ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throwFileError("read", path, errno);
        }
        if (n == 0) {
            break;
        }
        content.append(buffer, static_cast<size_t>(n));
    }
    return content;
}

void writeFileAtomic(const std::string& path, std::string_view bytes) {
    mode_t mode = 0644;
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        // The new content would replace the link, with what was read
        // through it: a link is not a file of the tree.
        if (S_ISLNK(st.st_mode)) {
            refuseLink("write", path);
        }
        mode = st.st_mode & 07777;
        // A file marked read-only refuses changes, as it does on Windows.
        if (isReadOnly(path)) {
            throwFileError("open", path, EACCES);
        }
    }
    PendingFile pending(path);
    pending.write(bytes);
    pending.setMode(mode);
    pending.sync();
    pending.commit();
}

void refuseLink(const std::string& operation, const std::string& path) {
    // A trailing "/" would make lstat follow the link.
    std::string entry = path;
    while (entry.size() > 1 && entry.back() == '/') {
        entry.pop_back();
    }
    struct stat st {};
    if (lstat(entry.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        throw FileError(operation, path, "it is a symbolic link");
    }
}

void removeFile(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        throwFileError("remove", path, errno);
    }
}

void makeFolders(const std::string& path) {
    std::string absolute = makeAbsolute(path);
    if (existsAsFolder(absolute)) {
        return;
    }
    std::string parent = folderPart(absolute);
    if (!parent.empty() && parent != absolute) {
        makeFolders(parent);
    }
    if (::mkdir(absolute.c_str(), 0777) != 0 && errno != EEXIST) {
        throwFileError("create folder", path, errno);
    }
}

} // namespace ornibe
