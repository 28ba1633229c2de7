#include "runner/TargetHardware.h"

#include "sys/FileError.h"
#include "sys/FileIo.h"

namespace ornibe {

bool isQemuMachineName(const std::string& value) {
    return qemuMachine(value).has_value();
}

Result<std::vector<PciDevice>> readTargetHardware(const std::string& value) {
    if (std::optional<std::vector<PciDevice>> machine = qemuMachine(value)) {
        return *machine;
    }
    // A listing of a whole machine is a few kB; a file far larger than
    // any is not one.
    constexpr std::uint64_t kMaxBytes = 4u << 20;
    std::optional<std::string> text;
    try {
        text = readFileAtMost(value, kMaxBytes);
    } catch (const FileError& error) {
        return Failure::fromFileError(error);
    }
    if (!text) {
        return Failure{"read", value, "lspci の出力にしては大きすぎます。"};
    }
    Result<std::vector<PciDevice>> devices = parseLspci(*text);
    if (!devices) {
        Failure failure = devices.failure();
        failure.path = value;
        return failure;
    }
    return devices;
}

} // namespace ornibe
