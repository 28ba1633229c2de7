#include "sys/FileIo.h"

#include "sys/FileError.h"
#include "sys/HostPath.h"
#include "sys/PendingFile.h"
#include "sys/Translation.h"
#include "sys/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <limits>

namespace ornibe {
std::string readFile(const std::string& path) {
    return *readFileAtMost(path, std::numeric_limits<std::uint64_t>::max());
}

std::optional<std::string> readFileAtMost(const std::string& path, std::uint64_t maxBytes,
                                          std::uint64_t* size) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
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
    const auto known = static_cast<std::uint64_t>(st.st_size);
    if (known > maxBytes) {
        if (size != nullptr) {
            *size = known;
        }
        return std::nullopt;
    }
    std::string content;
    content.reserve(static_cast<size_t>(known));
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
        // A file that grows while it is read, or one whose size the system
        // does not give (a pipe, a file of /proc), stops at the limit too.
        if (static_cast<std::uint64_t>(n) > maxBytes - content.size()) {
            if (size != nullptr) {
                *size = content.size() + static_cast<std::uint64_t>(n);
            }
            return std::nullopt;
        }
        content.append(buffer, static_cast<size_t>(n));
    }
    return content;
}

std::string readFileHead(const std::string& path, std::size_t count, std::uint64_t offset) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        throwFileError("open", path, errno);
    }
    if (offset != 0 && ::lseek(fd.get(), static_cast<off_t>(offset), SEEK_SET) < 0) {
        throwFileError("read", path, errno);
    }
    std::string head(count, '\0');
    std::size_t done = 0;
    while (done < count) {
        ssize_t got = ::read(fd.get(), head.data() + done, count - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throwFileError("read", path, errno);
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    head.resize(done);
    return head;
}

std::string peekFile(const std::string& path, std::size_t count, std::uint64_t offset) {
    try {
        return readFileHead(path, count, offset);
    } catch (const FileError&) {
        return {};
    }
}

namespace {

void writeReplacing(const std::string& path, std::string_view bytes, bool flush,
                    bool privateMode = false) {
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
    pending.setMode(privateMode ? 0600 : mode);
    if (flush) {
        pending.sync();
    }
    pending.commit();
}

} // namespace

void writeFileAtomic(const std::string& path, std::string_view bytes) {
    writeReplacing(path, bytes, true);
}

void writeFileUnflushed(const std::string& path, std::string_view bytes) {
    writeReplacing(path, bytes, false);
}

void writePrivateFileAtomic(const std::string& path, std::string_view bytes) {
    writeReplacing(path, bytes, true, true);
}

void refuseLink(const std::string& operation, const std::string& path) {
    // A trailing "/" would make lstat follow the link.
    std::string entry = path;
    while (entry.size() > 1 && entry.back() == '/') {
        entry.pop_back();
    }
    struct stat st {};
    if (lstat(entry.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        throw FileError(operation, path, translated("シンボリックリンクです"));
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
