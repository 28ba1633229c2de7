#include "cli/CommandLineForm.h"

#include "cli/CheckCommand.h"
#include "settings/BuildSettings.h"
#include "settings/CdDriveEntry.h"
#include "wizard/ChosenSource.h"

namespace ornibe {

CommandLineForm::CommandLineForm(const CommandOptions& options, DriveSource& drives)
    : options_(options), label_(BuildSettings().GetVolumeLabel()) {
    if (options.source != "none") {
        source_ = chosenSourceEntry(options.source, drives);
    }
    if (options.label) {
        label_ = *options.label;
    } else if (std::optional<std::string> proposed =
                   proposedVolumeLabel(selectedDrivePosition(), source_.text)) {
        label_ = *proposed;
    }
}

std::string CommandLineForm::driveEntryText(int position) const {
    if (position == 0) {
        return std::string(kNoCdEntry);
    }
    return position == 1 ? source_.text : std::string();
}

std::string CommandLineForm::driveRoot(int position) const {
    return position == 1 ? source_.root : std::string();
}

bool CommandLineForm::bigDriveChecked() const {
    return options_.bigDrive.value_or(BuildSettings().GetBigDrive() != 0);
}

std::string CommandLineForm::targetHardwareText() const {
    return targetHardwareOf(options_);
}

} // namespace ornibe
