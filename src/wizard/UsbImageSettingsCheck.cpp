#include "wizard/UsbImageSettingsCheck.h"

#include "media/StickImage.h"
#include "runner/UsbImage.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"
#include "wizard/SourceTreeCheck.h"

#include <unistd.h>

#include <cerrno>
#include <vector>

namespace ornibe {
namespace {

std::string mib(std::uint64_t bytes) {
    return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MiB";
}

} // namespace

Result<std::uint64_t> parseUsbImageSize(const std::string& text) {
    if (text.empty()) {
        return std::uint64_t{0};
    }
    const Failure unusable = Failure::refusal(
        translated("USB メモリ用イメージの大きさ「%1」は使えません。", {text}), {},
        translated("バイト数か、K、M、G（KiB、MiB、GiB）を付けた数で指定してください（例: 4G）。"));
    std::string digits = text;
    unsigned shift = 0;
    switch (digits.back()) {
    case 'K':
    case 'k':
        shift = 10;
        break;
    case 'M':
    case 'm':
        shift = 20;
        break;
    case 'G':
    case 'g':
        shift = 30;
        break;
    default:
        break;
    }
    if (shift != 0) {
        digits.pop_back();
    }
    if (digits.empty() || digits.size() > 15 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return unusable;
    }
    const std::uint64_t number = std::stoull(digits);
    if (number > (kStickImageMaxBytes >> shift) || (number << shift) < kStickImageMinBytes) {
        return Failure::refusal(
            translated("USB メモリ用イメージの大きさ「%1」は使えません。", {text}), {},
            translated("64 MiB から 2 TiB までです。"));
    }
    return number << shift;
}

Result<std::uint64_t>
validateUsbImage(const UsbImageRequest& request, const ToolSearch& tools,
                 const std::function<std::optional<std::uint64_t>(const std::string&)>& freeBytes) {
    if (request.path.empty()) {
        return std::uint64_t{0};
    }
    const std::string path = makeAbsolute(request.path, request.workFolder);
    const std::string cannotWrite =
        translated("USB メモリ用イメージ %1 を作成できません。", {path});
    if (path.back() == '/' || existsAsFolder(path)) {
        return Failure::refusal(
            cannotWrite, path,
            translated("フォルダの名前です。イメージのファイル名を入力してください。"));
    }
    const std::string folder = folderPart(path);
    if (!existsAsFolder(folder)) {
        return Failure::refusal(cannotWrite, folder,
                                translated("%1 というフォルダはありません。", {folder}));
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return Failure::refusal(
            cannotWrite, folder,
            translated("%1 に書き込めません（%2）。", {folder, systemReason(errno)}));
    }
    Result<std::uint64_t> size = parseUsbImageSize(request.sizeText);
    if (!size) {
        return size;
    }
    const std::vector<std::string> rootNames =
        request.tree ? request.tree->folderNames("").value_or(std::vector<std::string>{})
                     : std::vector<std::string>{};
    if (Outcome fits = usbImageTargetCheck(request.target, rootNames, request.servicePack); !fits) {
        return fits.failure();
    }
    if (Outcome ready = usbImageToolsCheck(tools); !ready) {
        return ready.failure();
    }
    // The image holds the tree; what it takes on its disk is about what
    // the tree takes.
    std::optional<std::uint64_t> needed;
    if (request.tree) {
        needed = sourceBytes(*request.tree);
    }
    std::optional<std::uint64_t> free = freeBytes ? freeBytes(folder) : std::nullopt;
    if (needed && free && *free < *needed) {
        return Failure::refusal(cannotWrite, folder,
                                translated("空き容量が足りません（%1 必要で、%2 しかありません）。",
                                           {mib(*needed), mib(*free)}));
    }
    if (needed && *size != 0 && *size < kStickPartitionOffset + *needed) {
        return Failure::refusal(
            cannotWrite, path,
            translated("%1 にはツリー（%2）が入りません。", {mib(*size), mib(*needed)}));
    }
    return size;
}

} // namespace ornibe
