#pragma once

#include "inf/DriverPackage.h"
#include "inf/SetupArchitecture.h"
#include "inf/VersionCode.h"
#include "source/Medium.h"

#include <memory>
#include <string>

namespace ornibe {

// What the confirmation page learns when it opens and the build then works
// with: the Windows version found in the tree's setup files and the drivers
// read from the user's INF files. It outlives the page's window, so values
// that a later opening cannot find again are kept.
struct ConfirmData {
    // No version detected yet; never taken for Windows 2000.
    static constexpr char kVersionUnset = '?';

    // '0' Windows 2000, '1' Windows XP, '2' Windows Server 2003 (see
    // VersionCode.h).
    char versionCode = kVersionUnset;
    // "2195", "2600" or "3790"; empty until a version is detected.
    std::string buildNumber;
    // The tree's architecture, which names its setup folder (I386 or
    // AMD64); found with the version.
    Architecture architecture = Architecture::X86;
    DriverPackage package;
    // The source the checks on "次へ >" read, handed on so that the summary
    // and the edition line read it without opening it again; null when no
    // CD is read or the checks did not run.
    std::shared_ptr<const Medium> source;
};

} // namespace ornibe
