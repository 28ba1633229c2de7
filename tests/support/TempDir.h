#pragma once

#include <sys/resource.h>

#include <string>
#include <string_view>

namespace ornibe::test {

// A fresh folder under the system's temporary folder, removed with all it
// holds (read-only entries included) when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path()/relative
    std::string operator/(std::string_view relative) const;

    // Writes a file below the folder, creating its folders; returns its path.
    std::string write(std::string_view relative, std::string_view bytes) const;
    // Creates a folder below the folder; returns its path.
    std::string mkdir(std::string_view relative) const;

private:
    std::string path_;
};

// Writes an executable shell script with the given body after "#!/bin/sh".
void writeScript(const std::string& path, std::string_view body);

// The whole content of a file; fails the test when it cannot be read.
std::string slurp(const std::string& path);

// size bytes that look random and are the same for the same seed: content
// that no compression or sharing makes smaller, and a boot image that is
// told apart from any other.
std::string noise(size_t size, unsigned seed);

// While it lives, no file of the process may grow past bytes, and a write
// that would fails with EFBIG instead of ending the process: a full disk,
// injected.
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit before_{};
    void (*handler_)(int) = nullptr;
};

} // namespace ornibe::test
