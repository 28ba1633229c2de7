#pragma once

#include "settings/SetupAdditions.h"

#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// What the checks on "次へ >" read from the settings page: the controls'
// contents as the user left them. The Qt page implements it; tests fake it.
class SettingsForm {
public:
    virtual ~SettingsForm() = default;

    // The selected position of the CD drive list; -1 when none.
    virtual int selectedDrivePosition() const = 0;
    // The text of the CD drive list's entry at a position.
    virtual std::string driveEntryText(int position) const = 0;
    // The root that the entry at a position stands for (the folder, image
    // file or device to read); empty for position 0, "読み込みしない".
    virtual std::string driveRoot(int position) const = 0;
    virtual std::string volumeLabelText() const = 0;
    virtual std::string servicePackText() const = 0;
    // The INF list's entries from the top.
    virtual std::vector<std::string> infEntries() const = 0;
    // The text in the field above the INF list that was not added to the
    // list; empty when there is none (the command line has no such field).
    virtual std::string pendingInfText() const { return {}; }
    // Entry IDs to choose from the driver floppies of the list, whichever
    // holds them (the command line's --driver-entry); the wizard names its
    // entries in the list itself.
    virtual std::vector<std::string> driverEntryIds() const { return {}; }
    // The Plug and Play driver list's entries from the top.
    virtual std::vector<std::string> pnpInfEntries() const { return {}; }
    // The virtio-win medium (an ISO image file or a folder); empty for none.
    virtual std::string virtioWinText() const { return {}; }
    // The drivers to take from it by short name; nothing for the default,
    // every driver the medium has a folder for.
    virtual std::optional<std::vector<std::string>> virtioWinDrivers() const { return {}; }
    // The folder of a driver pack to choose text-mode drivers from; empty
    // for none.
    virtual std::string driverPackText() const { return {}; }
    virtual bool bigDriveChecked() const = 0;
    // Whether the image is to be the same from the same inputs.
    virtual bool reproducibleChecked() const { return false; }
    // Whether a driver that cannot load on the CD is integrated without a
    // question (ornibe-build --allow-unloadable-driver).
    virtual bool allowUnloadableDriverChecked() const { return false; }
    // 対象のハードウェア: a QEMU machine's name, a file of lspci output, or
    // empty for none.
    virtual std::string targetHardwareText() const { return {}; }
    // Hotfixes, the $OEM$ folder and the commands for setup to run, as
    // the user gave them; none by default.
    virtual SetupAdditions setupAdditions() const { return {}; }
    virtual std::string workFolderText() const = 0;
    virtual std::string isoPathText() const = 0;
    // The USB stick image's file name (empty for none) and its size as
    // typed (empty for one that fits the tree).
    virtual std::string usbImageText() const { return {}; }
    virtual std::string usbImageSizeText() const { return {}; }
    virtual std::string usbDeviceText() const { return {}; }
};

} // namespace ornibe
