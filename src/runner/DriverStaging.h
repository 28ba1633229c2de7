#pragma once

#include "sys/Failure.h"
#include "sys/SearchPath.h"
#include "sys/StopCheck.h"

#include <functional>

#include <string>

namespace ornibe {

class DriverPackage;
class ProgressLog;

// Puts what the package's drivers need into the installation tree before
// the setup files name it: every driver file and INF file compressed into
// the I386 folder (x.sys as x.sy_), every catalog file unchanged into
// I386/SVCPACK. One log line per file: its name, " をコピーしています。。。"
// and, once it is in place, "完了\r\n".
//
// Success when every file was placed. At the first file that cannot be
// placed, the failure with the path and the reason: the file missing on
// the medium, the compressing tool's failure when no compressed form is
// supplied beside the file (makecab is looked for where tools says), or the
// error writing into I386. The files
// placed before stay, the rest are not touched, and the log line of the
// failing file is left open. An I386 or SVCPACK folder that is a symbolic
// link throws FileError before anything is placed there.
//
// The files are compressed by one makecab run before the first line, which
// stop can end (idle is called while it runs): the failure then says so and
// nothing is placed.
Outcome stageDriverFiles(const ToolSearch& tools, const std::string& i386Folder,
                         const DriverPackage& package, ProgressLog& log, const StopCheck& stop = {},
                         const std::function<void()>& idle = {});

} // namespace ornibe
