#include "ui/core/DriveListEntries.h"

#include "app/CdDriveEntry.h"

namespace ornibe {

std::vector<std::string> driveListEntries(DriveSource& drives) {
    std::vector<std::string> entries{std::string(kNoCdEntry)};
    for (const CdDrive& drive : drives.listDrives()) {
        entries.push_back(makeCdDriveEntry(drive.root, drive.label ? *drive.label : kNoDiscLabel));
    }
    return entries;
}

} // namespace ornibe
