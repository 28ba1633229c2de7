#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ornibe {

// What a step's progress bar shows: how far it is, out of how much when
// that is known, and how fast it goes.
struct ProgressFigures {
    std::string step;
    std::uint64_t bytes = 0;
    // The step's bytes in all; 0 when not known.
    std::uint64_t bytesTotal = 0;
    std::uint64_t files = 0;
    // The step's files in all; 0 when it does not count files.
    std::uint64_t filesTotal = 0;
    // Nothing until the step has run long enough to tell its rate; the
    // line then shows "--.-" in its place rather than a rate of nothing.
    std::optional<double> megabytesPerSecond;
};

// The progress line for a terminal of the given width: the step and its
// percentage, a bar, the megabytes done out of the total, the files and the
// rate. It never takes the last column (a line that fills it wraps on some
// terminals, and the next redraw would then leave its first row behind);
// where the width is short, the bar narrows and then goes, then the rate,
// the files and the megabytes, in that order.
std::string progressLine(const ProgressFigures& figures, int columns);

// The columns a terminal gives the UTF-8 text: two for each character from
// U+1100 on, one for any other.
size_t displayColumns(std::string_view utf8);

} // namespace ornibe
