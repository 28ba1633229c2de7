#pragma once

#include "check/CdModules.h"
#include "inf/SetupArchitecture.h"
#include "media/DriveSource.h"
#include "runner/MessageBox.h"
#include "settings/BuildSettings.h"
#include "source/Medium.h"
#include "sys/Failure.h"
#include "sys/HostPath.h"
#include "sys/SearchPath.h"
#include "sys/StopCheck.h"
#include "wizard/SettingsForm.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ornibe {

// The checks that "次へ >" runs on the settings page. Each refusal is a
// message box and leaves the page open; values that passed are stored in
// the settings as the checks go. Wine and the spare boot sector are looked
// for where tools says.
class SettingsChecks {
public:
    // Bytes free to the user for a folder path; nothing when the drive is
    // not ready.
    using FreeSpaceQuery = std::function<std::optional<std::uint64_t>(const std::string&)>;

    // freeBytes is the host's free space unless another query is given.
    // logFile (absolute) is where the whole log is written when the build
    // ends; empty for none, as in the wizard.
    SettingsChecks(BuildSettings& settings, DriveSource& drives, MessageBox& messages,
                   ToolSearch tools, FreeSpaceQuery freeBytes = bytesFree,
                   std::string logFile = {});

    // Every check in order; true when all passed and the page may end with
    // the confirmation page's code.
    bool OnOK(const SettingsForm& form);

    // Nobody is there to answer (ornibe-build): the free-space notice only
    // informs, and a source known to be larger than the free space is
    // refused instead.
    void setHeadless(bool headless) { headless_ = headless; }

    // The reads of the source (its image, its TXTSETUP.SIF) look at stop;
    // once it says yes, the check in progress ends without a message and
    // OnOK() is false.
    void setStopCheck(StopCheck stop) { stop_ = std::move(stop); }
    bool stopped() const { return stopAsked(stop_); }

    // Opens the answer file's dialog (the wizard): offered when PnP
    // drivers are listed without an answer file.
    void setAnswerFileOpener(std::function<void()> open) { openAnswerFile_ = std::move(open); }

    // Refuses a missing choice, waits for a readable disc in a drive that
    // was listed without one, refuses an image (a file or a disc read
    // through its device) whose tree cannot be copied whole, and stores the
    // chosen drive. The source is opened here, once: the later checks read
    // it, and source() hands it on.
    bool ValidateCdDrive(const SettingsForm& form);

    // The source that the checks read; null when no CD is read.
    std::shared_ptr<const Medium> source() const { return source_; }
    // The CD's modules the load check read, for the later checks of the
    // same run (the summary's, the finished tree's).
    std::shared_ptr<CdModules> cdModules() const { return cdModules_; }

    // An empty path passes and stays empty; otherwise the path is made
    // absolute in place and must name an existing file (never a folder).
    bool CheckFileExists(std::string& path);

    // With an ISO image to write: refuses when no boot image will be there
    // (none in workFolder, none beside the tools, and a source that has
    // none to give), saying what is missing and how to get it.
    bool checkBootImage(const std::string& workFolder);

    // Checks, possibly creates, and stores the work folder. A refusal
    // without a CD says on its second line why the folder cannot be used.
    bool ValidateWorkFolder(const SettingsForm& form);
    // A work folder that the build can use at all: not "/", the home
    // folder or a file; without a CD to read, one that no other build
    // holds and that holds the tree already. Checked before the answer
    // file, so that what is read from the tree is never blamed for a
    // folder that holds none.
    bool checkWorkFolderFirst(const SettingsForm& form);

    // The checks that catch before anything changes what the build would
    // fail on; each refusal is a message whose first line names the file or
    // value and whose second line gives the reason.
    // A source (image, disc or folder) that holds a Windows setup tree.
    bool checkSourceTree(const Medium& source);
    // A label the image can hold.
    bool checkVolumeLabel(const std::string& label);
    // A Service Pack installer (an existing file, or empty) that can run
    // here.
    bool checkServicePack(const std::string& path, Architecture architecture = Architecture::X86);
    // A driver INF (an existing file) that adds a text-mode storage driver
    // for the target (whose version may be unknown).
    bool checkDriverInf(const std::string& path, const WindowsTarget& target);
    // An ISO file name that the image step can write.
    bool checkIsoPath(const SettingsForm& form);
    // The USB stick image's name, size and system; stored when they pass.
    // tree is the tree the build starts from.
    bool checkUsbImage(const SettingsForm& form, const WindowsTarget& target, const Medium& tree);
    // A log file that can be written when the build ends.
    bool checkLogFile();
    // No path of the build lands on another: outputs on inputs or on the
    // tree, the work folder on the source (see findPathConflict). The
    // settings hold the source, Service Pack and drivers already; the
    // version is the one the drivers were checked for.
    bool checkNamedPaths(const SettingsForm& form, WindowsVersion version);
    // The USB stick to write the stick image to: one the user may write,
    // removable, not in use by the build or mounted, large enough; the user
    // is asked before it is taken. Stored when it passes.
    bool checkUsbDevice(const SettingsForm& form, WindowsVersion version, const Medium& tree);

private:
    // Shows a refusal: its first line, then its reason; always false.
    bool refuse(const Failure& failure);
    // The CD the settings name: the one ValidateCdDrive opened, or opened
    // now when the checks run one by one.
    const Medium& cdSource();

    BuildSettings& settings_;
    DriveSource& drives_;
    MessageBox& messages_;
    ToolSearch tools_;
    FreeSpaceQuery freeBytes_;
    std::string logFile_;
    bool headless_ = false;
    StopCheck stop_;
    std::function<void()> openAnswerFile_;
    std::shared_ptr<const Medium> source_;
    std::shared_ptr<CdModules> cdModules_;
};

} // namespace ornibe
