#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

namespace ornibe {

// Writes an image's bytes to its open file, in the order they are made,
// on a thread of its own, so that the next piece is made while the last
// one is written.
//
// Where the file system takes direct writes, the pieces go past the page
// cache: the image is written once and nobody reads it back in this run,
// so holding it in memory would only push out the files the build still
// reads, and a machine that is slow to hand out memory it has not touched
// lately would pay for every page of it. Where direct writes are refused,
// and for a last piece whose length is not a whole number of the file
// system's blocks, the writes are ordinary ones, and their disk writes
// are started every 8 MB so that the final flush has little left to wait
// for.
class ImageOutput {
public:
    // Bytes in a piece: every piece but the last is full.
    static constexpr size_t kPieceSize = size_t{4} << 20;

    // directWrites false keeps to ordinary writes.
    explicit ImageOutput(int fd, bool directWrites = true);
    // Waits for the write under way; pieces not yet started are dropped.
    ~ImageOutput();
    ImageOutput(const ImageOutput&) = delete;
    ImageOutput& operator=(const ImageOutput&) = delete;

    // A free piece of kPieceSize bytes to fill, once one is free; empty
    // when a write has failed, after which nothing more is written.
    std::span<unsigned char> piece();
    // Hands the piece last returned by piece(), filled with length bytes,
    // to the writing thread. Only the last piece may be shorter.
    void write(size_t length);
    // Waits until everything handed over is written: the error number of
    // the first write that failed, if one did.
    std::optional<int> finish();

    // Whether the file still takes direct writes (for the tests).
    bool writesDirect() const;

private:
    struct Piece {
        unsigned char* bytes = nullptr;
        size_t length = 0;
    };

    void run();
    // Writes one piece at offset_, directly while the file allows it.
    void writeOut(const Piece& piece);
    bool writeAll(const unsigned char* bytes, size_t length);
    void stopDirect();

    int fd_;
    size_t align_ = 4096;
    bool direct_ = false;
    std::uint64_t offset_ = 0;
    std::uint64_t writeStarted_ = 0;
    std::vector<std::unique_ptr<unsigned char, void (*)(void*)>> storage_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<unsigned char*> free_;
    std::deque<Piece> queued_;
    unsigned char* filling_ = nullptr;
    bool writing_ = false;
    bool closing_ = false;
    std::optional<int> error_;
    std::thread thread_;
};

} // namespace ornibe
