#include "wizard/TargetHardwareCheck.h"

#include "check/TargetHardware.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

namespace ornibe {

Outcome checkTargetHardware(const std::string& text, BuildSettings& settings) {
    if (text.empty() || isQemuMachineName(text)) {
        settings.setTargetHardware(text);
        return {};
    }
    const std::string path = makeAbsolute(text);
    if (Result<PciListing> devices = readTargetHardware(path, settings.inputSnapshots());
        !devices) {
        return Failure::refusal(
            translated("対象のハードウェアのファイルを lspci の出力として読めません。"), path,
            devices.failure().reason);
    }
    settings.setTargetHardware(path);
    return {};
}

} // namespace ornibe
