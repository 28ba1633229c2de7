#pragma once

#include "inf/SetupArchitecture.h"
#include "runner/MessageBox.h"
#include "sys/SearchPath.h"

#include <string>

namespace ornibe {

class BuildSettings;

// On "次へ >", before anything changes: the driver binaries of the
// settings (each text-mode driver of an INF or floppy entry, each Plug
// and Play driver's .sys) read against the CD in cdRoot, a folder (the
// source's, or the work folder's tree; see check/DriverLoadCheck.h). A
// driver that cannot load on it is refused with its reasons, unless
// allowed (ornibe-build --allow-unloadable-driver); with a screen the user
// is asked instead whether to go on (No is the default), for a CD they
// will supplement. Notes do not stop the page. True when the page may go
// on.
bool checkDriverLoadSettings(const BuildSettings& settings, const std::string& cdRoot,
                             char versionCode, Architecture architecture, const ToolSearch& tools,
                             MessageBox& messages, bool headless, bool allowed);

} // namespace ornibe
