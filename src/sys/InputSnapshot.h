#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace ornibe {

// The user's own input files that more than one step reads (the answer
// file, the target machine's lspci listing) are read once: the checks on
// "次へ >" read them, and the summary, the build and its check take the
// very bytes that passed, whatever happens to the file meanwhile. The
// settings record holds the one InputSnapshots of a run
// (BuildSettings::inputSnapshots), which every step reads through.
class InputSnapshots {
public:
    // The file's bytes as readFileAtMost gives them (nothing when it holds
    // more than maxBytes; size then says how much), read from the disk the
    // first time the path is asked for since the last forget() and from
    // memory after that. A path that is not a regular file (a pipe, a FIFO,
    // a device, a socket) cannot be read a second time, and is refused
    // before it is opened: a FileError whose reason says so. Other file
    // errors throw as readFileAtMost throws them; nothing is kept then.
    std::optional<std::string> read(const std::string& path, std::uint64_t maxBytes,
                                    std::uint64_t* size = nullptr);

    // Whether the path has been read since the last forget().
    bool holds(const std::string& path);

    // Starts a new reading: "次へ >" pressed again reads the files again.
    void forget();

private:
    struct Snapshot {
        std::optional<std::string> bytes;
        std::uint64_t size = 0;
        std::uint64_t maxBytes = 0;
    };
    std::mutex mutex_;
    std::map<std::string, Snapshot> kept_;
};

} // namespace ornibe
