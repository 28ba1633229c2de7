#include "wizard/SettingsChecks.h"

#include "runner/WorkRecord.h"

#include "inf/DriverPackage.h"
#include "media/BootImage.h"
#include "runner/BuildRunner.h"
#include "runner/WorkFolderLock.h"
#include "runner/WorkRecord.h"
#include "settings/CdDriveEntry.h"
#include "source/F6Source.h"
#include "source/SetupTree.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/SearchPath.h"
#include "sys/Translation.h"
#include "wizard/AnswerFileSettingsCheck.h"
#include "wizard/DriverInfCheck.h"
#include "wizard/DriverLoadStep.h"
#include "wizard/DriverNamesCheck.h"
#include "wizard/DriverPackCheck.h"
#include "wizard/F6DriverCheck.h"
#include "wizard/FreeSpaceNotice.h"
#include "wizard/ImageEpoch.h"
#include "wizard/ImageSettingsCheck.h"
#include "wizard/InfListEntries.h"
#include "wizard/LogFileCheck.h"
#include "wizard/NamedPaths.h"
#include "wizard/PathConflicts.h"
#include "wizard/PnpDriverCheck.h"
#include "wizard/ServicePackCheck.h"
#include "wizard/SetupAdditionsCheck.h"
#include "wizard/SourceTreeCheck.h"
#include "wizard/TargetHardwareCheck.h"
#include "wizard/TreeSetupCheck.h"
#include "wizard/UsbDeviceSettingsCheck.h"
#include "wizard/UsbImageSettingsCheck.h"
#include "wizard/VirtioWinCheck.h"

#include <cstdlib>

