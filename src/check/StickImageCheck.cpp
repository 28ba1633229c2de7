#include "check/TreeCheckParts.h"
#include "patch/SetupSourceDevice.h"
#include "sys/BuildRecord.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/ScratchFolders.h"
#include "sys/Translation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>

namespace ornibe {
namespace {

// After the first of several names, how many more there are.
std::string others(const std::vector<std::string>& names) {
    return names.size() > 1 ? translated(" ほか %1 個", {std::to_string(names.size() - 1)})
                            : std::string();
}

std::string upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// Every regular file below root by its path in capitals, as FAT finds it.
std::map<std::string, std::string> filesBelow(const std::string& root) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file(error) && !it->is_symlink(error)) {
            files[upper(fs::relative(it->path(), root).string())] = it->path().string();
        }
    }
    return files;
}

// The one partition the table must hold: active, FAT32, inside the image.
std::optional<std::string> partitionProblem(const std::string& mbr, std::uint64_t imageBytes,
                                            std::uint64_t& start, std::uint64_t& sectors) {
    auto byte = [&](std::size_t at) { return static_cast<unsigned char>(mbr[at]); };
    auto word = [&](std::size_t at) {
        return static_cast<std::uint32_t>(byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 |
                                          static_cast<std::uint32_t>(byte(at + 3)) << 24);
    };
    if (mbr.size() < 512 || byte(510) != 0x55 || byte(511) != 0xAA) {
        return translated("マスターブートレコードの署名 (55 AA) がありません");
    }
    if (byte(446) != 0x80 || (byte(450) != 0x0B && byte(450) != 0x0C)) {
        return translated("最初の区画が起動可能な FAT32 の区画ではありません");
    }
    for (std::size_t entry = 462; entry < 510; entry += 16) {
        if (byte(entry + 4) != 0) {
            return translated("区画が 2 つ以上あります");
        }
    }
    start = word(454);
    sectors = word(458);
    if (start == 0 || (start + sectors) * 512 > imageBytes) {
        return translated("区画がイメージの外にはみ出しています");
    }
    return std::nullopt;
}

// The loader the menu starts ("ntldr=/SETUPLDR.BIN"), as a path in
// capitals without its leading "/".
std::optional<std::string> menuLoader(const std::string& menu) {
    const std::size_t at = menu.find("ntldr=");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    std::size_t end = menu.find_first_of(" \t\r\n", at);
    std::string path = menu.substr(at + 6, end == std::string::npos ? end : end - at - 6);
    while (!path.empty() && path.front() == '/') {
        path.erase(0, 1);
    }
    return upper(path);
}

} // namespace

void checkStickImage(const CheckedTree& tree, const std::string& image, const ToolSearch& tools,
                     TreeCheckReport& report) {
    auto problem = [&](const std::string& text) {
        report.problem(translated("USB メモリ用イメージ：%1: %2", {image, text}));
    };
    struct stat st {};
    if (::stat(image.c_str(), &st) != 0) {
        problem(systemReason(errno));
        return;
    }
    std::uint64_t start = 0;
    std::uint64_t sectors = 0;
    try {
        if (std::optional<std::string> bad = partitionProblem(
                readFileHead(image, 512), static_cast<std::uint64_t>(st.st_size), start, sectors)) {
            problem(*bad);
            return;
        }
    } catch (const FileError& error) {
        problem(error.reason());
        return;
    }

    // The file system as fsck.fat reads it, from a copy of the partition;
    // its files copied out with mtools.
    ScratchFolders scratch("ornibe-stick", tools.environment().tempFolder());
    Result<std::string> folder = scratch.make();
    if (!folder) {
        problem(folder.failure().line());
        return;
    }
    const std::string partition = *folder + "/partition.img";
    const std::string files = *folder + "/files";
    try {
        std::string command = "dd if=" + quoteArgument(image) + " of=" + quoteArgument(partition) +
                              " bs=512 skip=" + std::to_string(start) +
                              " count=" + std::to_string(sectors) + " conv=sparse status=none";
        if (Outcome copied = runToolQuietly(tools, command); !copied) {
            problem(copied.failure().line());
            return;
        }
        if (Outcome checked = runToolQuietly(tools, "fsck.fat -n " + quoteArgument(partition));
            !checked) {
            problem(
                translated("fsck.fat -n が問題を見つけました（%1）", {checked.failure().line()}));
            return;
        }
        makeFolders(files);
        if (Outcome copied = runToolQuietly(tools, "mcopy -s -n -i " + quoteArgument(partition) +
                                                       " ::/* " + quoteArgument(files));
            !copied) {
            problem(copied.failure().line());
            return;
        }
    } catch (const FileError& error) {
        problem(error.reason());
        return;
    }
    removeFile(partition);

    const std::map<std::string, std::string> onStick = filesBelow(files);
    const std::string setupName = upper(tree.setupName());
    auto bytesOf = [&](const std::string& name) -> std::optional<std::string> {
        auto found = onStick.find(name);
        return found == onStick.end() ? std::nullopt : std::optional(readFile(found->second));
    };
    const std::string stickSetup = setupName + "/TXTSETUP.SIF";
    std::vector<std::string> missing;
    std::vector<std::string> differing;
    for (const auto& [name, path] : filesBelow(tree.root())) {
        if (isBuildRecord(name) || realPath(path) == realPath(image)) {
            continue;
        }
        std::optional<std::string> bytes = bytesOf(name);
        if (!bytes) {
            missing.push_back(name);
            continue;
        }
        std::string expected = readFile(path);
        if (name == stickSetup) {
            expected = withSetupSourceDevice(expected).value_or(expected);
        }
        if (*bytes != expected) {
            differing.push_back(name);
        }
    }
    if (!missing.empty()) {
        problem(
            translated("ツリーのファイルがありません：%1", {missing.front() + others(missing)}));
    }
    if (!differing.empty()) {
        problem(translated("ツリーと中身の違うファイルがあります：%1",
                           {differing.front() + others(differing)}));
    }
    // The setup files in the root, as the loader reads them there.
    for (const char* name : {"SETUPLDR.BIN", "NTDETECT.COM", "TXTSETUP.SIF"}) {
        std::optional<std::string> root = bytesOf(name);
        std::optional<std::string> inFolder = bytesOf(setupName + "/" + name);
        if (!root || root != inFolder) {
            problem(translated("%1 がルートにないか、%2 のものと違います", {name, setupName}));
        }
    }
    if (std::optional<std::string> sif = bytesOf("TXTSETUP.SIF");
        sif && setupSourceDeviceLines(*sif) != 1) {
        problem(translated("TXTSETUP.SIF の [SetupData] に SetupSourceDevice の行が %1 "
                           "行あります（1 行のはずです）",
                           {std::to_string(setupSourceDeviceLines(*sif))}));
    }
    std::optional<std::string> menu = bytesOf("SYSLINUX/SYSLINUX.CFG");
    std::optional<std::string> loader = menu ? menuLoader(*menu) : std::nullopt;
    if (!loader) {
        problem(translated(
            "起動メニュー (syslinux/syslinux.cfg) がセットアップのローダーを指していません"));
    } else if (!onStick.contains(*loader)) {
        problem(translated("起動メニューの指すローダー %1 がありません", {*loader}));
    }
    if (!onStick.contains("LDLINUX.SYS")) {
        problem(translated("syslinux (ldlinux.sys) がインストールされていません"));
    }
}

} // namespace ornibe
