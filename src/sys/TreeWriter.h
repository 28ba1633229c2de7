#pragma once

#include "sys/CaseLookup.h"

#include <sys/stat.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace ornibe {

class CopyAhead;
struct PendingCopy;

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
    // Entries that could not be copied, one for each: a file, or a folder
    // whatever it holds (its content counts as done for the progress). The
    // first failure is named below.
    std::uint64_t failures = 0;
    // The file the failure happened on: the source's file when reading it
    // failed, the destination's when writing there failed.
    std::string failedPath;
    std::string reason;
    // Links of the source that were left out, each as "path: why".
    std::vector<std::string> leftOut;
    // Folders that hold their copy but refused their permission bits or
    // times (a work folder on FAT, a folder another user owns): no failure,
    // since setup reads their files all the same. The first is named by its
    // path in the destination and the reason.
    std::uint64_t foldersUnset = 0;
    std::string unsetPath;
    std::string unsetReason;

    bool ok() const { return !cancelled && failures == 0; }
    explicit operator bool() const { return ok(); }
};

// A piece of a file's bytes in the file or device they are read from.
struct Extent {
    std::uint64_t offset = 0;
    // kToTheEnd: as far as the file goes.
    std::uint64_t length = 0;
};

inline constexpr std::uint64_t kToTheEnd = std::numeric_limits<std::uint64_t>::max();

// Where a file's bytes come from: an open file or device and the pieces of
// it that make up the file, in order. The writer reads at the extents'
// offsets and never moves the descriptor's position. An extent with a
// length ends early only as kToTheEnd; otherwise the source is taken for
// unreadable there.
struct ByteSource {
    int fd = -1;
    std::span<const Extent> extents;
};

// One entry of a source tree as a reader hands it to the writer.
struct TreeEntry {
    // Its name in its folder.
    std::string name;
    // How a failure on the source's side names it.
    std::string sourcePath;
    // The permission bits the copy gets.
    mode_t mode = 0;
    // Access and modification time; UTIME_OMIT leaves one as the copy has it.
    timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
    // A file's bytes, as the progress counts them; for a folder the bytes
    // of the files below it.
    std::uint64_t bytes = 0;
    // 1 for a file; for a folder the files below it.
    std::uint64_t files = 1;
};

// The one writer of copied trees. A reader (a folder on disk, a CD image)
// walks its own tree and hands each entry to it; the writer does the
// destination's side for every source alike:
// - a name that differs only in letter case from one already in the
//   destination folder uses that entry (DestFolder);
// - a file is written beside its target as a PendingFile and renamed into
//   place whole, with its permission bits and times: an existing file is
//   replaced, also a read-only one, and a failed or cancelled file leaves
//   nothing; nothing is written through a link;
// - the bytes go by copy_file_range in chunks, and through a buffer where
//   the kernel cannot copy them, which then also tells whether reading or
//   writing failed;
// - a folder is created (or an existing one made writable for the copy)
//   and gets its permission bits and times after its content; a folder
//   that refuses them is counted and named apart from the failures;
// - progress is reported after every file and between the chunks of a
//   large one, cancel is looked at before every chunk, and a failure is
//   counted, the first one named, and the copy goes on with the rest.
//
// With workers, the files are written ahead of their turn on that many
// threads (CopyAhead), at most kReadAhead of them at a time, while the
// caller's thread puts each in place in the order it was handed: progress,
// cancel and failures are then seen there in that same order, so the
// outcome is the one of a copy without workers. Before a folder is made or
// given its bits and times, and before a failure the reader reports, every
// file handed earlier is put in place first.
//
// Reasons are the system's own text, or the program's Japanese ones; what
// stands in the way in the destination is followed by ": " and the
// destination's path where the failure names the source's entry.
class TreeWriter {
public:
    using Content = std::function<void(DestFolder&)>;

    // The files handed to the workers and not yet put in place, at most;
    // the reader's entries are opened no further ahead than that.
    static constexpr std::size_t kReadAhead = 8;

    // totals holds the files and bytes that the reader will hand over;
    // workers, the threads that write files ahead (none: each file is
    // written when it is handed).
    TreeWriter(const CopyProgress& totals, CopyProgressCallback progress,
               const std::atomic<bool>* cancel, unsigned workers = 0);
    ~TreeWriter();
    TreeWriter(const TreeWriter&) = delete;
    TreeWriter& operator=(const TreeWriter&) = delete;

    // Creates the folder to (and the folders above it) when missing, and
    // unless cancelled hands content the folder to fill. Its own bits and
    // times stay as they are.
    void copyInto(const std::string& to, const Content& content);

    // The folder entry in parent: created or reused, filled by content,
    // then given the entry's bits and times.
    void copyFolder(DestFolder& parent, const TreeEntry& entry, const Content& content);

    // The file entry in parent with the bytes of source, which the writer
    // reads through a descriptor of its own.
    void copyFile(DestFolder& parent, const TreeEntry& entry, const ByteSource& source);

    // A failure that the reader met on its side (an entry it cannot list,
    // open or read as a file); the entry's files count as done.
    void fail(const std::string& path, const std::string& reason, const TreeEntry& entry);

    // A link of the source that is not copied, as "path: why".
    void leaveOut(std::string line);

    // Whether the copy was cancelled; readers stop handing entries then.
    bool cancelled();

    CopyResult takeResult() { return std::move(result_); }

private:
    void report();
    // Counts a failure and names it when it is the first.
    void record(const std::string& path, const std::string& reason);
    // A failure of the entry now, in its turn.
    void failEntry(const std::string& path, const std::string& reason, const TreeEntry& entry);
    // Sets the folder's bits and times, or counts it among foldersUnset.
    void setFolderAttributes(const std::string& target, const TreeEntry& entry);
    void failAt(const std::string& path, const std::string& reason, const TreeEntry& entry,
                std::uint64_t bytesBefore);
    // The folder's path in the destination, ready to take its content;
    // empty after a failure, which is recorded.
    std::string prepareFolder(DestFolder& parent, const TreeEntry& entry);
    // Puts the written copy in place in its turn, going through its steps
    // again unless they were taken live; after a cancel it is dropped.
    void place(PendingCopy& copy, bool replay);
    // Puts the oldest copy of the workers in place; then every one.
    void placeOldest();
    void placeAll();

    CopyProgressCallback progressCallback_;
    const std::atomic<bool>* cancel_;
    CopyProgress progress_;
    CopyResult result_;
    std::vector<char> buffer_;
    std::unique_ptr<CopyAhead> ahead_;
};

// The workers a copy whose source is the open fd should write ahead with:
// none from an optical disc or a device, which read best one piece after
// the other; otherwise one for each processor, up to four.
unsigned aheadWorkersFor(int fd);

} // namespace ornibe
