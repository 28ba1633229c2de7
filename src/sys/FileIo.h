#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ornibe {

// Whole-file reads and writes that throw FileError with the path and the
// system's reason.

std::string readFile(const std::string& path);

// The whole file when it holds at most maxBytes; nothing when it holds
// more, found before any of it is read where the system knows the size
// (size, when given, is then set to it, or to what was read). A large or
// sparse file is thus never taken into memory.
std::optional<std::string> readFileAtMost(const std::string& path, std::uint64_t maxBytes,
                                          std::uint64_t* size = nullptr);

// At most count bytes of the file from offset on; fewer where the file
// ends sooner.
std::string readFileHead(const std::string& path, std::size_t count, std::uint64_t offset = 0);
// The same, but the empty text when the file cannot be read: for a look at
// a signature, which an unreadable file does not have.
std::string peekFile(const std::string& path, std::size_t count, std::uint64_t offset = 0);

// Replaces the file's content all or nothing: the bytes go to a new file
// beside it, which is flushed and renamed over the original, so a failed
// write (disk full, no permission) leaves the original byte for byte as it
// was. An existing file keeps its permission bits. The new file is a
// PendingFile; a path that is a symbolic link is refused, so nothing read
// through a link is written back in its place.
void writeFileAtomic(const std::string& path, std::string_view bytes);
// The same without flushing the new file before the rename, as the tree
// copy writes its files: for many files copied into the tree at once.
void writeFileUnflushed(const std::string& path, std::string_view bytes);
// As writeFileAtomic, for a file that holds a secret (a password in the
// clear): readable and writable by its owner alone (0600), whatever the
// file it replaces allowed and whatever the umask.
void writePrivateFileAtomic(const std::string& path, std::string_view bytes);

// Throws FileError (operation, path, "シンボリックリンクです") when path
// is a symbolic link: where the program expects a file or folder of its own
// tree, a link would lead it elsewhere.
void refuseLink(const std::string& operation, const std::string& path);

// Removes a file; a file that is not there is not an error.
void removeFile(const std::string& path);

// Creates the folder and every missing folder above it.
void makeFolders(const std::string& path);

} // namespace ornibe
