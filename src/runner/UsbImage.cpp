#include "runner/UsbImage.h"

#include "inf/SetupArchitecture.h"
#include "media/StickImage.h"
#include "patch/SetupSourceDevice.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/PendingFile.h"
#include "sys/Translation.h"

#include <string_view>

namespace ornibe {
namespace {

constexpr std::string_view kCannotMake = toTranslate("USB メモリ用イメージを作成できません。");

bool hasServicePackTag(const std::vector<std::string>& rootNames, std::string_view level) {
    for (const std::string& name : rootNames) {
        std::string upper = name;
        for (char& c : upper) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        if (upper.starts_with("WIN51") && upper.ends_with(level)) {
            return true;
        }
    }
    return false;
}

std::string mib(std::uint64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB";
}

} // namespace

Outcome usbImageTargetCheck(const WindowsTarget& target, const std::vector<std::string>& rootNames,
                            bool servicePackChosen) {
    if (target.architecture == Architecture::Amd64) {
        return Failure::refusal(
            translated(kCannotMake), {},
            translated("x64 版の Windows は USB メモリからのセットアップに対応していません"
                       "（起動の仕組みが 32 ビット版のものです）。"));
    }
    if (target.version == WindowsVersion::Windows2000) {
        return Failure::refusal(translated(kCannotMake), {},
                                translated("Windows 2000 のテキストモードセットアップは USB "
                                           "メモリを読めません。"));
    }
    if (target.version == WindowsVersion::WindowsXp && !servicePackChosen &&
        !hasServicePackTag(rootNames, ".SP2") && !hasServicePackTag(rootNames, ".SP3")) {
        return Failure::refusal(
            translated(kCannotMake), {},
            translated("Windows XP のテキストモードセットアップが USB メモリを読めるのは "
                       "SP2 からです。SP2 以降の CD を使うか、Service Pack "
                       "を適用してください。"));
    }
    return {};
}

Outcome usbImageToolsCheck(const ToolSearch& tools) {
    if (tools.findProgram("syslinux").empty()) {
        return Failure::refusal(
            translated(kCannotMake), {},
            translated("syslinux がありません。Debian では sudo apt-get install syslinux "
                       "syslinux-common でインストールできます。"));
    }
    for (const char* module : kSyslinuxModuleNames) {
        const std::string path = std::string(kSyslinuxModules) + "/" + module;
        if (!existsAsFile(path)) {
            return Failure::refusal(translated(kCannotMake), path,
                                    translated("%1 がありません。Debian では sudo apt-get install "
                                               "syslinux-common でインストールできます。",
                                               {path}));
        }
    }
    if (!existsAsFile(kSyslinuxMbr)) {
        return Failure::refusal(translated(kCannotMake), kSyslinuxMbr,
                                translated("%1 がありません。Debian では sudo apt-get install "
                                           "syslinux-common でインストールできます。",
                                           {kSyslinuxMbr}));
    }
    return {};
}

std::string usbBootMenu() {
    return "# ornibe: Windows setup from a USB stick\r\n"
           "SERIAL 0 115200\r\n"
           "UI menu.c32\r\n"
           "PROMPT 0\r\n"
           "TIMEOUT 100\r\n"
           "MENU TITLE Windows setup (USB memory)\r\n"
           "\r\n"
           "LABEL setup\r\n"
           "  MENU LABEL ^1. Saisho no kidou: setup wo hajimeru (USB memory kara)\r\n"
           "  TEXT HELP\r\n"
           "  Hajimete kidou suru toki dake kore wo erande Enter wo oshimasu.\r\n"
           "  ENDTEXT\r\n"
           "  COM32 chain.c32\r\n"
           "  APPEND fs ntldr=/SETUPLDR.BIN\r\n"
           "\r\n"
           "LABEL disk\r\n"
           "  MENU LABEL ^2. 2-kaime ikou: naizou disk kara kidou (jidou)\r\n"
           "  MENU DEFAULT\r\n"
           "  TEXT HELP\r\n"
           "  Setup no saikidou go wa nani mo osazu ni matsu to, 10 byou de kore ga\r\n"
           "  erabaremasu. Setup ga owaru made USB memory wa nukanaide kudasai.\r\n"
           "  ENDTEXT\r\n"
           "  COM32 chain.c32\r\n"
           "  APPEND hd1 swap\r\n";
}

Outcome writeUsbImage(const BuildSettings& settings, const WindowsTarget& target,
                      const ToolSearch& tools, BuildPage& page) {
    const std::string work = withoutTrailingSlash(settings.GetWorkFolder());
    const std::string image = makeAbsolute(settings.getUsbImagePath(), work);
    page.log().append(translated("USB メモリ用イメージを作成しています。。。\r\n"));
    if (Outcome ready = usbImageToolsCheck(tools); !ready) {
        return ready;
    }
    // The tree as the build left it: a Service Pack applied now shows its
    // tag in the root.
    std::vector<std::string> rootNames = folderEntries(work).value_or(std::vector<std::string>{});
    if (Outcome fits = usbImageTargetCheck(target, rootNames, false); !fits) {
        return fits;
    }
    const std::string setupFolder =
        entryPathNoCase(work, std::string(setupFolderName(target.architecture)));
    StickImageInput input;
    input.tree = work;
    input.size = settings.getUsbImageSize();
    input.epoch = settings.getImageEpoch();
    input.label = "WINSETUP";
    std::optional<std::string> txtsetup = findFileNoCase(setupFolder, "TXTSETUP.SIF");
    std::optional<std::string> loader = findFileNoCase(setupFolder, "SETUPLDR.BIN");
    std::optional<std::string> detect = findFileNoCase(setupFolder, "NTDETECT.COM");
    for (const auto& [found, name] :
         {std::pair{&txtsetup, "TXTSETUP.SIF"}, std::pair{&loader, "SETUPLDR.BIN"},
          std::pair{&detect, "NTDETECT.COM"}}) {
        if (!*found) {
            return Failure{"open", joinPath(setupFolder, name), translated("ファイルがありません")};
        }
    }
    std::optional<std::string> stickSetup;
    try {
        input.bootCode = readFile(kSyslinuxMbr);
        stickSetup = withSetupSourceDevice(readFile(*txtsetup));
    } catch (const FileError& error) {
        return Failure::fromFileError(error);
    }
    if (!stickSetup) {
        return Failure{"read", *txtsetup, translated("[SetupData] セクションがありません")};
    }
    // The setup files in the root, where the loader looks for them when it
    // starts from a hard disk; TXTSETUP.SIF there and in its folder alike.
    const std::string setupName = fileName(setupFolder);
    input.files = {
        {setupName + "/" + fileName(*txtsetup), *stickSetup, {}},
        {"TXTSETUP.SIF", *stickSetup, {}},
        {"SETUPLDR.BIN", {}, *loader},
        {"NTDETECT.COM", {}, *detect},
        {"syslinux/syslinux.cfg", usbBootMenu(), {}},
    };
    for (const char* module : kSyslinuxModuleNames) {
        input.files.push_back(
            {std::string("syslinux/") + module, {}, std::string(kSyslinuxModules) + "/" + module});
    }
    auto stop = [&page] { return page.stopRequested(); };
    Result<StickImage> planned = StickImage::plan(input, stop);
    if (!planned) {
        Failure failure = planned.failure();
        if (failure.path.empty()) {
            failure.path = image;
        }
        return failure;
    }
    // The image is written sparse: what it needs on its disk is what its
    // files fill.
    const std::string folder = folderPart(image);
    if (std::optional<std::uint64_t> free = bytesFree(folder);
        free && *free < planned->bytesWritten()) {
        return Failure{"write", folder,
                       translated("空き容量が足りません（%1 必要で、%2 しかありません）",
                                  {mib(planned->bytesWritten()), mib(*free)})};
    }
    try {
        removeStalePendingFiles(image);
        PendingFile pending(image);
        if (!planned->write(pending.fd(), image, stop)) {
            return Failure{"write", image, translated("中止しました")};
        }
        // syslinux writes its boot sector and its two files through mtools
        // into the partition; it needs no root rights on an image file.
        const std::string offset = std::to_string(kStickPartitionOffset);
        page.log().append("syslinux --offset " + offset + " --install \"" + image + "\"\r\n");
        if (Outcome installed =
                runToolQuietly(tools, "syslinux --offset " + offset + " --install " +
                                          quoteArgument(pending.path()));
            !installed) {
            return installed;
        }
        planned->redateRoot(pending.path(), image);
        pending.setMode(0644);
        pending.sync();
        pending.commit();
    } catch (const FileError& error) {
        return Failure::fromFileError(error);
    }
    page.log().append(translated("完了（%1、ファイル %2 個）\r\n",
                                 {mib(planned->size()), std::to_string(planned->fileCount())}));
    // The two boots, as the user meets them: what decides BOOT.INI.
    page.log().append(
        translated("USB メモリからの起動：初めはメニューの 1 を選んで Enter を押します。"
                   "セットアップが再起動したあとは何も押さずに待つと、10 秒で 2（内蔵ディスク"
                   "から起動）になります。セットアップが終わるまで USB メモリは抜かないで"
                   "ください。\r\n"));
    return {};
}

} // namespace ornibe
