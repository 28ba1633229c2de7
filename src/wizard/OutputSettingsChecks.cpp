// The checks of what the build writes: the ISO image, the stick image and
// the stick, the log, the boot image, and the outputs against the inputs.

#include "wizard/SettingsChecks.h"

#include "media/BootImage.h"
#include "runner/BuildRunner.h"
#include "source/SetupTree.h"
#include "sys/CaseLookup.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/SearchPath.h"
#include "sys/Translation.h"
#include "wizard/ImageSettingsCheck.h"
#include "wizard/LogFileCheck.h"
#include "wizard/NamedPaths.h"
#include "wizard/PathConflicts.h"
#include "wizard/SourceTreeCheck.h"
#include "wizard/UsbDeviceSettingsCheck.h"
#include "wizard/UsbImageSettingsCheck.h"

namespace ornibe {

namespace {

constexpr MessageStyle kOk{MessageButtons::Ok, MessageIcon::None, false};
constexpr MessageStyle kYesNoQuestionNoDefault{MessageButtons::YesNo, MessageIcon::Question, true};

} // namespace

bool SettingsChecks::checkIsoPath(const SettingsForm& form) {
    Outcome outcome = validateIsoPath(form.isoPathText(), makeAbsolute(form.workFolderText()));
    return outcome || refuse(outcome.failure());
}

bool SettingsChecks::checkUsbImage(const SettingsForm& form, const WindowsTarget& target,
                                   const Medium& tree) {
    UsbImageRequest request{form.usbImageText(),
                            form.usbImageSizeText(),
                            withoutTrailingSlash(makeAbsolute(form.workFolderText())),
                            target,
                            &tree,
                            !form.servicePackText().empty()};
    Result<std::uint64_t> size = validateUsbImage(request, tools_, freeBytes_);
    if (!size) {
        return !stopped() && refuse(size.failure());
    }
    settings_.setUsbImagePath(form.usbImageText());
    settings_.setUsbImageSize(*size);
    return true;
}

bool SettingsChecks::checkLogFile() {
    Outcome outcome = validateLogFile(logFile_);
    return outcome || refuse(outcome.failure());
}

bool SettingsChecks::checkNamedPaths(const SettingsForm& form, WindowsVersion version) {
    const std::string workFolder = withoutTrailingSlash(makeAbsolute(form.workFolderText()));
    const std::string isoPath =
        form.isoPathText().empty() ? std::string() : makeAbsolute(form.isoPathText(), workFolder);
    Outcome outcome =
        findPathConflict(namedPathsOf(settings_, workFolder, isoPath, logFile_, version, tools_),
                         homeFolder(tools_.environment()));
    return outcome || refuse(outcome.failure());
}

bool SettingsChecks::checkUsbDevice(const SettingsForm& form, WindowsVersion version,
                                    const Medium& tree) {
    settings_.setUsbDevice({});
    if (form.usbDeviceText().empty()) {
        return true;
    }
    const std::string workFolder = withoutTrailingSlash(makeAbsolute(form.workFolderText()));
    const std::string isoPath =
        form.isoPathText().empty() ? std::string() : makeAbsolute(form.isoPathText(), workFolder);
    UsbDeviceRequest request;
    request.node = form.usbDeviceText();
    request.usbImage = settings_.getUsbImagePath();
    request.imageBytes = settings_.getUsbImageSize();
    if (request.imageBytes == 0 && !request.usbImage.empty()) {
        request.imageBytes = sourceBytes(tree).value_or(0);
    }
    request.paths = namedPathsOf(settings_, workFolder, isoPath, logFile_, version, tools_);
    Result<StickDevice> device = validateUsbDevice(request);
    if (!device) {
        return !stopped() && refuse(device.failure());
    }
    if (messages_.show(usbDeviceQuestion(*device), kYesNoQuestionNoDefault) != MessageAnswer::Yes) {
        return false;
    }
    settings_.setUsbDevice(device->node);
    return true;
}

bool SettingsChecks::checkBootImage(const std::string& workFolder) {
    // The image step takes BOOTSECT.BIN from the work folder's root, else
    // from beside the tools; the copy puts the CD's own boot image in the
    // work folder when the CD or its image has one.
    if (!bootSectorFile(tools_, workFolder).empty()) {
        return true;
    }
    std::string why;
    if (settings_.GetCdDriveIndex() != 0) {
        std::string root = settings_.getCdDriveRoot();
        if (existsAsFolder(root) && !findFileInFolder(root, "BOOTSECT.BIN").empty()) {
            return true;
        }
        std::string source = bootSourceOf(root);
        if (source.empty()) {
            why = translated(
                "%1 はイメージファイルでも CD でもないので、ブートイメージを取り出せません",
                {root});
        } else if (Result<BootImage> boot = findBootImage(source); boot) {
            return true;
        } else {
            why = source + ": " + boot.failure().line();
        }
    } else {
        why = translated("CD を読み込まない設定で、作業フォルダに BOOTSECT.BIN がありません");
    }
    messages_.show(translated("ISO イメージを起動できるようにするブートイメージ (BOOTSECT.BIN) "
                              "がありません。\n(%1)\nCD ドライブの欄で Windows の CD か、その ISO "
                              "イメージファイルを選んでください。",
                              {why}),
                   kOk);
    return false;
}

} // namespace ornibe
