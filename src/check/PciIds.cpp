#include "check/ControllerMatch.h"

#include <cstdio>

namespace ornibe {

namespace {

// digits upper-case hexadecimal digits of value, as Windows spells IDs.
std::string hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value & (digits == 2 ? 0xFFu : 0xFFFFu));
    return text;
}

} // namespace

// The PCI bus driver's list: the hardware IDs (subsystem and revision,
// subsystem, revision, vendor and device), then the compatible IDs, from
// the vendor, device and revision with the class down to the class alone.
// SUBSYS_ is the subsystem ID followed by the subsystem vendor.
std::vector<std::string> pciIdsOf(const PciDevice& device) {
    const std::string vendor = "PCI\\VEN_" + hex(device.vendor, 4);
    const std::string vendorDevice = vendor + "&DEV_" + hex(device.device, 4);
    const std::string subsystem =
        device.hasSubsystem ? "&SUBSYS_" + hex(device.subDevice, 4) + hex(device.subVendor, 4)
                            : std::string();
    const std::string revision =
        device.revision ? "&REV_" + hex(*device.revision, 2) : std::string();
    const std::string classOnly = "CC_" + hex(device.classCode, 4);
    const std::string classFull = device.hasProgIf ? classOnly + hex(device.progIf, 2) : "";

    std::vector<std::string> ids;
    if (!subsystem.empty() && !revision.empty())
        ids.push_back(vendorDevice + subsystem + revision);
    if (!subsystem.empty())
        ids.push_back(vendorDevice + subsystem);
    if (!revision.empty())
        ids.push_back(vendorDevice + revision);
    ids.push_back(vendorDevice);
    if (!revision.empty())
        ids.push_back(vendorDevice + revision + "&" + classOnly);
    if (!classFull.empty())
        ids.push_back(vendorDevice + "&" + classFull);
    ids.push_back(vendorDevice + "&" + classOnly);
    if (!classFull.empty())
        ids.push_back(vendor + "&" + classFull);
    ids.push_back(vendor + "&" + classOnly);
    ids.push_back(vendor);
    if (!classFull.empty())
        ids.push_back("PCI\\" + classFull);
    ids.push_back("PCI\\" + classOnly);
    return ids;
}

} // namespace ornibe
