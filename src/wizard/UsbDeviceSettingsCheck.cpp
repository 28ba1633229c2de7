#include "wizard/UsbDeviceSettingsCheck.h"
#include "sys/Translation.h"

namespace ornibe {

Result<StickDevice> validateUsbDevice(const UsbDeviceRequest& request) {
    if (request.usbImage.empty()) {
        return Failure::refusal(
            translated("USB メモリ %1 に書き込めません。", {request.node}), {},
            translated("書き込むイメージがありません。USB メモリ用イメージのファイル名も"
                       "指定してください（イメージは残るので、別の USB メモリにも"
                       "書き込めます）。"));
    }
    StickDeviceRequest stick;
    stick.node = request.node;
    stick.imageBytes = request.imageBytes;
    stick.root = request.root;
    for (const NamedPath& named : request.paths) {
        stick.pathsInUse.push_back(named.path);
    }
    return checkStickDevice(stick);
}

std::string usbDeviceQuestion(const StickDevice& device) {
    return translated("USB メモリ %1 にイメージを書き込みます。\nこの USB "
                      "メモリの内容はすべて消去されます。よろしいですか？",
                      {describeStickDevice(device)});
}

} // namespace ornibe
