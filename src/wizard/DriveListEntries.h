#pragma once

#include "media/DriveSource.h"
#include "settings/CdDriveEntry.h"

#include <string>
#include <vector>

namespace ornibe {

// The entries of the CD drive list: "読み込みしない" first, then one entry per
// drive in the source's order, each the drive's root, " [ ", its volume
// label or "CD がありません", and " ]", with the drive's root.
std::vector<DriveEntry> driveList(DriveSource& drives);

// The texts of driveList().
std::vector<std::string> driveListEntries(DriveSource& drives);

} // namespace ornibe
