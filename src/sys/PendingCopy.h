#pragma once

#include "sys/PendingFile.h"
#include "sys/TreeWriter.h"
#include "sys/UniqueFd.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ornibe {

// One file of a tree copy, written beside its target but not yet put in
// place: what it is made of, and what came of writing it. Writing it
// touches nothing but the copy itself, so it can run on any thread; the
// tree's writer then puts it in place (or removes it) in its turn.
struct PendingCopy {
    // What to write.
    std::string target;
    TreeEntry entry;
    // The copy's own descriptor of the source, read at the extents'
    // offsets only.
    UniqueFd in;
    std::vector<Extent> extents;

    // One look at the cancel flag before a chunk, and the file's bytes
    // counted after that chunk when more was to come (reported).
    struct Step {
        bool reported = false;
        std::uint64_t counted = 0;
    };

    // What came of it: the filled file with its bits and times, waiting
    // for its rename; or nothing, because the copy stopped before a chunk
    // or failed (failedPath, reason). The chunks' steps in order.
    std::unique_ptr<PendingFile> file;
    std::vector<Step> steps;
    bool stopped = false;
    bool failed = false;
    std::string failedPath;
    std::string reason;
};

// What a copy asks of its caller while it writes.
struct CopyChunkHooks {
    // Before each chunk: false stops the copy there.
    std::function<bool()> goOn;
    // After a chunk, when more is to come: the file's bytes copied so far,
    // at most its size.
    std::function<void(std::uint64_t counted)> progressed;
};

// Writes copy: creates its pending file, fills it from the extents (by
// copy_file_range in chunks, and through buffer where the kernel cannot
// copy, which then also tells whether reading or writing failed), and
// gives it the entry's bits and times. Throws nothing: a failure is kept
// in copy, whose pending file is then gone.
void writePendingCopy(PendingCopy& copy, const CopyChunkHooks& hooks, std::vector<char>& buffer);

} // namespace ornibe
