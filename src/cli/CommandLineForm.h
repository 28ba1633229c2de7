#pragma once

#include "cli/CommandOptions.h"
#include "media/DriveSource.h"
#include "settings/CdDriveEntry.h"
#include "wizard/SettingsForm.h"

#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// The names of --virtio-win-only's comma-separated list, empty ones left
// out.
std::vector<std::string> virtioWinOnlyNames(const std::string& list);

// The settings page as the command line fills it: a drive list of two
// entries ("読み込みしない" and the source, when one is given) with the
// source selected, and the fields as the options give them. A source with
// a volume label proposes it for the image, as choosing the drive does.
class CommandLineForm : public SettingsForm {
public:
    CommandLineForm(const CommandOptions& options, DriveSource& drives);

    int selectedDrivePosition() const override { return source_.text.empty() ? 0 : 1; }
    std::string driveEntryText(int position) const override;
    std::string driveRoot(int position) const override;
    std::string volumeLabelText() const override { return label_; }
    std::string servicePackText() const override { return options_.servicePack; }
    std::vector<std::string> infEntries() const override { return options_.drivers; }
    std::vector<std::string> driverEntryIds() const override { return options_.driverEntries; }
    std::vector<std::string> pnpInfEntries() const override { return options_.pnpDrivers; }
    std::string virtioWinText() const override { return options_.virtioWin; }
    std::optional<std::vector<std::string>> virtioWinDrivers() const override;
    std::string driverPackText() const override { return options_.driverPack; }
    bool bigDriveChecked() const override;
    bool reproducibleChecked() const override { return options_.reproducible; }
    SetupAdditions setupAdditions() const override;
    bool allowUnloadableDriverChecked() const override { return options_.allowUnloadableDriver; }
    std::string workFolderText() const override { return options_.workFolder; }
    std::string isoPathText() const override { return options_.isoPath; }
    std::string usbImageText() const override { return options_.usbImage; }
    std::string usbImageSizeText() const override { return options_.usbImageSize; }
    std::string usbDeviceText() const override { return options_.usbDevice; }
    std::string targetHardwareText() const override;

private:
    const CommandOptions& options_;
    // The source's entry; empty for --source none.
    DriveEntry source_;
    std::string label_;
};

} // namespace ornibe
