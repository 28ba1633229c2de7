#include "runner/VirtioWinReport.h"

#include "check/ControllerMatch.h"
#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

#include <string_view>

namespace ornibe {
namespace {

const char* const kIndent = "\r\n      ";
// The disk image the QEMU options boot the guest's disk from.
constexpr std::string_view kQemuDisk = "disk.qcow2";

const VirtioWinDriver* takenDriver(const VirtioWinChoice& choice, const std::string& name) {
    for (const VirtioWinDriver& driver : choice.drivers) {
        if (driver.name == name) {
            return &driver;
        }
    }
    return nullptr;
}

} // namespace

std::optional<std::string> virtioQemuMachine(const std::string& blockInf,
                                             const WindowsTarget& target) {
    InfReader reader(blockInf);
    reader.setArchitecture(target.architecture);
    if (!reader.file().isOpen()) {
        return std::nullopt;
    }
    DriverPackage package;
    reader.ReadDriverPackage(package, target.version);
    reader.Close();
    std::vector<std::pair<std::string, std::string>> ids(package.hardwareIdToService().begin(),
                                                         package.hardwareIdToService().end());
    for (const char* name : {"qemu-virtio-blk", "qemu-virtio-blk-modern"}) {
        for (const ControllerMatch& match : matchControllers(*qemuMachine(name), ids)) {
            if (!match.service.empty() && !match.onlyCompatible) {
                return std::string(name);
            }
        }
    }
    return std::nullopt;
}

std::vector<std::string> virtioQemuOptions(const VirtioWinChoice& choice,
                                           const WindowsTarget& target) {
    std::vector<std::string> options;
    if (choice.drivers.empty()) {
        return options;
    }
    // The i440FX machine puts every device on conventional PCI, where
    // virtio devices are transitional and show the IDs these drivers know.
    options.push_back("-machine pc");
    if (const VirtioWinDriver* block = takenDriver(choice, "viostor")) {
        std::optional<std::string> machine = virtioQemuMachine(block->inf, target);
        if (machine) {
            options.push_back("-drive file=" + std::string(kQemuDisk) + ",if=none,id=disk0");
            // disable-legacy=off keeps the transitional ID 1AF4:1001 also
            // behind a PCIe port; disable-legacy=on gives only 1AF4:1042.
            options.push_back(std::string("-device virtio-blk-pci,drive=disk0,disable-legacy=") +
                              (*machine == "qemu-virtio-blk" ? "off" : "on"));
        }
    }
    if (takenDriver(choice, "netkvm") != nullptr) {
        options.push_back("-netdev user,id=net0");
        options.push_back("-device virtio-net-pci,netdev=net0,disable-legacy=off");
    }
    if (takenDriver(choice, "balloon") != nullptr) {
        options.push_back("-device virtio-balloon-pci,disable-legacy=off");
    }
    if (takenDriver(choice, "vioserial") != nullptr) {
        options.push_back("-device virtio-serial-pci,disable-legacy=off");
    }
    if (takenDriver(choice, "qxl") != nullptr) {
        options.push_back("-vga qxl");
    }
    return options;
}

void appendVirtioWinSummary(const BuildSettings& settings, ProgressLog& log) {
    const VirtioWinChoice& choice = settings.getVirtioWin();
    if (choice.empty()) {
        return;
    }
    log.append(translated("\r\n\r\nvirtio-win：") + std::string(kIndent) + choice.source);
    log.append(kIndent + std::string(translated("バージョン：")) +
               (choice.version.empty() ? std::string(translated("不明")) : choice.version));
    for (const VirtioWinDriver& driver : choice.drivers) {
        log.append(kIndent +
                   (driver.textMode
                        ? translated("%1：%2（テキストモード）", {driver.name, driver.folder})
                        : translated("%1：%2（PnP）", {driver.name, driver.folder})));
    }
    for (const std::string& missing : choice.notFound) {
        log.append(kIndent + std::string(translated("フォルダがないので組み込まないもの：")) +
                   missing);
    }
}

std::optional<std::string> virtioCheckMachine(const BuildSettings& settings,
                                              const WindowsTarget& target) {
    const VirtioWinDriver* block = takenDriver(settings.getVirtioWin(), "viostor");
    if (block == nullptr) {
        return std::nullopt;
    }
    return virtioQemuMachine(block->inf, target);
}

bool appendVirtioQemuOptions(const BuildSettings& settings, const WindowsTarget& target,
                             ProgressLog& log) {
    const VirtioWinChoice& choice = settings.getVirtioWin();
    if (choice.empty()) {
        return false;
    }
    std::vector<std::string> options = virtioQemuOptions(choice, target);
    log.append(translated("\r\nQEMU でこのドライバを使うときのオプション："));
    std::string command =
        target.architecture == Architecture::Amd64 ? "qemu-system-x86_64" : "qemu-system-i386";
    bool disk = false;
    for (const std::string& option : options) {
        log.append(kIndent + option);
        command += " " + option;
        disk = disk || option.starts_with("-drive file=" + std::string(kQemuDisk) + ",");
    }
    if (!settings.GetIsoPath().empty()) {
        // The image tool runs in the work folder: a relative name is there.
        const std::string image = makeAbsolute(settings.GetIsoPath(), settings.GetWorkFolder());
        command += " -cdrom " +
                   (image.find_first_of(" '\"") == std::string::npos ? image : "'" + image + "'");
    }
    // The disk the options name is made first, so that the two lines run
    // as pasted into a shell.
    if (disk) {
        log.append("\r\nqemu-img create -f qcow2 " + std::string(kQemuDisk) + " 20G");
    }
    log.append("\r\n" + command + "\r\n");
    // With a target machine of the user's, the check reports on that one
    // alone; the QEMU machine is named only when it is what the check reads.
    const VirtioWinDriver* block = takenDriver(choice, "viostor");
    if (block != nullptr && settings.getTargetHardware().empty()) {
        std::optional<std::string> machine = virtioQemuMachine(block->inf, target);
        log.append(
            machine
                ? translated("ディスクのコントローラを照合する QEMU のマシン：%1\r\n", {*machine})
                : translated("viostor の INF は QEMU の virtio-blk の ID に合いません。\r\n"));
    }
    return true;
}

} // namespace ornibe
