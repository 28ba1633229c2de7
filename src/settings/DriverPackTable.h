#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ornibe {

// What the settings page took from a driver pack and why, as the summary
// shows it. The drivers taken are also in the driver list, where the build
// reads them as any other.
struct DriverPackTable {
    // The pack's folder (absolute); empty when no pack is used.
    std::string source;
    // Whether the drivers were chosen against a target machine.
    bool againstTarget = false;
    // A disk controller of the target, the driver taken for it (empty for
    // none) and why.
    struct Controller {
        std::string controller;
        std::string driver;
        std::string why;

        bool operator==(const Controller&) const = default;
    };
    std::vector<Controller> controllers;
    // The drivers taken, as the pack's paths name them.
    std::vector<std::string> taken;
    // A driver left out and why.
    struct LeftOut {
        std::string driver;
        std::string why;

        bool operator==(const LeftOut&) const = default;
    };
    std::vector<LeftOut> leftOut;
    // The driver list entries the pack added (those the list did not hold
    // already), which the page shows in its own field rather than in the
    // list.
    std::vector<std::string> addedEntries;
    // Drivers of the pack for another architecture or version.
    std::size_t otherSystems = 0;

    bool empty() const { return source.empty(); }
    bool operator==(const DriverPackTable&) const = default;
};

} // namespace ornibe
