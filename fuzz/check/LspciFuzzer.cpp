// libFuzzer target: the lspci reader over arbitrary bytes, and the match of
// what it reads. A listing either is refused with a reason or gives
// devices whose ID lists and matches hold together.
#include "check/ControllerMatch.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// The IDs of each kind the match looks up, so that every branch of it runs.
const std::vector<std::pair<std::string, std::string>> kDatabase = {
    {"PCI\\CC_0101", "pciide"},
    {"PCI\\CC_010601", "storahci"},
    {"pci\\cc_010802", "nvme"},
    {"PCI\\VEN_8086&DEV_2922", "ahci"},
    {"PCI\\VEN_1AF4&DEV_1001&SUBSYS_00021AF4", "viostor"},
    {"PCI\\VEN_1AF4", "redhat"},
    {"PCI\\VEN_8086&DEV_27C3&CC_0104", "iastor"},
};

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ornibe::Result<std::vector<ornibe::PciDevice>> devices = ornibe::parseLspci(text);
    if (!devices) {
        require(!devices.failure().reason.empty());
        return 0;
    }
    std::size_t storage = 0;
    for (const ornibe::PciDevice& device : *devices) {
        require(!device.slot.empty());
        require(device.vendor <= 0xFFFF && device.device <= 0xFFFF);
        require(device.classCode <= 0xFFFF && device.progIf <= 0xFF);
        const std::vector<std::string> ids = ornibe::pciIdsOf(device);
        require(ids.size() >= 4 && ids.size() <= 12);
        if ((device.classCode >> 8) == 0x01)
            ++storage;
    }
    const auto matches = ornibe::matchControllers(*devices, kDatabase);
    require(matches.size() == storage);
    for (const ornibe::ControllerMatch& match : matches)
        require(match.service.empty() == match.matchedId.empty());
    return 0;
}
