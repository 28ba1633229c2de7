#pragma once

#include "media/DriveSource.h"

#include <string>
#include <vector>

namespace ornibe {

// The texts of the CD drive list: "読み込みしない" first, then one entry per
// drive in the source's order, each the drive's root, " [ ", its volume
// label or "CD がありません", and " ]".
std::vector<std::string> driveListEntries(DriveSource& drives);

} // namespace ornibe
