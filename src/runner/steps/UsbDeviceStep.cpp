// The USB stick step: the stick image, once made and checked, written to
// the stick itself and flushed to it.

#include "media/StickDevice.h"
#include "runner/steps/BuildSteps.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

#include <sys/stat.h>

namespace ornibe {

bool usbDeviceStep(BuildContext& context) {
    const BuildSettings& settings = context.settings;
    const std::string work = withoutTrailingSlash(settings.GetWorkFolder());
    const std::string image = makeAbsolute(settings.getUsbImagePath(), work);
    const std::string failed = translated("\r\nUSB メモリへの書き込みに失敗しました");
    context.log().append("\r\n");
    // Checked again now that the image's size is known: the stick may have
    // been changed or mounted while the build ran.
    struct stat st {};
    StickDeviceRequest request;
    request.node = settings.getUsbDevice();
    request.imageBytes =
        ::stat(image.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    request.pathsInUse = {work, image};
    for (const std::string& path : {settings.getCdDriveRoot(), settings.GetIsoPath()}) {
        if (!path.empty()) {
            request.pathsInUse.push_back(makeAbsolute(path, work));
        }
    }
    Result<StickDevice> device = checkStickDevice(request);
    if (!device) {
        context.reportFailure(withReason(failed, device.failure()));
        return false;
    }
    context.log().append(translated("USB メモリ %1 にイメージを書き込んでいます。。。\r\n",
                                    {describeStickDevice(*device)}));
    try {
        if (!writeStickDevice(image, *device,
                              [&context] { return context.page.stopRequested(); })) {
            context.reportFailure(
                failed + "\r\n" +
                translated("%1: 中止しました（USB メモリの内容は途中までです）", {device->node}));
            return false;
        }
    } catch (const FileError& error) {
        context.reportFailure(withReason(failed, error));
        return false;
    }
    context.log().append(translated("完了（USB メモリに書き込み終えました。取り外せます）\r\n"));
    return true;
}

} // namespace ornibe
