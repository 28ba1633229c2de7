#include "wizard/ImageSettingsCheck.h"

#include "media/VolumeLabel.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

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
    const std::string cannotUse = translated("ボリュームラベル「%1」は使えません。", {label});
    if (std::optional<std::size_t> at = firstUnfitLabelByte(label)) {
        return Failure::refusal(
            cannotUse, {},
            translated("「%1」は使えない文字です。半角の英数字、空白と記号だけが使えます。",
                       {characterAt(label, *at)}));
    }
    // Every byte is now one printable ASCII character.
    if (label.size() > kVolumeLabelMaxLength) {
        return Failure::refusal(
            cannotUse, {},
            translated("%1 文字までです（%2 文字あります）。",
                       {std::to_string(kVolumeLabelMaxLength), std::to_string(label.size())}));
    }
    return {};
}

Outcome validateIsoPath(const std::string& isoPath, const std::string& workFolder) {
    if (isoPath.empty()) {
        return {};
    }
    std::string path = makeAbsolute(isoPath, workFolder);
    const std::string cannotWrite = translated("ISO イメージ %1 を作成できません。", {path});
    if (path.back() == '/' || existsAsFolder(path)) {
        return Failure::refusal(
            cannotWrite, path,
            translated("フォルダの名前です。ISO イメージのファイル名を入力してください。"));
    }
    std::string folder = folderPart(path);
    if (!existsAsFolder(folder)) {
        if (folder == withoutTrailingSlash(makeAbsolute(workFolder))) {
            return {};
        }
        return Failure::refusal(cannotWrite, folder,
                                translated("%1 というフォルダはありません。", {folder}));
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return Failure::refusal(
            cannotWrite, folder,
            translated("%1 に書き込めません（%2）。", {folder, systemReason(errno)}));
    }
    return {};
}

} // namespace ornibe
