#include "check/TargetHardware.h"

#include "sys/FileError.h"
#include "sys/Translation.h"

namespace ornibe {

bool isQemuMachineName(const std::string& value) {
    return qemuMachine(value).has_value();
}

Result<PciListing> readTargetHardware(const std::string& value, InputSnapshots& inputs) {
    if (std::optional<std::vector<PciDevice>> machine = qemuMachine(value)) {
        return PciListing{*machine, 0};
    }
    // A listing of a whole machine is a few kB; a file far larger than
    // any is not one.
    constexpr std::uint64_t kMaxBytes = 4u << 20;
    std::optional<std::string> text;
    try {
        text = inputs.read(value, kMaxBytes);
    } catch (const FileError& error) {
        return Failure::fromFileError(error);
    }
    if (!text) {
        return Failure{"read", value, translated("lspci の出力にしては大きすぎます。")};
    }
    Result<PciListing> listing = parseLspciListing(*text);
    if (!listing) {
        Failure failure = listing.failure();
        failure.path = value;
        return failure;
    }
    return listing;
}

std::string passedOverText(const PciListing& listing) {
    if (listing.passedOver == 0) {
        return {};
    }
    return translated("（デバイスの記録でない %1 行は読み飛ばしました）",
                      {std::to_string(listing.passedOver)});
}

} // namespace ornibe
