#pragma once

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

} // namespace ornibe::test
