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

TEST(LspciText, text_that_is_neither_form_is_refused_with_its_line) {
    struct Case {
        std::string text;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"", "PCI デバイスの行がありません。"},
        {"\n  \n", "PCI デバイスの行がありません。"},
        // lspci without -nn: no codes.
        {"00:1f.2 SATA controller: Intel Corporation 82801IR SATA Controller (rev 02)\n",
         // A long line is quoted up to its 60th byte.
         "1 行目 「00:1f.2 SATA controller: Intel Corporation 82801IR SATA Cont…」: "
         "lspci -nn の行として読めません"},
        {"00:00.0 Host bridge [0600]: Intel [8086:29c0]\nnot a device line [0100]: x [1af4:1001]\n",
         "2 行目 「not a device line [0100]: x [1af4:1001]」: lspci -nn の行として読めません"},
        {"00:03.0 SCSI storage controller [0100]: Red Hat [1af4:1001] (rev zz)\n",
         "1 行目 「00:03.0 SCSI storage controller [0100]: Red Hat [1af4:1001] …」"},
        {"00:03.0 SCSI storage controller [01000]: Red Hat [1af4:1001]\n", "1 行目 "},
        // A multi-byte character is not cut in the quote.
        {std::string(59, 'x') + "行 [0100]: y [1af4:1001]",
         "1 行目 「" + std::string(59, 'x') + "…」"},
        {"\tSubsystem: Red Hat [1af4:0002]\n", "字下げされた行があります"},
        {"00:03.0 SCSI storage controller [0100]: Red Hat [1af4:1001]\n\tSubsystem: none\n",
         "2 行目 「\tSubsystem: none」: Subsystem: に [vvvv:dddd] の番号がありません。"},
        // lspci -vmm without -nn: names only.
        {"Slot:\t00:1f.2\nClass:\tSATA controller\nVendor:\tIntel Corporation\n"
         "Device:\t82801IR SATA Controller\n",
         "1 行目 「Slot:\t00:1f.2」: Class:、Vendor:、Device: に [xxxx] の番号がありません"},
        {"Slot:\t00:1f.2\nClass:\tSATA controller [0106]\nVendor:\tIntel [8086]\n",
         "1 行目 「Slot:\t00:1f.2」: この行から始まる記録に Slot:、Class:、Vendor:、Device: "
         "のどれかがありません。"},
        {"Slot:\t00:1f.2\nClass:\tSATA controller [0106]\nVendor:\tIntel [8086]\n"
         "Device:\tAHCI [2922]\nSlot:\t00:1f.3\n",
         "5 行目 「Slot:\t00:1f.3」: 一つの記録に同じ項目が二度あります"},
        {"Slot:\t00:1f.2\nClass:\tSATA controller [0106]\nVendor:\tIntel [8086]\n"
         "Device:\tAHCI [2922]\nRev:\t2g\n",
         "Rev: と ProgIf: は 2 桁の 16 進数です。"},
        {"Slot:\t00:1f.2\nClass:\tSATA controller [0106]\nVendor:\tIntel [8086]\n"
         "Device:\tAHCI [2922]\nSVendor:\tRed Hat [1af4]\n\n",
         "SVendor: と SDevice: の片方しかありません。"},
        {"Slot:\tbus two\nClass:\tSATA controller [0106]\nVendor:\tIntel [8086]\n"
         "Device:\tAHCI [2922]\n",
         "Slot: がバスの番地"},
        {"Slot:\t00:1f.2\nthis is no tag line\n",
         "2 行目 「this is no tag line」: lspci -vmmnn の"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Result<std::vector<PciDevice>> devices = parseLspci(c.text);
        ASSERT_FALSE(devices);
        EXPECT_THAT(devices.failure().reason, HasSubstr(c.reason));
        EXPECT_TRUE(devices.failure().path.empty());
    }
}

} // namespace
} // namespace ornibe
