#pragma once

#include "check/CdModules.h"
#include "inf/DriverPackage.h"
#include "inf/WindowsTarget.h"
#include "source/Medium.h"

#include <memory>

namespace ornibe {

// What the confirmation page learns when it opens and the build then works
// with: the system the tree's setup files name and the drivers read from
// the user's INF files. It outlives the page's window, so values that a
// later opening cannot find again are kept.
struct ConfirmData {
    // The version and build number stay unknown until a version is
    // detected; the architecture names the tree's setup folder (I386 or
    // AMD64).
    WindowsTarget target;
    DriverPackage package;
    // The source the checks on "次へ >" read, handed on so that the summary
    // and the edition line read it without opening it again; null when no
    // CD is read or the checks did not run.
    std::shared_ptr<const Medium> source;
    // The CD's modules the load checks of this run read, from "次へ >" to
    // the check of the finished tree; null when the checks did not run.
    std::shared_ptr<CdModules> cdModules;
};

} // namespace ornibe
