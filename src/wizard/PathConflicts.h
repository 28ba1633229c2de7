#pragma once

#include "sys/Failure.h"
#include "sys/HostEnvironment.h"
#include "wizard/NamedPaths.h"

#include <string>
#include <vector>

namespace ornibe {

// The home folder of the user the program runs as: the environment's HOME,
// else the account's; the empty text when neither is known.
std::string homeFolder(const HostEnvironment& environment);

// Compares every path of one build with every other, each resolved as the
// host resolves it (links followed, letter case exact; inside the work
// folder, where the tree's names match as Windows matches them, letter
// case ignored), so that nothing the build writes lands on what the user
// holds. Refused, in this order:
//   - a work folder that is "/", the home folder itself, an existing entry
//     that is no folder, the source, inside the source or holding it;
//   - an output (ISO image, log file) that is the same file as an input
//     (source, Service Pack, driver INF or a file of its package, driver
//     floppy or a file it names, PnP driver, answer file, virtio-win
//     medium, target hardware file) or as the other output; that holds
//     another named path (a folder still to be made); that lies in a
//     source folder or a virtio-win folder; a log inside the work
//     folder; an ISO image inside the work folder at a name the tree
//     holds (or, with a source folder, will hold after the copy), unless
//     what is there is an earlier ISO image.
// A refusal's headline is the first line of the message and names the path
// refused; its reason names the other path.
Outcome findPathConflict(const std::vector<NamedPath>& paths, const std::string& home);

} // namespace ornibe
