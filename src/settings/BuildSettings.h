#pragma once

#include "settings/AnswerFileFields.h"
#include "settings/DriverPackTable.h"
#include "settings/SetupAdditions.h"
#include "settings/VirtioWinChoice.h"
#include "sys/InputSnapshot.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// An entry chosen from a driver floppy of the driver list: the source as
// the list holds it and the entry's ID in its TXTSETUP.OEM.
struct DriverEntryChoice {
    std::string source;
    std::string id;

    bool operator==(const DriverEntryChoice&) const = default;
};

// The user's choices, filled by the settings page on "次へ >" and read by the
// confirmation page and the build. Texts are host text (UTF-8). Nothing is
// kept between runs: a new record holds the defaults.
class BuildSettings {
public:
    std::int32_t GetCdDriveIndex() const { return cdDriveIndex; }
    void SetCdDriveIndex(std::int32_t value) { cdDriveIndex = value; }

    // The chosen entry's text, as the summary and the log show it.
    std::string GetCdDriveEntry() const { return cdDriveEntry; }
    void SetCdDriveEntry(const std::string& value) { cdDriveEntry = value; }
    // The chosen entry's root: the folder, image file or device the build
    // reads; kept beside the text, never read back from it.
    std::string getCdDriveRoot() const { return cdDriveRoot; }
    void setCdDriveRoot(const std::string& value) { cdDriveRoot = value; }

    std::string GetVolumeLabel() const { return volumeLabel; }
    void SetVolumeLabel(const std::string& value) { volumeLabel = value; }

    std::string GetServicePackPath() const { return servicePackPath; }
    void SetServicePackPath(const std::string& value) { servicePackPath = value; }

    // The entry at index, or the empty text at or past the end of the list.
    std::string GetDriverInf(int index) const;
    // Appends the path unless it is empty or an entry equal to it ignoring
    // case is present (that entry keeps its spelling).
    void AddDriverInf(const std::string& path);
    void ClearDriverInfs() { driverInfs.clear(); }

    // The entries chosen from the driver floppies of the driver list, in
    // the order chosen; an entry given twice is kept once.
    const std::vector<DriverEntryChoice>& getDriverEntries() const { return driverEntries; }
    void addDriverEntry(const DriverEntryChoice& choice);
    void clearDriverEntries() { driverEntries.clear(); }
    // The Plug and Play driver INFs for GUI-mode setup, in the order given;
    // the same rules as the driver INF list.
    void addPnpDriverInf(const std::string& path);
    void clearPnpDriverInfs() { pnpDriverInfs.clear(); }
    const std::vector<std::string>& pnpDriverInfList() const { return pnpDriverInfs; }

    std::int32_t GetBigDrive() const { return bigDrive; }
    void SetBigDrive(std::int32_t value) { bigDrive = value; }

    std::string GetWorkFolder() const { return workFolder; }
    // Stores the path less one trailing "/", except that "/" itself stays.
    void SetWorkFolder(const std::string& value);

    std::string GetIsoPath() const { return isoPath; }
    void SetIsoPath(const std::string& value) { isoPath = value; }

    // The USB stick image written after the ISO: empty for none. Its size
    // in bytes; 0 for one that fits the tree with room to spare.
    const std::string& getUsbImagePath() const { return usbImagePath; }
    void setUsbImagePath(const std::string& value) { usbImagePath = value; }
    std::uint64_t getUsbImageSize() const { return usbImageSize; }
    void setUsbImageSize(std::uint64_t value) { usbImageSize = value; }
    // The USB stick the image is written to after it is made ("/dev/sdb");
    // empty for none.
    const std::string& getUsbDevice() const { return usbDevice; }
    void setUsbDevice(const std::string& value) { usbDevice = value; }

    // The unattended installation's answer file: none by default.
    const AnswerFileFields& getAnswerFile() const { return answerFile; }
    void setAnswerFile(const AnswerFileFields& value) { answerFile = value; }

    // The target machine whose disk controllers the finished tree is
    // matched against: a named QEMU machine, or the host path of a file of
    // lspci output; empty for none.
    const std::string& getTargetHardware() const { return targetHardware; }
    void setTargetHardware(const std::string& value) { targetHardware = value; }

    // The time every date of the image is given (seconds since 1970, UTC)
    // so that the same inputs make the same image; unset: the time the
    // image is made, as the image step dates it.
    std::optional<std::int64_t> getImageEpoch() const { return imageEpoch; }
    void setImageEpoch(std::optional<std::int64_t> value) { imageEpoch = value; }

    // The drivers taken from a virtio-win medium; none by default.
    const VirtioWinChoice& getVirtioWin() const { return virtioWin; }
    void setVirtioWin(const VirtioWinChoice& value) { virtioWin = value; }

    // The driver pack the drivers were chosen from, and why; none by
    // default.
    const DriverPackTable& getDriverPack() const { return driverPack; }
    void setDriverPack(const DriverPackTable& value) { driverPack = value; }

    // The user's input files as the checks read them, so that the summary,
    // the build and its check read the same bytes; copies of the record
    // share them.
    InputSnapshots& inputSnapshots() const { return *snapshots; }

    // Hotfixes, $OEM$ files and commands for setup to run; none by default.
    const SetupAdditions& getSetupAdditions() const { return setupAdditions; }
    void setSetupAdditions(const SetupAdditions& value) { setupAdditions = value; }

private:
    std::int32_t cdDriveIndex = 0;
    std::string cdDriveEntry;
    std::string cdDriveRoot;
    std::string volumeLabel;
    std::string servicePackPath;
    std::vector<std::string> driverInfs;
    std::vector<DriverEntryChoice> driverEntries;
    std::vector<std::string> pnpDriverInfs;
    std::int32_t bigDrive = 1;
    std::string workFolder;
    std::string isoPath;
    std::string usbImagePath;
    std::uint64_t usbImageSize = 0;
    std::string usbDevice;
    AnswerFileFields answerFile;
    std::optional<std::int64_t> imageEpoch;
    std::string targetHardware;
    VirtioWinChoice virtioWin;
    DriverPackTable driverPack;
    std::shared_ptr<InputSnapshots> snapshots = std::make_shared<InputSnapshots>();
    SetupAdditions setupAdditions;
};

} // namespace ornibe