namespace ornibe {

namespace {

constexpr MessageStyle kOk{MessageButtons::Ok, MessageIcon::None, false};
constexpr MessageStyle kOkInformation{MessageButtons::Ok, MessageIcon::Information, false};
constexpr MessageStyle kOkCancelInformation{MessageButtons::OkCancel, MessageIcon::Information,
                                            false};
constexpr MessageStyle kYesNoQuestion{MessageButtons::YesNo, MessageIcon::Question, false};
constexpr MessageStyle kYesNoQuestionNoDefault{MessageButtons::YesNo, MessageIcon::Question, true};

} // namespace

SettingsChecks::SettingsChecks(BuildSettings& settings, DriveSource& drives, MessageBox& messages,
                               ToolSearch tools, FreeSpaceQuery freeBytes, std::string logFile)
    : settings_(settings), drives_(drives), messages_(messages), tools_(std::move(tools)),
      freeBytes_(std::move(freeBytes)), logFile_(std::move(logFile)),
      cdModules_(std::make_shared<CdModules>()) {}

bool SettingsChecks::OnOK(const SettingsForm& form) {
    // The user's input files are read anew, once, and the build takes
    // what this reading checked.
    settings_.inputSnapshots().forget();
    if (stopped() || !ValidateCdDrive(form)) {
        return false;
    }
    if (form.selectedDrivePosition() > 0 && (!checkSourceTree(cdSource()) || stopped())) {
        return false;
    }
    if (!checkVolumeLabel(form.volumeLabelText())) {
        return false;
    }
    settings_.SetVolumeLabel(form.volumeLabelText());

    std::string servicePack = form.servicePackText();
    if (!CheckFileExists(servicePack)) {
        return false;
    }
    // The Service Pack and the drivers are checked against the tree that
    // the build will patch: the CD's, or the one the work folder already
    // holds. Its TXTSETUP.SIF is read as the summary reads it.
    const std::shared_ptr<const Medium> treeSource =
        form.selectedDrivePosition() > 0 ? source_
                                         : Medium::open(makeAbsolute(form.workFolderText()), stop_);
    const TreeTarget tree = readTreeTarget(*treeSource);
    const WindowsTarget& target = tree.target;
    if (stopped()) {
        return false;
    }
    if (!checkServicePack(servicePack, target.architecture)) {
        return false;
    }
    settings_.SetServicePackPath(servicePack);

    settings_.ClearDriverInfs();
    settings_.clearDriverEntries();
    const std::vector<std::string> infs = infEntriesOnNext(form);
    if (!tree.outcome) {
        return refuse(tree.outcome.failure());
    }
    std::vector<F6ListEntry> floppies;
    for (std::string inf : infs) {
        if (std::optional<F6ListEntry> floppy = f6ListEntry(inf)) {
            floppies.push_back(*floppy);
            settings_.AddDriverInf(floppy->source);
            continue;
        }
        if (!CheckFileExists(inf) || !checkDriverInf(inf, target)) {
            return false;
        }
        settings_.AddDriverInf(inf);
    }
    if (Outcome chosen =
            checkF6Entries(floppies, form.driverEntryIds(), settings_, tools_, target, stop_);
        !chosen) {
        return refuse(chosen.failure());
    }
    if (Outcome hive =
            checkHivesysForConfig(settings_, *treeSource, target.architecture, tools_, stop_);
        !hive) {
        return refuse(hive.failure());
    }

    settings_.clearPnpDriverInfs();
    for (std::string inf : form.pnpInfEntries()) {
        if (!CheckFileExists(inf)) {
            return false;
        }
        if (Outcome pnp = validatePnpDriverInf(inf, target); !pnp) {
            return refuse(pnp.failure());
        }
        settings_.addPnpDriverInf(inf);
    }
    if (Outcome virtio =
            addVirtioWinDrivers(settings_, form.virtioWinText(), form.virtioWinDrivers(), target,
                                tools_.environment().tempFolder(), stop_);
        !virtio) {
        return !stopped() && refuse(virtio.failure());
    }
    if (Outcome pack =
            addDriverPackDrivers(settings_, form.driverPackText(), form.targetHardwareText(),
                                 treeSource, target, tools_, cdModules_.get(), stop_);
        !pack) {
        return !stopped() && refuse(pack.failure());
    }
    // The [Config] values of the pack's floppy entries, checked as those
    // of the list's.
    if (!settings_.getDriverPack().taken.empty()) {
        if (Outcome hive =
                checkHivesysForConfig(settings_, *treeSource, target.architecture, tools_, stop_);
            !hive) {
            return refuse(hive.failure());
        }
    }
    // The drivers as staging will read them, for the check of whether
    // they load.
    DriverPackage drivers;
    readDriverSources(settings_, target, tools_, drivers);
    if (Outcome names = checkDriverNames(settings_, drivers, *treeSource, target,
                                         !form.isoPathText().empty(), tools_);
        !names) {
        return !stopped() && refuse(names.failure());
    }
    if (!checkDriverLoadSettings(settings_, drivers, treeSource, target, tools_, cdModules_.get(),
                                 messages_, headless_, form.allowUnloadableDriverChecked())) {
        return false;
    }

    settings_.SetBigDrive(form.bigDriveChecked() ? 1 : 0);
    const std::optional<std::string> sourceDateEpoch =
        tools_.environment().value("SOURCE_DATE_EPOCH");
    Result<std::optional<std::int64_t>> epoch = imageEpochOf(
        form.reproducibleChecked(), sourceDateEpoch ? sourceDateEpoch->c_str() : nullptr);
    if (!epoch) {
        return refuse(epoch.failure());
    }
    settings_.setImageEpoch(*epoch);
    if (Outcome target = checkTargetHardware(form.targetHardwareText(), settings_); !target) {
        return refuse(target.failure());
    }
    SetupAdditions additions = form.setupAdditions();
    for (HotfixChoice& hotfix : additions.hotfixes) {
        hotfix.path = makeAbsolute(hotfix.path);
    }
    if (!additions.oemFolder.empty()) {
        additions.oemFolder = makeAbsolute(additions.oemFolder);
    }
    if (Outcome added = checkSetupAdditions(additions, target.architecture,
                                            settings_.getAnswerFile(), settings_.inputSnapshots());
        !added) {
        return refuse(added.failure());
    }
    settings_.setSetupAdditions(additions);
    if (!checkWorkFolderFirst(form) ||
        !checkPnpDriverSettings(settings_, target.version, messages_, openAnswerFile_) ||
        !checkAnswerFileSettings(settings_.getAnswerFile(), target.version,
                                 settings_.inputSnapshots(), messages_)) {
        return false;
    }

    // Before the work folder check, which may create the folder.
    if (!checkIsoPath(form) || !checkUsbImage(form, target, *treeSource) || !checkLogFile() ||
        !checkNamedPaths(form, target.version) ||
        !checkUsbDevice(form, target.version, *treeSource)) {
        return false;
    }
    // With a source to read, the work folder check asks its questions and
    // may create the folder: a missing boot image is found out before
    // that. Without one, the folder only has to hold the tree, and why it
    // does not is said first.
    const bool withImage = !form.isoPathText().empty();
    const bool readsSource = form.selectedDrivePosition() > 0;
    if (withImage && readsSource && !checkBootImage(makeAbsolute(form.workFolderText()))) {
        return false;
    }
    // A folder that another build works on is refused before any question
    // about it; the build itself takes the lock.
    if (Outcome free = checkWorkFolderFree(makeAbsolute(form.workFolderText())); !free) {
        return refuse(free.failure());
    }
    if (!ValidateWorkFolder(form)) {
        return false;
    }
    if (withImage && !readsSource && !checkBootImage(settings_.GetWorkFolder())) {
        return false;
    }
    settings_.SetIsoPath(form.isoPathText());
    return true;
}

bool SettingsChecks::ValidateCdDrive(const SettingsForm& form) {
    int position = form.selectedDrivePosition();
    if (position < 0) {
        messages_.show(translated("CD ドライブを選択してください。"), kOk);
        return false;
    }
    std::string entry = form.driveEntryText(position);
    // The root comes with the entry, never from its text: a root may hold
    // " [ " itself.
    std::string root = position > 0 ? form.driveRoot(position) : std::string();
    if (position > 0 && cdDriveEntryHasNoDisc(entry)) {
        // The list still shows the drive as empty; ask for the disc until
        // a volume can be read in it or the user gives up.
        while (true) {
            if (std::optional<CdDrive> drive = drives_.readVolume(root)) {
                entry = makeCdDriveEntry(drive->root, drive->label.value_or(""));
                root = drive->root;
                break;
            }
            if (messages_.show(translated(" Windows の CD を %1 にセットしてください。", {root}),
                               kOkCancelInformation) != MessageAnswer::Ok) {
                return false;
            }
        }
    }
    source_.reset();
    if (position > 0) {
        // An image file, or a disc read through its device, must hold an
        // ISO 9660 volume whose tree the copy can take whole: it is read
        // here as the copy reads it.
        source_ = Medium::open(root, stop_);
        if (source_->isImage()) {
            if (source_->stopped()) {
                return false;
            }
            if (Outcome usable = source_->copyable(); !usable) {
                messages_.show(translated("%1 は Windows の CD のイメージとして読めません。\n(%2)",
                                          {root, usable.failure().line()}),
                               kOk);
                return false;
            }
        }
    }
    settings_.SetCdDriveIndex(position);
    settings_.SetCdDriveEntry(entry);
    settings_.setCdDriveRoot(root);
    return true;
}

bool SettingsChecks::refuse(const Failure& failure) {
    messages_.show(failure.headline + "\n" + failure.reason, kOk);
    return false;
}

const Medium& SettingsChecks::cdSource() {
    const std::string root = settings_.getCdDriveRoot();
    if (!source_ || source_->path() != root) {
        source_ = Medium::open(root, stop_);
    }
    return *source_;
}

bool SettingsChecks::checkSourceTree(const Medium& source) {
    Outcome outcome = validateSetupSource(source);
    return outcome || refuse(outcome.failure());
}

bool SettingsChecks::checkVolumeLabel(const std::string& label) {
    Outcome outcome = validateVolumeLabel(label);
    return outcome || refuse(outcome.failure());
}

bool SettingsChecks::checkServicePack(const std::string& path, Architecture architecture) {
    if (path.empty()) {
        return true;
    }
    Outcome outcome = validateServicePack(path, tools_, architecture);
    return outcome || refuse(outcome.failure());
}

bool SettingsChecks::checkDriverInf(const std::string& path, const WindowsTarget& target) {
    Outcome outcome = validateDriverInf(path, target);
    return outcome || refuse(outcome.failure());
}

bool SettingsChecks::CheckFileExists(std::string& path) {
    if (path.empty()) {
        return true;
    }
    path = makeAbsolute(path);
    // Only a regular file passes: a folder is never taken for the file.
    std::string file = withoutTrailingSlash(path);
    if (existsAsFile(file)) {
        return true;
    }
    messages_.show(translated("%1 ファイルが見つかりませんでした。", {path}), kOk);
    return false;
}

bool SettingsChecks::checkWorkFolderFirst(const SettingsForm& form) {
    std::string path = makeAbsolute(form.workFolderText());
    if (Outcome usable = findPathConflict({{PathRole::WorkFolder, withoutTrailingSlash(path)}},
                                          homeFolder(tools_.environment()));
        !usable) {
        return refuse(usable.failure());
    }
    if (form.selectedDrivePosition() != 0) {
        return true;
    }
    // A folder that another build works on is refused as such, whatever
    // it holds at the moment.
    if (Outcome free = checkWorkFolderFree(path); !free) {
        return refuse(free.failure());
    }
    // No CD is read: the folder must already hold the installation tree,
    // whatever the letter case of its names.
    const std::unique_ptr<Medium> tree = Medium::open(withTrailingSlash(path));
    if (tree->hasFile(setupFileOf(sourceArchitecture(*tree)))) {
        // What an earlier build recorded it added: a record the steps would
        // refuse is refused now, before any step changes the tree.
        try {
            if (Result<WorkRecord> record = readWorkRecord(path); !record) {
                return refuse(
                    Failure::refusal(translated("作業フォルダにあるビルドの記録が使えません。"),
                                     record.failure().path, record.failure().reason));
            }
        } catch (const FileError& error) {
            return refuse(Failure::fromFileError(error));
        }
        return true;
    }
    std::string reason;
    const std::string typed = form.workFolderText();
    if (typed.starts_with('~')) {
        // The field takes a path literally; no shell expands it.
        reason = translated(
            "「~」はホームフォルダの意味にはならず、その名前のフォルダとして扱われます。");
    } else if (!existsAsFolder(path)) {
        reason = translated("%1 というフォルダはありません。", {path});
    } else {
        reason = translated("%1 がありません。", {withTrailingSlash(path) + "I386/TXTSETUP.SIF"});
    }
    messages_.show(translated("この作業フォルダは使えません。\n%1", {reason}), kOk);
    return false;
}

bool SettingsChecks::ValidateWorkFolder(const SettingsForm& form) {
    std::string path = makeAbsolute(form.workFolderText());

    if (form.selectedDrivePosition() == 0) {
        // The folder holds the tree (checkWorkFolderFirst).
        if (!checkWorkFolderFirst(form)) {
            return false;
        }
        settings_.SetWorkFolder(withTrailingSlash(path));
        return true;
    }

    std::optional<std::uint64_t> free = freeBytes_ ? freeBytes_(path) : std::nullopt;
    if (!free) {
        messages_.show(translated("ドライブの準備ができてません。"), kOk);
        return false;
    }
    std::optional<std::uint64_t> needed;
    if (settings_.GetCdDriveIndex() > 0) {
        needed = sourceBytes(cdSource());
        if (stopped()) {
            return false;
        }
    }
    const std::string notice = freeSpaceNotice(*free, needed);
    if (headless_) {
        if (knownNotToFit(needed, *free, path)) {
            messages_.show(notice + "\n" +
                               translated("空き容量が足りないので、CD の内容をコピーできません。"),
                           kOk);
            return false;
        }
        messages_.show(notice, kOkInformation);
    } else if (messages_.show(notice, kOkCancelInformation) != MessageAnswer::Ok) {
        return false;
    }

    if (isDriveRoot(path)) {
        if (!folderIsEmpty(path) &&
            messages_.show(translated("%1 ドライブは空ではありませんが、よろしいですか？", {path}),
                           kYesNoQuestionNoDefault) != MessageAnswer::Yes) {
            return false;
        }
    } else if (!existsAsFolder(path)) {
        if (messages_.show(translated("%1 というフォルダはありません。新しく作りますか？", {path}),
                           kYesNoQuestion) != MessageAnswer::Yes) {
            return false;
        }
        std::string why;
        try {
            makeFolders(path);
        } catch (const FileError& error) {
            why = "\n" + Failure::fromFileError(error).line();
        }
        if (!existsAsFolder(path)) {
            messages_.show(translated("フォルダを作成できませんでした。") + why, kOkInformation);
            return false;
        }
    } else if (!folderIsEmpty(path) &&
               messages_.show(
                   translated("%1 フォルダは空ではありませんが、よろしいですか？", {path}),
                   kYesNoQuestionNoDefault) != MessageAnswer::Yes) {
        return false;
    }

    settings_.SetWorkFolder(path);
    return true;
}

} // namespace ornibe
