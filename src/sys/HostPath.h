#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// Host paths: native, UTF-8, separated by "/".

// The part after the last "/" (the whole text when there is none).
std::string fileName(std::string_view path);
// The part before the last "/"; "/" for a name right below the root; the
// empty text when the path has no "/".
std::string folderPart(std::string_view path);
// a and b joined with exactly one "/" between them; an empty part adds
// nothing.
std::string joinPath(std::string_view a, std::string_view b);
// The path with one "/" at its end (added when it has none).
std::string withTrailingSlash(std::string path);
// The path without the one "/" at its end; the root "/" stays as it is.
std::string withoutTrailingSlash(std::string path);

// The absolute form of a path against the current folder, with "." and
// ".." folded and repeated separators merged, without touching the disk
// (links are not resolved). A trailing "/" stays. The empty path gives the
// current folder.
std::string makeAbsolute(std::string_view path);
// The same, with a relative path taken from base (itself absolute or taken
// from the current folder) instead of the current folder.
std::string makeAbsolute(std::string_view path, std::string_view base);

// The absolute path with every link, "." and ".." resolved on the disk;
// nothing when a part of it does not exist or cannot be searched (errno
// tells why).
std::optional<std::string> realPath(const std::string& path);
// The path as the host reaches it, also when it does not exist yet: the
// real path of its nearest part that exists (the path itself when it
// does, a link followed), with the parts below it that do not exist
// appended. The path is made absolute first.
std::string hostRealPath(const std::string& path);
// inner is outer or lies below it; both absolute and in the same form
// (folded by makeAbsolute or resolved by realPath).
bool isSameOrInside(std::string_view inner, std::string_view outer);

// Where a link leads, judged against the real path of the root it lies
// in: inside it (real and st say to what), nowhere (it dangles, or a part
// cannot be searched), out of it, or to something inside that cannot be
// asked about (error says why). Only what lies inside may be followed.
struct LinkTarget {
    enum class Leads { Inside, Nowhere, Outside, Unreadable };
    Leads leads = Leads::Nowhere;
    std::string real;
    struct stat st {};
    int error = 0;
};
LinkTarget followLink(const std::string& link, const std::string& realRoot);

// A regular file, or a link to one. Folders never pass.
bool existsAsFile(const std::string& path);
// Read-only as Windows means it: the owner may not write, whoever asks
// (root included). False for an entry that does not exist.
bool isReadOnly(const std::string& path);
// A folder, or a link to one.
bool existsAsFolder(const std::string& path);
// The names in a folder, "." and ".." left out, in the folder's own order;
// nothing when the folder cannot be opened (errno tells why).
std::optional<std::vector<std::string>> folderEntries(const std::string& path);
// A folder with no entry besides "." and "..". False when it cannot be read.
bool folderIsEmpty(const std::string& path);
// "/" or a mount point (a folder on another device than its parent, or the
// same inode as its parent).
bool isDriveRoot(const std::string& path);
// Bytes free to an unprivileged user on the volume that holds the nearest
// existing folder of the path; nothing when no folder above it exists.
std::optional<std::uint64_t> bytesFree(const std::string& path);

} // namespace ornibe
