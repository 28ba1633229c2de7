#include "cli/CommandLineForm.h"

#include "app/BuildSettings.h"
#include "app/CdDriveEntry.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"

namespace ornibe {

CommandLineForm::CommandLineForm(const CommandOptions& options, DriveSource& drives)
    : options_(options), label_(BuildSettings().GetVolumeLabel()) {
    if (options.source != "none") {
        std::string root = makeAbsolute(options.source);
        if (root.size() > 1 && endsWithSlash(root)) {
            root.pop_back();
        }
        // A mounted CD or image has a label; any other folder has none.
        std::optional<CdDrive> drive = drives.readVolume(root);
        sourceEntry_ = makeCdDriveEntry(root, drive && drive->label ? *drive->label : "");
    }
    if (options.label) {
        label_ = *options.label;
    } else if (std::optional<std::string> proposed =
                   proposedVolumeLabel(selectedDrivePosition(), sourceEntry_)) {
        label_ = *proposed;
    }
}

std::string CommandLineForm::driveEntryText(int position) const {
    if (position == 0) {
        return std::string(kNoCdEntry);
    }
    return position == 1 ? sourceEntry_ : std::string();
}

bool CommandLineForm::bigDriveChecked() const {
    return options_.bigDrive.value_or(BuildSettings().GetBigDrive() != 0);
}

} // namespace ornibe
