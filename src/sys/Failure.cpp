#include "sys/Failure.h"

#include "sys/FileError.h"

namespace ornibe {

Failure Failure::fromFileError(const FileError& error) {
    return {error.operation(), error.path(), error.reason()};
}

std::string Failure::line() const {
    return path.empty() ? reason : path + ": " + reason;
}

} // namespace ornibe
