#include "cli/CommandLineForm.h"

#include "media/IsoImageReader.h"
#include "media/VolumeDescriptor.h"
#include "settings/BuildSettings.h"
#include "settings/CdDriveEntry.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"

namespace ornibe {

CommandLineForm::CommandLineForm(const CommandOptions& options, DriveSource& drives)
    : options_(options), label_(BuildSettings().GetVolumeLabel()) {
    if (options.source != "none") {
        std::string root = withoutTrailingSlash(makeAbsolute(options.source));
        // An image file or a disc read through its device has the label of
        // its volume, as has a mounted CD or image; any other folder none.
        std::string label;
        if (isImageSource(root)) {
            label = readIso9660Label(root).value_or("");
        } else if (std::optional<CdDrive> drive = drives.readVolume(root); drive && drive->label) {
            label = *drive->label;
        }
        sourceEntry_ = makeCdDriveEntry(root, label);
        sourceRoot_ = root;
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

std::string CommandLineForm::driveRoot(int position) const {
    return position == 1 ? sourceRoot_ : std::string();
}

bool CommandLineForm::bigDriveChecked() const {
    return options_.bigDrive.value_or(BuildSettings().GetBigDrive() != 0);
}

} // namespace ornibe
