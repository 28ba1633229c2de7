#pragma once

#include <string>
#include <string_view>

namespace ornibe {

// Whole-file reads and writes that throw FileError with the path and the
// system's reason.

std::string readFile(const std::string& path);

// Replaces the file's content all or nothing: the bytes go to a new file
// beside it, which is flushed and renamed over the original, so a failed
// write (disk full, no permission) leaves the original byte for byte as it
// was. An existing file keeps its permission bits.
void writeFileAtomic(const std::string& path, std::string_view bytes);

// Removes a file; a file that is not there is not an error.
void removeFile(const std::string& path);

// Creates the folder and every missing folder above it.
void makeFolders(const std::string& path);

} // namespace ornibe
