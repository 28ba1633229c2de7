#include "sys/FileError.h"

#include <cstring>

namespace ornibe {

FileError::FileError(std::string operation, std::string path, std::string reason)
    : std::runtime_error(path + ": " + operation + ": " + reason), operation_(std::move(operation)),
      path_(std::move(path)), reason_(std::move(reason)) {}

std::string systemReason(int errorNumber) {
    char buffer[256];
    // GNU strerror_r returns a pointer that may or may not be the buffer.
    const char* text = strerror_r(errorNumber, buffer, sizeof buffer);
    return text;
}

void throwFileError(const std::string& operation, const std::string& path, int errorNumber) {
    throw FileError(operation, path, systemReason(errorNumber));
}

} // namespace ornibe
