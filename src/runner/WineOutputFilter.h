#pragma once

#include <string>
#include <string_view>

namespace ornibe {

// Keeps a Windows installer's own output and drops what Wine itself writes
// around it: its debug channels ("0024:err:module:...", "fixme:...") and
// the notes about creating or updating its prefix, which would otherwise
// bury the installer's lines in the log.
//
// Output arrives in chunks that may end inside a line; whole lines are
// judged, and the last unfinished line when the program has ended.
class WineOutputFilter {
public:
    // The kept text of the chunk, whole lines only.
    std::string feed(std::string_view chunk);
    // The kept rest of an unfinished last line.
    std::string finish();

    // Whether a whole line (without its line break) is Wine's own.
    static bool isWineNoise(std::string_view line);

private:
    std::string pending_;
};

} // namespace ornibe
