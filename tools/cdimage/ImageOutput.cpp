#include "ImageOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace ornibe {
namespace {

// Pieces in hand: one being filled, one being written, one waiting.
constexpr size_t kPieces = 3;
// Disk writes of ordinary writes are started every 8 MB.
constexpr std::uint64_t kWriteBehind = 8 << 20;

} // namespace

ImageOutput::ImageOutput(int fd, bool directWrites) : fd_(fd) {
    for (size_t i = 0; i < kPieces; ++i) {
        // Direct writes take memory aligned as the file's offsets are;
        // 4096 bytes covers the block sizes of the disks in use.
        void* bytes = std::aligned_alloc(align_, kPieceSize);
        if (bytes == nullptr) {
            throw std::bad_alloc();
        }
        storage_.emplace_back(static_cast<unsigned char*>(bytes), std::free);
        free_.push_back(storage_.back().get());
    }
    if (directWrites) {
        int flags = ::fcntl(fd_, F_GETFL);
        direct_ = flags >= 0 && ::fcntl(fd_, F_SETFL, flags | O_DIRECT) == 0;
    }
    thread_ = std::thread([this] { run(); });
}

ImageOutput::~ImageOutput() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        queued_.clear();
    }
    changed_.notify_all();
    thread_.join();
}

std::span<unsigned char> ImageOutput::piece() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return error_ || !free_.empty(); });
    if (error_) {
        return {};
    }
    filling_ = free_.back();
    free_.pop_back();
    return {filling_, kPieceSize};
}

void ImageOutput::write(size_t length) {
    {
        std::lock_guard lock(mutex_);
        queued_.push_back(Piece{filling_, length});
        filling_ = nullptr;
    }
    changed_.notify_all();
}

std::optional<int> ImageOutput::finish() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return error_ || (queued_.empty() && !writing_); });
    return error_;
}

bool ImageOutput::writesDirect() const {
    std::lock_guard lock(mutex_);
    return direct_;
}

void ImageOutput::run() {
    std::unique_lock lock(mutex_);
    while (true) {
        changed_.wait(lock, [this] { return closing_ || !queued_.empty(); });
        if (queued_.empty()) {
            return;
        }
        Piece next = queued_.front();
        queued_.pop_front();
        writing_ = true;
        lock.unlock();
        writeOut(next);
        lock.lock();
        writing_ = false;
        free_.push_back(next.bytes);
        if (error_) {
            // Nothing after a failed write reaches the file.
            queued_.clear();
        }
        changed_.notify_all();
    }
}

void ImageOutput::writeOut(const Piece& piece) {
    size_t head = piece.length;
    if (direct_ && piece.length % align_ != 0) {
        head = piece.length - piece.length % align_;
    }
    if (!writeAll(piece.bytes, head)) {
        return;
    }
    if (head < piece.length) {
        stopDirect();
        writeAll(piece.bytes + head, piece.length - head);
    }
}

bool ImageOutput::writeAll(const unsigned char* bytes, size_t length) {
    size_t done = 0;
    while (done < length) {
        ssize_t n = ::pwrite(fd_, bytes + done, length - done, static_cast<off_t>(offset_));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno == EINVAL && direct_) {
            // The file system takes direct writes only of other sizes or
            // alignments: the rest goes through the page cache.
            stopDirect();
            continue;
        }
        if (n < 0) {
            std::lock_guard lock(mutex_);
            error_ = errno;
            return false;
        }
        done += static_cast<size_t>(n);
        offset_ += static_cast<std::uint64_t>(n);
        if (direct_ && (offset_ % align_ != 0 || (length - done) % align_ != 0)) {
            // A short direct write left the next offset or length out of
            // line.
            stopDirect();
        }
    }
    if (!direct_ && offset_ - writeStarted_ >= kWriteBehind) {
        ::sync_file_range(fd_, static_cast<off_t>(writeStarted_),
                          static_cast<off_t>(offset_ - writeStarted_), SYNC_FILE_RANGE_WRITE);
        writeStarted_ = offset_;
    }
    return true;
}

void ImageOutput::stopDirect() {
    int flags = ::fcntl(fd_, F_GETFL);
    if (flags >= 0) {
        ::fcntl(fd_, F_SETFL, flags & ~O_DIRECT);
    }
    std::lock_guard lock(mutex_);
    direct_ = false;
    // Ordinary writes start their disk writes from here.
    writeStarted_ = offset_;
}

} // namespace ornibe
