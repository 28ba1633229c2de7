#pragma once

#include "inf/WindowsTarget.h"
#include "sys/Failure.h"

namespace ornibe {

class Medium;

// The system an installation tree installs, and whether its setup file
// could be read within the limits.
struct TreeTarget {
    // The version stays unknown when the file cannot be read or names no
    // known CD, or when stop ended the read of an image (the caller looks
    // at stop itself); the architecture is that of the folder the file was
    // read from.
    WindowsTarget target;
    // A refusal naming the file and the limit when the file passes the
    // limits within which setup files are read; a missing file or one that
    // is not an INF is left to the checks of the tree itself.
    Outcome outcome;
};

// Reads the TXTSETUP.SIF (I386, or AMD64 on an x64 CD) of the installation
// tree of tree (a folder, or an image file or disc) as the confirmation
// page's summary reads it.
TreeTarget readTreeTarget(const Medium& tree);

} // namespace ornibe
