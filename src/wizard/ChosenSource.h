#pragma once

#include "media/DriveSource.h"
#include "settings/CdDriveEntry.h"

#include <string_view>

namespace ornibe {

// The drive entry of a source chosen by its path: an image file or a
// folder picked on the settings page, or the --source of ornibe-build. Both
// front ends make it here, so that the two list, store and log the same
// entry. The root is the path made absolute, without a trailing slash. The
// label is that of the volume the source holds: an image file or a disc's
// device has the ISO 9660 label of its image, a mounted CD or image the
// label its drive reads (as the drive list shows it); any other folder, and
// a file that holds no ISO 9660 image, none. The check on "次へ >" says why
// such a file cannot be read.
DriveEntry chosenSourceEntry(std::string_view path, DriveSource& drives);

} // namespace ornibe
