#include "check/ControllerMatch.h"

#include "sys/CaseFold.h"

#include <unordered_map>

namespace ornibe {

namespace {

// Base class 01: mass storage controllers.
constexpr unsigned kMassStorageClass = 0x01;

// An ID of the device's list that names no device: the vendor alone, or a
// class code with or without the vendor.
bool namesNoDevice(const std::string& id) {
    return id.find("&DEV_") == std::string::npos;
}

} // namespace

std::vector<ControllerMatch>
matchControllers(const std::vector<PciDevice>& devices,
                 const std::vector<std::pair<std::string, std::string>>& hardwareIds) {
    // The first line of each ID, by its folded spelling. A line without a
    // service gives the ID to nothing.
    std::unordered_map<std::string, const std::string*> services;
    for (const auto& [id, service] : hardwareIds) {
        if (!service.empty())
            services.try_emplace(foldHostText(id), &service);
    }

    std::vector<ControllerMatch> matches;
    for (const PciDevice& device : devices) {
        if ((device.classCode >> 8) != kMassStorageClass)
            continue;
        ControllerMatch match{device, pciIdsOf(device), {}, {}, false};
        for (const std::string& id : match.ids) {
            auto found = services.find(foldHostText(id));
            if (found == services.end())
                continue;
            match.service = *found->second;
            match.matchedId = id;
            match.onlyCompatible = namesNoDevice(id);
            break;
        }
        matches.push_back(std::move(match));
    }
    return matches;
}

} // namespace ornibe
