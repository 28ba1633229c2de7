// The three listings (a q35 guest, an ICH7 laptop board, an NVMe laptop) in
// both lspci forms, and the named QEMU machines, matched against a
// generated XP tree's TXTSETUP.SIF as the INF parser reads it: before and
// after ornibe-build integrates the real drivers (their INFs and floppy
// files as they stand, with stand-in driver files beside them).
#include "check/ControllerMatch.h"
#include "check/HardwareIdsDatabase.h"

#include "inf/InfFile.h"
#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/RealFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

// What claims a controller: its slot, the service and the ID ("" for
// nothing), and whether only a class or vendor ID did.
struct Claim {
    std::string slot, service, id;
    bool onlyCompatible = false;
    bool operator==(const Claim&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Claim& claim) {
    return out << claim.slot << " -> " << (claim.service.empty() ? "(nothing)" : claim.service)
               << " by " << claim.id << (claim.onlyCompatible ? " (compatible only)" : "");
}

std::vector<Claim> claims(const std::vector<PciDevice>& devices, const InfFile& txtsetup) {
    std::vector<Claim> found;
    for (const ControllerMatch& match : matchControllers(devices, hardwareIdsDatabase(txtsetup)))
        found.push_back({match.device.slot, match.service, match.matchedId, match.onlyCompatible});
    return found;
}

std::vector<PciDevice> listing(const std::string& name) {
    Result<std::vector<PciDevice>> devices =
        parseLspci(slurp(std::string(ORNIBE_TEST_DATA) + "/" + name));
    EXPECT_TRUE(devices) << name << ": " << (devices ? "" : devices.failure().reason);
    return devices ? *devices : std::vector<PciDevice>{};
}

class ListingMatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!requireRealFixture("drivers") || !requireRealFixture("txtsetup-oem"))
            return;
        CommandResult made = runCommand(
            {"python3", std::string(ORNIBE_SOURCE_DIR) + "/tests/e2e/tree_generator/make_tree.py",
             "--target", "xp", "--tree", work});
        ASSERT_EQ(made.exitCode, 0) << made.output;
        // The floppies' [Config] values go into HIVESYS.INF.
        dir.write("work/I386/HIVESYS.INF",
                  "[Version]\r\nSignature = \"$Windows NT$\"\r\n\r\n[AddReg]\r\n");
    }

    // The fixture file copied into the driver folder, with stand-ins for
    // the files it names.
    std::string driver(const std::string& folder, const std::string& fixture,
                       const std::string& name, const std::vector<std::string>& standIns) {
        const std::string path = dir / ("drv/" + folder + "/" + name);
        fs::create_directories(fs::path(path).parent_path());
        fs::copy_file(realFixture(fixture), path);
        for (const std::string& file : standIns)
            dir.write("drv/" + folder + "/" + file, file + " stand-in");
        return path;
    }

    TempDir dir;
    std::string work = dir / "work";
};

