#pragma once

#include <stdexcept>
#include <string>

namespace ornibe {

// The one exception of the file layer: a file or folder that could not be
// opened, read, positioned, written, renamed or removed. It carries the
// path, what was being done, and the system's reason in words.
class FileError : public std::runtime_error {
public:
    FileError(std::string operation, std::string path, std::string reason);

    const std::string& operation() const { return operation_; }
    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }

private:
    std::string operation_;
    std::string path_;
    std::string reason_;
};

// Throws a FileError whose reason is the system's text for errorNumber.
[[noreturn]] void throwFileError(const std::string& operation, const std::string& path,
                                 int errorNumber);

// The system's text for an errno value.
std::string systemReason(int errorNumber);

} // namespace ornibe
