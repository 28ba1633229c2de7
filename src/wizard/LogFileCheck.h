#pragma once

#include "sys/Failure.h"

#include <string>
#include <string_view>

namespace ornibe {

// A log file (absolute; empty passes) that can be written when the build
// ends: its folder exists and is writable, and the name is no folder, no
// link and no read-only file, which the log's writer refuses. Checked
// before anything changes, so that a finished build never ends in a log
// that cannot be written. A refusal's headline is the first line of the
// message, its reason the second.
Outcome validateLogFile(const std::string& path);

// Writes a finished build's log (its text as the log holds it: UTF-8, CR
// LF, as --log writes it) to path, replacing a file there only once the
// whole text is written; the refusals of validateLogFile, or the file
// error, as a failure.
Outcome saveLogFile(const std::string& path, std::string_view text);

} // namespace ornibe
