#pragma once

#include "inf/SetupArchitecture.h"
#include "sys/SearchPath.h"

#include <string>

namespace ornibe {

class BuildSettings;
class ProgressLog;

// The summary's lines for the entries chosen from driver floppies, after
// the drivers' descriptions: per entry its source and ID, description,
// service and hardware IDs, then its notes (oemEntryNotes), the [Config]
// values among them. Nothing when no entry is chosen.
void appendDriverEntrySummary(const BuildSettings& settings, Architecture architecture,
                              const ToolSearch& tools, ProgressLog& log);

// "source [ ID ]": how the driver list and the log name a chosen entry.
std::string driverEntryText(const std::string& source, const std::string& id);

} // namespace ornibe
