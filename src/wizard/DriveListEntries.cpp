#include "wizard/DriveListEntries.h"

#include "media/SystemDriveSource.h"
#include "settings/CdDriveEntry.h"
#include "sys/Translation.h"

namespace ornibe {

std::vector<DriveEntry> driveList(DriveSource& drives) {
    std::vector<DriveEntry> entries{DriveEntry{{}, translated(kNoCdEntry)}};
    for (const CdDrive& drive : drives.listDrives()) {
        if (!drive.label && !drive.device.empty()) {
            // A disc the user may not read says so, and why, in its entry.
            if (std::string problem = deviceAccessProblem(drive.device); !problem.empty()) {
                entries.push_back(makeDriveEntry(drive.root, translated(kUnreadableDiscLabel) +
                                                                 " (" + problem + ")"));
                continue;
            }
        }
        entries.push_back(
            makeDriveEntry(drive.root, drive.label ? *drive.label : translated(kNoDiscLabel)));
    }
    return entries;
}

std::vector<std::string> driveListEntries(DriveSource& drives) {
    std::vector<std::string> texts;
    for (DriveEntry& entry : driveList(drives)) {
        texts.push_back(std::move(entry.text));
    }
    return texts;
}

} // namespace ornibe
