#include "sys/Failure.h"

#include "sys/FileError.h"
#include "sys/Translation.h"

namespace ornibe {

std::string stoppedByUser() {
    return translated("中止しました");
}

Failure Failure::fromFileError(const FileError& error) {
    return {error.operation(), error.path(), error.reason()};
}

Failure Failure::refusal(std::string headline, std::string path, std::string reason) {
    return {{}, std::move(path), std::move(reason), std::move(headline)};
}

std::string Failure::line() const {
    return path.empty() ? reason : path + ": " + reason;
}

} // namespace ornibe
