#pragma once

#include "sys/Failure.h"

#include <string>

namespace ornibe {

// A log file (absolute; empty passes) that can be written when the build
// ends: its folder exists and is writable, and the name is no folder, no
// link and no read-only file, which the log's writer refuses. Checked
// before anything changes, so that a finished build never ends in a log
// that cannot be written. A refusal's headline is the first line of the
// message, its reason the second.
Outcome validateLogFile(const std::string& path);

} // namespace ornibe
