#pragma once

#include "inf/WindowsTarget.h"
#include "runner/MessageBox.h"
#include "runner/ProgressLog.h"
#include "sys/SearchPath.h"

#include <memory>
#include <string>

namespace ornibe {

class BuildSettings;
class CdModules;
class DriverPackage;
class Medium;

// On "次へ >", before anything changes: the driver binaries of the
// settings (each text-mode driver of an INF or floppy entry, each Plug
// and Play driver's .sys) read against the CD cd, a folder or an image
// (the source, or the work folder's tree; see check/DriverLoadCheck.h),
// its modules looked for in, and added to, modules (when given). A
// driver that cannot load on it is refused with its reasons, unless
// allowed (ornibe-build --allow-unloadable-driver); with a screen the user
// is asked instead whether to go on (No is the default), for a CD they
// will supplement. Notes do not stop the page. True when the page may go
// on.
// package holds the settings' drivers as readDriverSources reads them.
bool checkDriverLoadSettings(const BuildSettings& settings, const DriverPackage& package,
                             const std::shared_ptr<const Medium>& cd, const WindowsTarget& target,
                             const ToolSearch& tools, CdModules* modules, MessageBox& messages,
                             bool headless, bool allowed);

// The summary's lines for the same drivers against the CD cd (no line
// when it cannot be read): under "ドライバの読み込み：" each driver
// binary with "読み込める" or its first reason. Nothing at all when none
// of the drivers is a PE image, so that the summary of a build with only
// the samples' stand-ins stays as it was.
// package holds the drivers as the summary read them.
void appendDriverLoadSummary(const BuildSettings& settings, const DriverPackage& package,
                             const std::shared_ptr<const Medium>& cd, const WindowsTarget& target,
                             const ToolSearch& tools, CdModules* modules, ProgressLog& log);

} // namespace ornibe
