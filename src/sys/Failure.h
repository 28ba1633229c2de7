#pragma once

#include <optional>
#include <string>
#include <utility>

namespace ornibe {

class FileError;

// The reason given when the user stopped what failed (a cancel button,
// Escape, Ctrl+C, quitting during a build).
std::string stoppedByUser();

// A failure that the code expects and reports. Failures that travel up to
// a stage stay FileError exceptions; a caller that catches one and goes on
// turns it into this value.
struct Failure {
    // The operation that failed, as the code names it ("open", "compress",
    // "run"); never shown. Empty for a refusal that only has a headline.
    std::string what;
    // The path it failed on; empty when there is none.
    std::string path;
    // Why, in words: the program's own, in Japanese, or the system's.
    std::string reason;
    // The program's own message that heads the failure where it is shown
    // ("ログファイル … を書き込めません。"); empty where the caller words
    // its message itself.
    std::string headline = {};

    static Failure fromFileError(const FileError& error);
    // A refusal worded for the user: the headline, the path it is about
    // and the reason.
    static Failure refusal(std::string headline, std::string path, std::string reason);

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
