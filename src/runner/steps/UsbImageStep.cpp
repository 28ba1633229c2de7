// The USB stick image step: the finished tree written as a raw disk image
// for a USB stick, after the ISO image.

#include "runner/UsbImage.h"
#include "runner/steps/BuildSteps.h"
#include "sys/Translation.h"

namespace ornibe {

bool usbImageStep(BuildContext& context) {
    context.log().append("\r\n");
    if (Outcome written =
            writeUsbImage(context.settings, context.data.target, context.tools, context.page);
        !written) {
        context.reportFailure(withReason(translated("\r\nUSB メモリ用イメージの作成に失敗しました"),
                                         written.failure()));
        return false;
    }
    return true;
}

} // namespace ornibe
