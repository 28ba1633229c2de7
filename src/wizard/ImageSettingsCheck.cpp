#include "wizard/ImageSettingsCheck.h"

#include "media/VolumeLabel.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"

#include <unistd.h>

#include <cerrno>

namespace ornibe {
namespace {

// The whole UTF-8 character that begins at byte i.
std::string characterAt(const std::string& text, std::size_t i) {
    std::size_t end = i + 1;
    while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        ++end;
    }
    return text.substr(i, end - i);
}

} // namespace

Outcome validateVolumeLabel(const std::string& label) {
    const std::string cannotUse = "ボリュームラベル「" + label + "」は使えません。";
    if (std::optional<std::size_t> at = firstUnfitLabelByte(label)) {
        return Failure::refusal(
            cannotUse, {},
            "「" + characterAt(label, *at) +
                "」は使えない文字です。半角の英数字、空白と記号だけが使えます。");
    }
    // Every byte is now one printable ASCII character.
    if (label.size() > kVolumeLabelMaxLength) {
        return Failure::refusal(cannotUse, {},
                                std::to_string(kVolumeLabelMaxLength) + " 文字までです（" +
                                    std::to_string(label.size()) + " 文字あります）。");
    }
    return {};
}

Outcome validateIsoPath(const std::string& isoPath, const std::string& workFolder) {
    if (isoPath.empty()) {
        return {};
    }
    std::string path = makeAbsolute(isoPath, workFolder);
    const std::string cannotWrite = "ISO イメージ " + path + " を作成できません。";
    if (path.back() == '/' || existsAsFolder(path)) {
        return Failure::refusal(cannotWrite, path,
                                "フォルダの名前です。ISO イメージのファイル名を入力してください。");
    }
    std::string folder = folderPart(path);
    if (!existsAsFolder(folder)) {
        if (folder == withoutTrailingSlash(makeAbsolute(workFolder))) {
            return {};
        }
        return Failure::refusal(cannotWrite, folder, folder + " というフォルダはありません。");
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return Failure::refusal(cannotWrite, folder,
                                folder + " に書き込めません（" + systemReason(errno) + "）。");
    }
    return {};
}

} // namespace ornibe
