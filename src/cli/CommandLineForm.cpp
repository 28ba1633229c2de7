#include "cli/CommandLineForm.h"

#include "cli/CheckCommand.h"
#include "settings/BuildSettings.h"
#include "settings/CdDriveEntry.h"
#include "sys/Translation.h"
#include "wizard/ChosenSource.h"

namespace ornibe {

std::vector<std::string> virtioWinOnlyNames(const std::string& list) {
    std::vector<std::string> names;
    std::string name;
    for (char c : list + ",") {
        if (c != ',') {
            name += c;
        } else if (!name.empty()) {
            names.push_back(name);
            name.clear();
        }
    }
    return names;
}

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
        return translated(kNoCdEntry);
    }
    return position == 1 ? source_.text : std::string();
}

std::string CommandLineForm::driveRoot(int position) const {
    return position == 1 ? source_.root : std::string();
}

std::optional<std::vector<std::string>> CommandLineForm::virtioWinDrivers() const {
    if (options_.virtioWinOnly.empty()) {
        return std::nullopt;
    }
    return virtioWinOnlyNames(options_.virtioWinOnly);
}

bool CommandLineForm::bigDriveChecked() const {
    return options_.bigDrive.value_or(BuildSettings().GetBigDrive() != 0);
}

SetupAdditions CommandLineForm::setupAdditions() const {
    SetupAdditions additions;
    for (std::size_t i = 0; i < options_.hotfixes.size(); ++i) {
        additions.hotfixes.push_back({options_.hotfixes[i], i < options_.hotfixSwitches.size()
                                                                ? options_.hotfixSwitches[i]
                                                                : std::string()});
    }
    additions.oemFolder = options_.oemFiles;
    additions.setupCommands = options_.runAtSetup;
    additions.firstLogonCommands = options_.runAtFirstLogon;
    return additions;
}

std::string CommandLineForm::targetHardwareText() const {
    return targetHardwareOf(options_);
}

} // namespace ornibe
