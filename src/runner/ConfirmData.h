#pragma once

#include "inf/DriverPackage.h"
#include "inf/WindowsTarget.h"

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
};

} // namespace ornibe
