#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// How far a tree copy has come. The totals are counted before the first
// byte is copied.
struct CopyProgress {
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    std::uint64_t filesDone = 0;
    std::uint64_t filesTotal = 0;
};

using CopyProgressCallback = std::function<void(const CopyProgress&)>;

// The outcome of a tree copy. It converts to true only when everything was
// copied and nobody cancelled.
struct CopyResult {
    bool cancelled = false;
    // Entries that could not be copied; the first one is named below.
    std::uint64_t failures = 0;
    // The file the failure happened on: the source's file when reading it
    // failed, the destination's when writing there failed.
    std::string failedPath;
    std::string reason;
    // Links of the source that were left out, each as "path: why".
    std::vector<std::string> leftOut;

    bool ok() const { return !cancelled && failures == 0; }
    explicit operator bool() const { return ok(); }
};

// Copies everything inside the folder from (its files and folders, with
// their subfolders) into the folder to, which is created when missing.
// Existing files are replaced without a question, also read-only ones;
// missing folders are created; files and folders keep their permission
// bits and times. Where the
// destination already holds a name that differs only in letter case, that
// entry is used, so no folder ends up with two such names.
//
// progress (may be empty) is called after every file and after every chunk
// of a large file. cancel (may be null) is looked at before every file and
// every chunk; once it is set the copy stops, the file in progress is
// removed, and what was copied before stays. An entry that cannot be copied
// (unreadable, a special file, a name in the way) is counted and skipped,
// and the copy goes on with the rest.
//
// Links: the destination never receives one. A link of the source is copied
// as what it names (a file, or a folder with its content) when that lies
// inside the source; a link that leads out of the source, nowhere, or back
// to a folder above it is left out and listed in leftOut. In the
// destination nothing is written through a link: new files are created
// under names of their own with O_EXCL|O_NOFOLLOW and renamed into place
// (which replaces a link of the file's name), and a link where a folder of
// the source goes is refused as a failure that names it.
CopyResult copyTree(const std::string& from, const std::string& to,
                    const CopyProgressCallback& progress = {},
                    const std::atomic<bool>* cancel = nullptr);

// The bytes that copyTree would copy from the folder from: its files
// together, links followed as the copy follows them. Nothing when from is
// no folder that can be read.
std::optional<std::uint64_t> treeBytes(const std::string& from);

} // namespace ornibe
