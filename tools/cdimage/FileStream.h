#pragma once

#include <sys/types.h>

#include <cstdint>

#define LIBISOFS_WITHOUT_LIBBURN 1
#include <libisofs/libisofs.h>

#include <optional>
#include <string>

namespace ornibe {

// What went wrong reading a file into the image, kept for the message;
// the first problem only.
struct FileStreamProblem {
    std::optional<std::string> text;
};

// A libisofs stream over the file at path that reads it in large pieces:
// libisofs asks its streams for 2048 bytes at a time, and its own file
// stream makes a read call for each. Its identity is the file's device and
// inode, as for libisofs's own file streams, so hard links share their
// content and the content stands in the image in the same order. A file
// that cannot be opened or read, or that changed its size, ends the image
// with the reason in problem. Returns a stream with one reference, or
// nothing with the reason in problem when the file cannot be examined.
IsoStream* newFileStream(const std::string& path, FileStreamProblem& problem);

} // namespace ornibe
