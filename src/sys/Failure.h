#pragma once

#include <optional>
#include <string>
#include <utility>

namespace ornibe {

class FileError;

// The reason given when the user stopped what failed (a cancel button,
// Escape, Ctrl+C, quitting during a build).
inline constexpr const char* kStoppedByUser = "中止しました";

// A failure that the code expects and reports: what failed, the path it
// failed on (empty when there is none), and the reason in words. Failures
// that travel up to a stage stay FileError exceptions; a caller that
// catches one and goes on turns it into this value.
struct Failure {
    std::string what;
    std::string path;
    std::string reason;

    static Failure fromFileError(const FileError& error);

    // "path: reason" for the line under the program's failure message; the
    // reason alone when there is no path.
    std::string line() const;

    bool operator==(const Failure&) const = default;
};

// Success, or the failure with its reason.
class Outcome {
public:
    Outcome() = default;
    Outcome(Failure failure) : failure_(std::move(failure)) {}

    explicit operator bool() const { return !failure_.has_value(); }
    // Only on a failed outcome.
    const Failure& failure() const { return *failure_; }

private:
    std::optional<Failure> failure_;
};

} // namespace ornibe
