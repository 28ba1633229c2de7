#pragma once

#include "sys/Result.h"

#include <cstddef>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ornibe {

// One PCI function of the target machine, as lspci shows it or as a named
// QEMU machine presents it.
struct PciDevice {
    // The bus address as lspci prints it ("00:1f.2", "0000:3b:00.0") and
    // the vendor's and device's names joined by a blank.
    std::string slot, name;
    // Base class and subclass (0xccss), and the programming interface.
    unsigned classCode = 0, progIf = 0;
    unsigned vendor = 0, device = 0, subVendor = 0, subDevice = 0;
    // Nothing when the revision is not known.
    std::optional<unsigned> revision;
    // Whether subVendor and subDevice are known (lspci -vmmnn and lspci
    // -vnn give them; lspci -nn does not).
    bool hasSubsystem = false;
    // Whether progIf is known: lspci -nn without -v leaves the programming
    // interface out, so that a listing of that form does not tell it.
    bool hasProgIf = true;

    bool operator==(const PciDevice&) const = default;
};

// The devices of a listing as users post it, and how many of its lines
// were no part of a device record and so passed over.
struct PciListing {
    std::vector<PciDevice> devices;
    std::size_t passedOver = 0;
};

// The devices of lspci -nn text (one device a line; the indented detail
// lines of lspci -vnn are read for the subsystem) or of lspci -vmmnn text
// (records of "Tag:<TAB>value" lines separated by blank lines). Lines that
// are no device record (the config-space lines of -xxx, a line the user
// wrote) are passed over and counted; NO-BREAK SPACE counts as a blank. A
// Failure (Japanese reason) only for text without one device record with
// [vvvv:dddd] (plain lspci without -nn), saying which command gives one.
Result<PciListing> parseLspciListing(std::string_view text);

// The devices of parseLspciListing alone.
Result<std::vector<PciDevice>> parseLspci(std::string_view text);

// The named QEMU machines ("qemu-pc", "qemu-q35", "qemu-virtio-blk",
// "qemu-virtio-blk-modern", "qemu-nvme"): the storage controllers each
// presents; nothing for another name.
std::optional<std::vector<PciDevice>> qemuMachine(std::string_view name);
std::vector<std::string> qemuMachineNames();

// The IDs Windows builds for a PCI device, most specific first: the
// hardware IDs, then the compatible IDs. IDs that need a subsystem, a
// revision or a programming interface that is not known are left out.
std::vector<std::string> pciIdsOf(const PciDevice& device);

// What claims one storage controller.
struct ControllerMatch {
    PciDevice device;
    // pciIdsOf(device).
    std::vector<std::string> ids;
    // The service [HardwareIdsDatabase] gives the first of ids it names;
    // empty: nothing claims the controller.
    std::string service;
    // That ID, spelled as the device's list spells it.
    std::string matchedId;
    // Matched only by a compatible ID that names no device (no DEV_ part):
    // a class code, as the CD's own database binds generic controllers, or
    // the vendor alone.
    bool onlyCompatible = false;
};

// The storage controllers (PCI base class 01) among devices, in their
// order, each with what claims it. hardwareIds: [HardwareIdsDatabase] as
// ID -> service in file order; keys compare ignoring case, and the first
// line of an ID is the one that counts.
std::vector<ControllerMatch>
matchControllers(const std::vector<PciDevice>& devices,
                 const std::vector<std::pair<std::string, std::string>>& hardwareIds);

} // namespace ornibe
