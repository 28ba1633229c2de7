#include "check/ControllerMatch.h"

#include <array>

namespace ornibe {

namespace {

// QEMU gives a device that sets no subsystem of its own the subsystem
// vendor 1AF4 (Red Hat) and the subsystem 1100 (QEMU).
constexpr unsigned kQemuSubVendor = 0x1AF4;
constexpr unsigned kQemuSubDevice = 0x1100;

struct NamedMachine {
    std::string_view name;
    PciDevice controller;
};

PciDevice controller(std::string slot, std::string name, unsigned classCode, unsigned progIf,
                     unsigned vendor, unsigned device, unsigned subVendor, unsigned subDevice,
                     unsigned revision) {
    PciDevice made;
    made.slot = std::move(slot);
    made.name = std::move(name);
    made.classCode = classCode;
    made.progIf = progIf;
    made.vendor = vendor;
    made.device = device;
    made.subVendor = subVendor;
    made.subDevice = subDevice;
    made.revision = revision;
    made.hasSubsystem = true;
    made.hasProgIf = true;
    return made;
}

// The disk controller of each machine, at the slot and with the names
// lspci shows for it in such a guest.
const std::array<NamedMachine, 5>& machines() {
    static const std::array<NamedMachine, 5> table = {{
        // The i440FX machine's IDE function of the PIIX3 south bridge.
        {"qemu-pc", controller("00:01.1", "Intel Corporation 82371SB PIIX3 IDE [Natoma/Triton II]",
                               0x0101, 0x80, 0x8086, 0x7010, kQemuSubVendor, kQemuSubDevice, 0x00)},
        // The Q35 machine's ICH9 AHCI controller.
        {"qemu-q35",
         controller("00:1f.2",
                    "Intel Corporation 82801IR/IO/IH (ICH9R/DO/DH) 6 port SATA Controller "
                    "[AHCI mode]",
                    0x0106, 0x01, 0x8086, 0x2922, kQemuSubVendor, kQemuSubDevice, 0x02)},
        // The legacy (transitional) virtio block device, whose subsystem
        // is the virtio device type 2 (block).
        {"qemu-virtio-blk", controller("00:04.0", "Red Hat, Inc. Virtio block device", 0x0100, 0x00,
                                       0x1AF4, 0x1001, 0x1AF4, 0x0002, 0x00)},
        // The virtio 1.0 block device (disable-legacy=on).
        {"qemu-virtio-blk-modern",
         controller("00:04.0", "Red Hat, Inc. Virtio 1.0 block device", 0x0100, 0x00, 0x1AF4,
                    0x1042, kQemuSubVendor, kQemuSubDevice, 0x01)},
        // QEMU's NVMe controller.
        {"qemu-nvme", controller("00:04.0", "Red Hat, Inc. QEMU NVM Express Controller", 0x0108,
                                 0x02, 0x1B36, 0x0010, kQemuSubVendor, kQemuSubDevice, 0x02)},
    }};
    return table;
}

} // namespace

std::optional<std::vector<PciDevice>> qemuMachine(std::string_view name) {
    for (const NamedMachine& machine : machines()) {
        if (machine.name == name)
            return std::vector<PciDevice>{machine.controller};
    }
    return std::nullopt;
}

std::vector<std::string> qemuMachineNames() {
    std::vector<std::string> names;
    for (const NamedMachine& machine : machines())
        names.emplace_back(machine.name);
    return names;
}

} // namespace ornibe
