// lspci listings as the controller match reads them: the -nn and -vmmnn
// forms of one machine, the detail lines of -vnn and -nnk, and text that
// is neither.
#include "check/ControllerMatch.h"

#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ornibe {
namespace {

using ::testing::HasSubstr;

std::string listing(const std::string& name) {
    return test::slurp(std::string(ORNIBE_TEST_DATA) + "/" + name);
}

std::vector<PciDevice> parsed(const std::string& text) {
    Result<std::vector<PciDevice>> devices = parseLspci(text);
    EXPECT_TRUE(devices) << (devices ? "" : devices.failure().reason);
    return devices ? *devices : std::vector<PciDevice>{};
}

TEST(LspciText, both_forms_of_a_listing_give_the_same_devices_and_vmmnn_adds_the_subsystem) {
    for (const char* machine : {"q35-guest", "ich7-board", "nvme-laptop"}) {
        SCOPED_TRACE(machine);
        const std::vector<PciDevice> terse = parsed(listing(std::string(machine) + ".nn.txt"));
        const std::vector<PciDevice> records = parsed(listing(std::string(machine) + ".vmmnn.txt"));
        ASSERT_EQ(terse.size(), records.size());
        ASSERT_GE(terse.size(), 7u);
        for (std::size_t i = 0; i < terse.size(); ++i) {
            SCOPED_TRACE(terse[i].slot);
            EXPECT_EQ(terse[i].slot, records[i].slot);
            EXPECT_EQ(terse[i].classCode, records[i].classCode);
            EXPECT_EQ(terse[i].vendor, records[i].vendor);
            EXPECT_EQ(terse[i].device, records[i].device);
            EXPECT_EQ(terse[i].revision, records[i].revision);
            if ((terse[i].classCode >> 8) == 0x01) {
                EXPECT_EQ(terse[i].name, records[i].name);
            }
            // lspci -nn shows neither the subsystem nor the programming
            // interface; -vmmnn shows both.
            EXPECT_FALSE(terse[i].hasSubsystem);
            EXPECT_FALSE(terse[i].hasProgIf);
            EXPECT_TRUE(records[i].hasSubsystem);
            EXPECT_TRUE(records[i].hasProgIf);
        }
    }

    // The q35 guest's AHCI controller, field by field.
    const std::vector<PciDevice> q35 = parsed(listing("q35-guest.vmmnn.txt"));
    PciDevice ahci;
    ahci.slot = "00:1f.2";
    ahci.name = "Intel Corporation 82801IR/IO/IH (ICH9R/DO/DH) 6 port SATA Controller [AHCI mode]";
    ahci.classCode = 0x0106;
    ahci.progIf = 0x01;
    ahci.vendor = 0x8086;
    ahci.device = 0x2922;
    ahci.subVendor = 0x1AF4;
    ahci.subDevice = 0x1100;
    ahci.revision = 0x02;
    ahci.hasSubsystem = true;
    EXPECT_EQ(q35.at(5), ahci);
    // A revision of 00 is not shown by lspci, and is 00.
    EXPECT_EQ(q35.at(3).revision, 0u);
    EXPECT_EQ(q35.at(3).subDevice, 0x0002u);
    // The NVMe laptop: a domain in the slot, a revision in lower-case hex,
    // an unknown tag (IOMMUGroup) passed over.
    const std::vector<PciDevice> laptop = parsed(listing("nvme-laptop.nn.txt"));
    EXPECT_EQ(laptop.at(6).slot, "0000:3c:00.0");
    EXPECT_EQ(laptop.at(6).classCode, 0x0108u);
    EXPECT_EQ(laptop.at(4).revision, 0xF0u);
    EXPECT_EQ(parsed(listing("nvme-laptop.vmmnn.txt")).at(6).progIf, 0x02u);
    // The ICH7 board's bridge has no subsystem line in -vmmnn: 0000:0000.
    const PciDevice bridge = parsed(listing("ich7-board.vmmnn.txt")).at(5);
    EXPECT_TRUE(bridge.hasSubsystem);
    EXPECT_EQ(bridge.subVendor, 0u);
    EXPECT_EQ(bridge.progIf, 0x01u);
}

TEST(LspciText, detail_lines_of_vnn_and_nnk_give_the_subsystem_and_with_v_the_interface) {
    // lspci -vnn: the programming interface on the device line, the
    // subsystem on its own line; a device without a Subsystem: line has
    // 0000:0000. CR LF line ends are read as LF.
    const std::vector<PciDevice> verbose = parsed(
        "00:1f.2 SATA controller [0106]: Intel Corporation 82801IR/IO/IH (ICH9R/DO/DH) 6 port "
        "SATA Controller [AHCI mode] [8086:2922] (rev 02) (prog-if 01 [AHCI 1.0])\r\n"
        "\tSubsystem: Red Hat, Inc. QEMU Virtual Machine [1af4:1100]\r\n"
        "\tFlags: bus master, fast devsel, latency 0, IRQ 16\r\n"
        "\tKernel driver in use: ahci\r\n"
        "\r\n"
        "00:01.1 IDE interface [0101]: Intel Corporation 82371SB PIIX3 IDE [Natoma/Triton II] "
        "[8086:7010] (prog-if 80 [ISA Compatibility mode-only controller, supports bus "
        "mastering])\n"
        "\tControl: I/O+ Mem+ BusMaster+\n");
    ASSERT_EQ(verbose.size(), 2u);
    EXPECT_EQ(verbose[0].progIf, 0x01u);
    EXPECT_TRUE(verbose[0].hasProgIf);
    EXPECT_EQ(verbose[0].revision, 0x02u);
    EXPECT_EQ(verbose[0].subVendor, 0x1AF4u);
    EXPECT_EQ(verbose[0].subDevice, 0x1100u);
    EXPECT_EQ(verbose[0].name, "Intel Corporation 82801IR/IO/IH (ICH9R/DO/DH) 6 port SATA "
                               "Controller [AHCI mode]");
    EXPECT_EQ(verbose[1].name, "Intel Corporation 82371SB PIIX3 IDE [Natoma/Triton II]");
    EXPECT_EQ(verbose[1].progIf, 0x80u);
    EXPECT_EQ(verbose[1].revision, 0u);
    EXPECT_TRUE(verbose[1].hasSubsystem);
    EXPECT_EQ(verbose[1].subVendor, 0u);

    // lspci -nnk: the subsystem, but no programming interface.
    const std::vector<PciDevice> kernel =
        parsed("3c:00.0 Non-Volatile memory controller [0108]: Samsung Electronics Co Ltd NVMe "
               "SSD Controller SM981/PM981/PM983 [144d:a808]\n"
               "\tSubsystem: Samsung Electronics Co Ltd SSD 970 EVO/PRO [144d:a801]\n"
               "\tKernel driver in use: nvme\n");
    ASSERT_EQ(kernel.size(), 1u);
    EXPECT_TRUE(kernel[0].hasSubsystem);
    EXPECT_EQ(kernel[0].subDevice, 0xA801u);
    EXPECT_FALSE(kernel[0].hasProgIf);
}

TEST(LspciText, listings_as_users_post_them_give_every_device_and_count_what_was_passed_over) {
    const std::string sata = "00:1f.2 SATA controller [0106]: Intel Corporation 82801IR/IO/IH "
                             "(ICH9R/DO/DH) 6 port SATA Controller [AHCI mode] [8086:2922] "
                             "(rev 02) (prog-if 01 [AHCI 1.0])\n";
    struct Case {
        const char* shape;
        std::string text;
        std::size_t devices;
        std::size_t passedOver;
    };
    const std::vector<Case> cases = {
        {"lspci -nnvvvxxxx with its config space",
         "00:00.0 Host bridge [0600]: Intel Corporation 82G33/G31/P35/P31 Express DRAM "
         "Controller [8086:29c0]\n"
         "\tSubsystem: Red Hat, Inc. QEMU Virtual Machine [1af4:1100]\n"
         "00: 86 80 c0 29 07 01 00 00 00 00 00 06 00 00 00 00\n"
         "10: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n"
         "ff0: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n\n" +
             sata + "\tSubsystem: Red Hat, Inc. QEMU Virtual Machine [1af4:1100]\n" +
             "00: 86 80 22 29 07 04 10 00 02 01 06 01 00 00 00 00\n",
         2, 4},
        {"copied from a web page: NO-BREAK SPACEs, a greeting and a signature",
         "Here is my lspci -nn, thanks for any help!\n"
         "00:1f.2\xC2\xA0SATA controller [0106]:\xC2\xA0Intel Corporation AHCI [8086:2922]"
         "\xC2\xA0(rev 02)\n"
         "00:03.0 SCSI storage controller [0100]: Red Hat, Inc. Virtio block device "
         "[1af4:1001]\n"
         "-- \n  sent from my phone\n",
         2, 3},
        {"device lines that do not read",
         "00:00.0 Host bridge [0600]: Intel [8086:29c0]\nnot a device line [0100]: x [1af4:1001]\n"
         "00:03.0 SCSI storage controller [0100]: Red Hat [1af4:1001] (rev zz)\n"
         "\tSubsystem: none\n",
         1, 3},
        {"lspci -vmmnn with a record cut short and the user's words",
         "my machine:\nSlot:\t00:1f.2\nClass:\tSATA controller [0106]\nVendor:\tIntel [8086]\n"
         "Device:\tAHCI [2922]\n\nSlot:\t00:1f.3\nClass:\tSMBus [0c05]\n\n",
         1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        Result<PciListing> listing = parseLspciListing(c.text);
        ASSERT_TRUE(listing) << listing.failure().reason;
        EXPECT_EQ(listing->devices.size(), c.devices);
        EXPECT_EQ(listing->passedOver, c.passedOver);
    }
    // The blanks of a pasted line read as blanks: name and codes as lspci gave them.
    Result<PciListing> pasted = parseLspciListing(cases[1].text);
    ASSERT_TRUE(pasted);
    EXPECT_EQ(pasted->devices[0].name, "Intel Corporation AHCI");
    EXPECT_EQ(pasted->devices[0].revision, 0x02u);
    EXPECT_EQ(pasted->devices[0].classCode, 0x0106u);
}

TEST(LspciText, a_listing_without_one_device_record_with_codes_is_refused_naming_lspci_nn) {
    const std::vector<std::string> texts = {
        "",
        "\n  \n",
        // lspci without -nn: no codes.
        "00:1f.2 SATA controller: Intel Corporation 82801IR SATA Controller (rev 02)\n"
        "00:03.0 SCSI storage controller: Red Hat, Inc. Virtio block device\n",
        // lspci -vmm without -nn: names only.
        "Slot:\t00:1f.2\nClass:\tSATA controller\nVendor:\tIntel Corporation\n"
        "Device:\t82801IR SATA Controller\n",
        "00: 86 80 22 29 07 04 10 00 02 01 06 01 00 00 00 00\n",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        Result<PciListing> listing = parseLspciListing(text);
        ASSERT_FALSE(listing);
        EXPECT_THAT(listing.failure().reason,
                    HasSubstr("[vvvv:dddd] の番号のある PCI デバイスの記録がありません。番号は "
                              "lspci に -nn を付けると出ます。"));
        EXPECT_TRUE(listing.failure().path.empty());
    }
}

} // namespace
} // namespace ornibe
