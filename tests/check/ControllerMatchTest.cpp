// The IDs Windows builds for a PCI device, the named QEMU machines, and the
// service [HardwareIdsDatabase] gives each storage controller.
#include "check/ControllerMatch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace ornibe {
namespace {

using Ids = std::vector<std::string>;
using Database = std::vector<std::pair<std::string, std::string>>;

PciDevice machineController(const std::string& name) {
    auto devices = qemuMachine(name);
    EXPECT_TRUE(devices) << name;
    EXPECT_EQ(devices ? devices->size() : 0, 1u) << name;
    return devices && !devices->empty() ? devices->front() : PciDevice{};
}

TEST(PciIds, the_list_runs_from_subsystem_and_revision_down_to_the_class_alone) {
    EXPECT_EQ(pciIdsOf(machineController("qemu-q35")),
              (Ids{"PCI\\VEN_8086&DEV_2922&SUBSYS_11001AF4&REV_02",
                   "PCI\\VEN_8086&DEV_2922&SUBSYS_11001AF4", "PCI\\VEN_8086&DEV_2922&REV_02",
                   "PCI\\VEN_8086&DEV_2922", "PCI\\VEN_8086&DEV_2922&REV_02&CC_0106",
                   "PCI\\VEN_8086&DEV_2922&CC_010601", "PCI\\VEN_8086&DEV_2922&CC_0106",
                   "PCI\\VEN_8086&CC_010601", "PCI\\VEN_8086&CC_0106", "PCI\\VEN_8086",
                   "PCI\\CC_010601", "PCI\\CC_0106"}));
    // SUBSYS_ is the subsystem, then its vendor.
    EXPECT_EQ(pciIdsOf(machineController("qemu-virtio-blk")).front(),
              "PCI\\VEN_1AF4&DEV_1001&SUBSYS_00021AF4&REV_00");

    // What lspci -nn tells: no subsystem, no programming interface.
    PciDevice terse;
    terse.vendor = 0x144D;
    terse.device = 0xA808;
    terse.classCode = 0x0108;
    terse.revision = 0;
    terse.hasProgIf = false;
    EXPECT_EQ(pciIdsOf(terse),
              (Ids{"PCI\\VEN_144D&DEV_A808&REV_00", "PCI\\VEN_144D&DEV_A808",
                   "PCI\\VEN_144D&DEV_A808&REV_00&CC_0108", "PCI\\VEN_144D&DEV_A808&CC_0108",
                   "PCI\\VEN_144D&CC_0108", "PCI\\VEN_144D", "PCI\\CC_0108"}));
    // No revision known: the IDs with REV_ are left out.
    PciDevice unknown = terse;
    unknown.revision.reset();
    unknown.hasSubsystem = true;
    unknown.subVendor = 0x144D;
    unknown.subDevice = 0xA801;
    EXPECT_EQ(pciIdsOf(unknown), (Ids{"PCI\\VEN_144D&DEV_A808&SUBSYS_A801144D",
                                      "PCI\\VEN_144D&DEV_A808", "PCI\\VEN_144D&DEV_A808&CC_0108",
                                      "PCI\\VEN_144D&CC_0108", "PCI\\VEN_144D", "PCI\\CC_0108"}));
}

TEST(QemuMachines, each_name_presents_its_disk_controller) {
    EXPECT_EQ(qemuMachineNames(), (Ids{"qemu-pc", "qemu-q35", "qemu-virtio-blk",
                                       "qemu-virtio-blk-modern", "qemu-nvme"}));
    struct Expected {
        std::string name;
        unsigned vendor, device, classCode, progIf, subVendor, subDevice, revision;
    };
    const std::vector<Expected> expected = {
        {"qemu-pc", 0x8086, 0x7010, 0x0101, 0x80, 0x1AF4, 0x1100, 0x00},
        {"qemu-q35", 0x8086, 0x2922, 0x0106, 0x01, 0x1AF4, 0x1100, 0x02},
        {"qemu-virtio-blk", 0x1AF4, 0x1001, 0x0100, 0x00, 0x1AF4, 0x0002, 0x00},
        {"qemu-virtio-blk-modern", 0x1AF4, 0x1042, 0x0100, 0x00, 0x1AF4, 0x1100, 0x01},
        {"qemu-nvme", 0x1B36, 0x0010, 0x0108, 0x02, 0x1AF4, 0x1100, 0x02},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        const PciDevice device = machineController(e.name);
        EXPECT_EQ(device.vendor, e.vendor);
        EXPECT_EQ(device.device, e.device);
        EXPECT_EQ(device.classCode, e.classCode);
        EXPECT_EQ(device.progIf, e.progIf);
        EXPECT_TRUE(device.hasProgIf);
        EXPECT_TRUE(device.hasSubsystem);
        EXPECT_EQ(device.subVendor, e.subVendor);
        EXPECT_EQ(device.subDevice, e.subDevice);
        EXPECT_EQ(device.revision, e.revision);
        EXPECT_FALSE(device.name.empty());
        EXPECT_FALSE(device.slot.empty());
    }
    EXPECT_FALSE(qemuMachine("qemu-sparc"));
    EXPECT_FALSE(qemuMachine("QEMU-PC"));
    EXPECT_FALSE(qemuMachine(""));
}

TEST(ControllerMatch, the_most_specific_id_the_database_names_claims_each_storage_controller) {
    std::vector<PciDevice> devices;
    for (const std::string& name : qemuMachineNames())
        devices.push_back(machineController(name));
    // A network card is no storage controller: left out.
    PciDevice network;
    network.vendor = 0x8086;
    network.device = 0x100E;
    network.classCode = 0x0200;
    devices.insert(devices.begin() + 1, network);

    const Database database = {
        // A class-code ID and a device ID for the PIIX3: the device wins,
        // though the class comes first in the file.
        {"PCI\\CC_0101", "pciide"},
        {"pci\\ven_8086&dev_7010", "intelide"},
        // Only the first line of an ID counts.
        {"PCI\\VEN_8086&DEV_7010", "second"},
        // The AHCI controller by class and interface only.
        {"PCI\\CC_010601", "storahci"},
        // The legacy virtio disk by its subsystem, over its device.
        {"PCI\\VEN_1AF4&DEV_1001", "generic"},
        {"PCI\\VEN_1AF4&DEV_1001&SUBSYS_00021AF4", "viostor"},
        // A line without a service gives the modern disk to nothing; the
        // vendor-only ID then does.
        {"PCI\\VEN_1AF4&DEV_1042&SUBSYS_11001AF4&REV_01", ""},
        {"PCI\\VEN_1AF4", "redhat"},
        // The NVMe controller by device and class.
        {"PCI\\VEN_1B36&DEV_0010&CC_0108", "qemunvme"},
        // The network card's ID, which the match never looks at.
        {"PCI\\VEN_8086&DEV_100E", "e1000"},
    };
    const std::vector<ControllerMatch> matches = matchControllers(devices, database);
    ASSERT_EQ(matches.size(), 5u);
    struct Expected {
        std::string service, matchedId;
        bool onlyCompatible;
    };
    const std::vector<Expected> expected = {
        {"intelide", "PCI\\VEN_8086&DEV_7010", false},
        {"storahci", "PCI\\CC_010601", true},
        {"viostor", "PCI\\VEN_1AF4&DEV_1001&SUBSYS_00021AF4", false},
        {"redhat", "PCI\\VEN_1AF4", true},
        {"qemunvme", "PCI\\VEN_1B36&DEV_0010&CC_0108", false},
    };
    for (std::size_t i = 0; i < matches.size(); ++i) {
        SCOPED_TRACE(matches[i].device.name);
        EXPECT_EQ(matches[i].device, devices[i == 0 ? 0 : i + 1]);
        EXPECT_EQ(matches[i].ids, pciIdsOf(matches[i].device));
        EXPECT_EQ(matches[i].service, expected[i].service);
        EXPECT_EQ(matches[i].matchedId, expected[i].matchedId);
        EXPECT_EQ(matches[i].onlyCompatible, expected[i].onlyCompatible);
    }

    // Nothing claims what the database does not name.
    const std::vector<ControllerMatch> none = matchControllers(devices, {{"PCI\\CC_0C03", "usb"}});
    ASSERT_EQ(none.size(), 5u);
    for (const ControllerMatch& match : none) {
        EXPECT_TRUE(match.service.empty());
        EXPECT_TRUE(match.matchedId.empty());
        EXPECT_FALSE(match.onlyCompatible);
        EXPECT_FALSE(match.ids.empty());
    }
}

} // namespace
} // namespace ornibe
