#include "sys/PendingCopy.h"

#include "sys/FileError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace ornibe {
namespace {

// Large files are copied in chunks of this size, so that progress is
// reported and a cancel is seen while one file is still being copied.
constexpr std::uint64_t kChunk = 8u << 20;
// The buffer of a copy that the kernel cannot do.
constexpr std::size_t kBuffer = 1u << 20;

void fail(PendingCopy& copy, const std::string& path, const std::string& reason) {
    copy.failed = true;
    copy.failedPath = path;
    copy.reason = reason;
}

// Reads up to length bytes at offset and writes all of them; the bytes
// moved, 0 at the end of the source, -1 with errno on an error, with
// writing telling which side it was.
ssize_t readAndWrite(int in, std::uint64_t offset, int out, std::size_t length, bool& writing,
                     std::vector<char>& buffer) {
    buffer.resize(kBuffer);
    writing = false;
    ssize_t n = -1;
    do {
        n = ::pread(in, buffer.data(), length, static_cast<off_t>(offset));
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        return n;
    }
    std::size_t done = 0;
    while (done < static_cast<std::size_t>(n)) {
        ssize_t w = ::write(out, buffer.data() + done, static_cast<std::size_t>(n) - done);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            if (w == 0) {
                errno = EIO;
            }
            writing = true;
            return -1;
        }
        done += static_cast<std::size_t>(w);
    }
    return n;
}

// Copies the source's extents to the end of out; false when the copy
// stopped or failed (the failure is kept in copy).
bool copyBytes(PendingCopy& copy, int out, const CopyChunkHooks& hooks, std::vector<char>& buffer) {
    bool inKernel = true;
    std::uint64_t copied = 0;
    for (const Extent& extent : copy.extents) {
        const bool toTheEnd = extent.length == kToTheEnd;
        std::uint64_t offset = extent.offset;
        std::uint64_t left = extent.length;
        while (left > 0) {
            if (!hooks.goOn()) {
                copy.stopped = true;
                return false;
            }
            const std::uint64_t chunk = std::min(left, kChunk);
            ssize_t n = -1;
            bool writing = false;
            if (inKernel) {
                // The kernel moves the bytes (or shares them) without a
                // trip through this process.
                auto at = static_cast<loff_t>(offset);
                n = ::copy_file_range(copy.in.get(), &at, out, nullptr, chunk, 0);
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n < 0 || (n == 0 && !toTheEnd)) {
                    // Not offered between these two (from a device, across
                    // file systems), or something failed: the rest goes
                    // through the buffer, which tells which side it was.
                    inKernel = false;
                    continue;
                }
            } else {
                n = readAndWrite(copy.in.get(), offset, out,
                                 std::min<std::uint64_t>(chunk, kBuffer), writing, buffer);
                if (n < 0) {
                    fail(copy, writing ? copy.target : copy.entry.sourcePath, systemReason(errno));
                    return false;
                }
            }
            if (n == 0) {
                if (toTheEnd) {
                    break;
                }
                // The source ends before the bytes it claims.
                fail(copy, copy.entry.sourcePath, systemReason(EIO));
                return false;
            }
            offset += static_cast<std::uint64_t>(n);
            left -= static_cast<std::uint64_t>(n);
            copied += static_cast<std::uint64_t>(n);
            if (copied < copy.entry.bytes) {
                // The end of the file is reported once, when it is placed.
                hooks.progressed(copied);
            }
        }
    }
    return true;
}

} // namespace

void writePendingCopy(PendingCopy& copy, const CopyChunkHooks& hooks, std::vector<char>& buffer) {
    // The copy goes to a new file beside the target, which its writer
    // renames over the target: an existing file (or a link of that name)
    // is replaced even when it is read-only, and a copy that fails or is
    // cancelled leaves no half-written file under the real name.
    try {
        auto out = std::make_unique<PendingFile>(copy.target);
        if (!copyBytes(copy, out->fd(), hooks, buffer)) {
            return; // out removes its file
        }
        out->setMode(copy.entry.mode);
        if (::futimens(out->fd(), copy.entry.times) != 0) {
            throwFileError("write", copy.target, errno);
        }
        copy.file = std::move(out);
    } catch (const FileError& error) {
        fail(copy, error.path(), error.reason());
    }
}

} // namespace ornibe