TEST_F(ListingMatchTest, each_listing_is_claimed_as_windows_chooses_before_and_after_drivers) {
    const InfFile original = InfFile::open(work + "/I386/TXTSETUP.SIF");
    ASSERT_TRUE(original.isOpen());

    const std::string viostor = driver("viostor", "drivers/virtio-viostor-xp/wxp.inf", "wxp.inf",
                                       {"viostor.sys", "viostor.cat"});
    const std::string iastor = driver("iastor", "drivers/intel-iastor/iaStor.inf", "iaStor.inf",
                                      {"iaStor.sys", "iaStor.cat"});
    const std::string kr10n = driver("kr10n", "drivers/toshiba-kr10n/KR10N.INF", "KR10N.INF",
                                     {"KR10N.sys", "KR10N2K.sys", "KR10N.cat"});
    driver("nvme", "txtsetup-oem/nvme2k-w2k/TXTSETUP.OEM", "TXTSETUP.OEM",
           {"disk1", "nvme2k.sys", "nvme2k.cat"});
    driver("nvme", "txtsetup-oem/nvme2k-w2k/nvme2k.inf", "nvme2k.inf", {});
    driver("ahci", "txtsetup-oem/genahci/txtsetup.oem", "TXTSETUP.OEM",
           {"x86/storahci.sys", "x86/storahci.inf", "x86/storahci.cat"});
    CommandResult built =
        runBuild({"--work", work, "--driver", viostor, "--driver", iastor, "--driver", kr10n,
                  "--driver", dir / "drv/nvme", "--driver", dir / "drv/ahci", "--driver-entry",
                  "NVME2K", "--driver-entry", "storahci_x86", "--no-big-drive", "--yes"});
    ASSERT_EQ(built.exitCode, 0) << built.output;
    const InfFile integrated = InfFile::open(work + "/I386/TXTSETUP.SIF");
    ASSERT_TRUE(integrated.isOpen());

    struct Case {
        std::string listing;
        std::vector<Claim> withDrivers;
    };
    const std::vector<Case> cases = {
        // lspci -nn gives no subsystem, so viostor's SUBSYS IDs do not
        // match, and no programming interface, so PCI\CC_010601 does not.
        {"q35-guest.nn.txt", {{"00:03.0", "", "", false}, {"00:1f.2", "", "", false}}},
        {"q35-guest.vmmnn.txt",
         {{"00:03.0", "viostor", "PCI\\VEN_1AF4&DEV_1001&SUBSYS_00021AF4", false},
          {"00:1f.2", "storahci", "PCI\\CC_010601", true}}},
        // The ICH7-M AHCI controller: the Toshiba board's subsystem ID
        // wins over the generic AHCI class ID; the IDE function has none.
        {"ich7-board.nn.txt", {{"00:1f.1", "", "", false}, {"00:1f.2", "", "", false}}},
        {"ich7-board.vmmnn.txt",
         {{"00:1f.1", "", "", false},
          {"00:1f.2", "KR10N", "PCI\\VEN_8086&DEV_27C5&SUBSYS_0F101179", false}}},
        // The RAID-mode SATA controller by device and class in both forms;
        // the NVMe disk by class and interface, which only -vmmnn gives.
        {"nvme-laptop.nn.txt",
         {{"0000:00:17.0", "iaStor", "PCI\\VEN_8086&DEV_282A&CC_0104", false},
          {"0000:3c:00.0", "", "", false}}},
        {"nvme-laptop.vmmnn.txt",
         {{"0000:00:17.0", "iaStor", "PCI\\VEN_8086&DEV_282A&CC_0104", false},
          {"0000:3c:00.0", "nvme2k", "PCI\\CC_010802", true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listing);
        const std::vector<PciDevice> devices = listing(c.listing);
        EXPECT_EQ(claims(devices, integrated), c.withDrivers);
        // The generated CD's own drivers claim none of these controllers.
        std::vector<Claim> unclaimed;
        for (const Claim& claim : c.withDrivers)
            unclaimed.push_back({claim.slot, "", "", false});
        EXPECT_EQ(claims(devices, original), unclaimed);
    }

    const std::map<std::string, Claim> machines = {
        {"qemu-pc", {"00:01.1", "", "", false}},
        {"qemu-q35", {"00:1f.2", "storahci", "PCI\\CC_010601", true}},
        {"qemu-virtio-blk",
         {"00:04.0", "viostor", "PCI\\VEN_1AF4&DEV_1001&SUBSYS_00021AF4", false}},
        // This viostor predates the virtio 1.0 device.
        {"qemu-virtio-blk-modern", {"00:04.0", "", "", false}},
        {"qemu-nvme", {"00:04.0", "nvme2k", "PCI\\CC_010802", true}},
    };
    for (const std::string& name : qemuMachineNames()) {
        SCOPED_TRACE(name);
        EXPECT_EQ(claims(*qemuMachine(name), integrated), std::vector<Claim>{machines.at(name)});
    }
}

} // namespace
} // namespace ornibe::test
