#pragma once

#include <sys/types.h>

#include <cstdint>

#include <string>
#include <string_view>

namespace ornibe {

// A new file on its way to a destination path: "write beside, then
// rename". It is created in the destination's folder under a hidden name of
// its own (".NAME.ornibe-XXXXXX", with random letters for the Xs), with
// O_CREAT|O_EXCL|O_NOFOLLOW, so that nothing that already stands under that
// name (a file, or a link planted there) is opened, written or followed.
// commit() renames it over the destination in one step; an entry of the
// destination's name that is a link is replaced, never written through.
// Until then the destination is untouched, and an object that goes without
// commit() removes its file.
//
// Every failure throws FileError naming the destination (the file the user
// knows), with the system's reason.
class PendingFile {
public:
    // Creates the new file with mode bits 0600; they are set to their final
    // value with setMode().
    explicit PendingFile(std::string destination);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // The open new file, for callers that write it themselves.
    int fd() const { return fd_; }
    // The hidden file's path and the destination.
    const std::string& path() const { return path_; }
    const std::string& destination() const { return destination_; }

    // Writes all of bytes at the current position.
    void write(std::string_view bytes);
    void setMode(mode_t mode);
    // Flushes the content to the disk.
    void sync();
    // Closes the file and renames it over the destination.
    void commit();
    // Closes and removes the file; harmless after commit().
    void abandon();

private:
    [[noreturn]] void fail(int error);

    std::string destination_;
    std::string path_;
    int fd_ = -1;
    int slot_ = -1;
};

// Creates an empty file (mode 0600) under a pending file's hidden name for
// destination, as PendingFile does, closes it and returns its path: a place
// that another program fills and the caller renames into place or removes.
// Left behind by a killed run, it is removed as stale as every pending file
// is. Throws FileError naming the destination.
std::string reservePendingFile(const std::string& destination);

// Fills the reserved file at path (a pending file's hidden name, as
// reservePendingFile gives) with bytes, in place: nobody relies on it
// before its caller renames it, so it needs no pending file of its own. A
// path that is not there or is a link is refused. Throws FileError naming
// path.
void fillReservedFile(const std::string& path, std::string_view bytes);

// True when name has the form of a pending file's hidden name (of any
// destination): such a file is never content of a tree.
bool isPendingFileName(std::string_view name);
// True when name is the name of a pending file for a destination whose
// own name (without its folder) is destinationName.
bool isPendingFileOf(std::string_view name, std::string_view destinationName);

// Removes the pending files that an earlier run, killed before it could
// clean up, left for this destination. Only regular files and links of that
// form are removed; nothing is followed.
void removeStalePendingFiles(const std::string& destination);

// Removes every pending file (of any destination) that a killed run left
// anywhere in the tree below folder, and returns how many went. Only
// regular files and links whose names have exactly the pending form are
// removed; links are never followed, neither to a file nor into a folder,
// so nothing outside the tree is touched. Folders that cannot be read are
// passed over.
std::uint64_t removeStalePendingFilesBelow(const std::string& folder);

// For the tools: when SIGTERM or SIGINT ends the process, the pending files
// it holds are removed first, then the process ends by that signal.
void removePendingFilesOnTermination();

} // namespace ornibe
