// The entries chosen from driver floppies on "次へ >": which entry each
// floppy gives, and what the summary says about the entries it accepts
// (class-code IDs, a service named otherwise, the [Config] values), over
// the real TXTSETUP.OEM files with stand-in driver files beside them.
#include "wizard/F6DriverCheck.h"

#include "runner/F6Summary.h"
#include "runner/MemoryProgressLog.h"
#include "settings/BuildSettings.h"
#include "support/BuildTreeTools.h"
#include "support/RealFixtures.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace ornibe {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class F6EntryChecksTest : public ::testing::Test {
protected:
    void SetUp() override { test::requireRealFixture("txtsetup-oem"); }

    // The fixture as a floppy's TXTSETUP.OEM, with the named files.
    std::string floppy(const std::string& name, const std::string& fixture,
                       const std::vector<std::string>& files) {
        const std::string folder = dir.mkdir(name);
        fs::copy_file(test::realFixture("txtsetup-oem/" + fixture), folder + "/TXTSETUP.OEM");
        for (const std::string& file : files) {
            dir.write(name + "/" + file, "stand-in " + file);
        }
        return folder;
    }

    std::string summary() {
        MemoryProgressLog log;
        appendDriverEntrySummary(settings, Architecture::X86, test::buildTreeTools("."), log);
        return log.text();
    }

    test::TempDir dir;
    BuildSettings settings;
};

TEST_F(F6EntryChecksTest, named_entries_given_ids_or_the_default_are_chosen_and_summarised) {
    const std::string ahci = floppy("ahci", "genahci/txtsetup.oem",
                                    {"x86/storahci.sys", "x86/storahci.inf", "x86/storahci.cat",
                                     "x64/storahci.sys", "x64/storahci.inf", "x64/storahci.cat"});
    const std::string svbus = floppy("svbus", "svbus/txtsetup.oem",
                                     {"svbus.inf", "svbusx86.sys", "svbusx64.sys", "svbus.cat"});

    // The wizard names its entries; a floppy without one gives its default.
    std::optional<F6ListEntry> named = f6ListEntry(ahci + " [ storahci_x64 ]");
    ASSERT_TRUE(named);
    EXPECT_EQ(named->source, ahci);
    EXPECT_EQ(named->id, "storahci_x64");
    std::optional<F6ListEntry> whole = f6ListEntry(svbus);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->id, "");
    EXPECT_FALSE(f6ListEntry(dir.write("a.inf", "[Version]")));
    ASSERT_TRUE(checkF6Entries({*named, *whole}, {}, settings, test::buildTreeTools(".")));
    EXPECT_EQ(settings.getDriverEntries(),
              (std::vector<DriverEntryChoice>{{ahci, "storahci_x64"}, {svbus, "svbusx86"}}));

    // --driver-entry chooses across the floppies, each taking the IDs it has.
    settings.clearDriverEntries();
    ASSERT_TRUE(checkF6Entries({{ahci, ""}, {svbus, ""}}, {"svbusx64", "storahci_x86"}, settings,
                               test::buildTreeTools(".")));
    EXPECT_EQ(settings.getDriverEntries(),
              (std::vector<DriverEntryChoice>{{ahci, "storahci_x86"}, {svbus, "svbusx64"}}));

    const std::string text = summary();
    EXPECT_THAT(text, HasSubstr(ahci + " [ storahci_x86 ]\r\n        StorAhci SATA AHCI "
                                       "Controller x86\r\n        サービス: storahci  "
                                       "ハードウェア ID: PCI\\CC_010601\r\n        警告: "));
    EXPECT_THAT(text, HasSubstr("        レジストリの値: [Config.storahci] から\r\n"
                                "          storahci\\Parameters\\PnpInterface 5 REG_DWORD "
                                "00000001\r\n          storahci\\Parameters BusType REG_DWORD "
                                "0000000B"));
    // ROOT\ and DETECTED\ IDs: accepted, with the same warning.
    EXPECT_THAT(text, HasSubstr("ハードウェア ID: ROOT\\svbusx64, DETECTED\\svbusx64\r\n"
                                "        警告: ハードウェア ID がクラスコード"));
}

TEST_F(F6EntryChecksTest, services_named_otherwise_are_noted_and_service_key_values_not_written) {
    // nvme2k's own INF adds the service nvme2k, as its driver file is named.
    const std::string nvme = floppy("nvme", "nvme2k-w2k/TXTSETUP.OEM", {"nvme2k.sys", "disk1"});
    fs::copy_file(test::realFixture("txtsetup-oem/nvme2k-w2k/nvme2k.inf"), nvme + "/nvme2k.inf");
    ASSERT_TRUE(checkF6Entries({{nvme, ""}}, {}, settings, test::buildTreeTools(".")));
    std::string text = summary();
    EXPECT_THAT(text, HasSubstr("レジストリの値: [Config.scsi.NVME2K] から\r\n"
                                "          nvme2k Tag REG_DWORD 33（書き込みません。"
                                "[SCSI.Load] が設定します）\r\n"));
    EXPECT_THAT(text, HasSubstr("          nvme2k\\Parameters\\PnpInterface 5 REG_DWORD 1"));
    EXPECT_THAT(text, Not(HasSubstr("注意")));

    // The WDM folder's pairing: the same TXTSETUP.OEM beside an INF that
    // adds another service; and a [HardwareIds] service that is not the
    // driver file's (NVIDIA's BUSDRV against nvgts.sys).
    const std::string wdm = floppy("wdm", "nvme2k-w2k/TXTSETUP.OEM", {"nvme2k.sys"});
    dir.write("wdm/nvme2k.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                                "[Inst.Services]\r\nAddService = NVMe2Kx32, 2, Svc\r\n");
    dir.write("nv/TXTSETUP.OEM",
              "[Disks]\r\nd1 = \"nForce\", \\tag, \\\r\n[scsi]\r\nBUSDRV = \"NVIDIA nForce\"\r\n"
              "[Files.scsi.BUSDRV]\r\ndriver = d1, nvgts.sys, BUSDRV\r\n"
              "[HardwareIds.scsi.BUSDRV]\r\nid = \"PCI\\VEN_10DE&DEV_0266\", \"BUSDRV\"\r\n");
    dir.write("nv/nvgts.sys", "driver");
    settings.clearDriverEntries();
    ASSERT_TRUE(
        checkF6Entries({{wdm, ""}, {dir / "nv", ""}}, {}, settings, test::buildTreeTools(".")));
    text = summary();
    EXPECT_THAT(text, HasSubstr("注意: nvme2k.inf の AddService のサービス NVMe2Kx32 がドライバの"
                                "ファイル名 nvme2k と違います。"));
    EXPECT_THAT(text, HasSubstr("注意: [HardwareIds] のサービス BUSDRV がドライバのファイル名 "
                                "nvgts と違います。nvgts として組み込みます。"));
}

// The smallest PE file whose header names the processor.
std::string peProgram(std::uint16_t machine) {
    std::string bytes(0x40, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x3C] = 0x40;
    bytes += std::string("PE\0\0", 4);
    bytes += static_cast<char>(machine & 0xFF);
    bytes += static_cast<char>(machine >> 8);
    bytes += std::string(18, '\0');
    return bytes;
}

TEST_F(F6EntryChecksTest, an_entry_for_the_other_processor_is_refused_for_the_tree) {
    const std::string ahci =
        floppy("ahci", "genahci/txtsetup.oem",
               {"x86/storahci.inf", "x86/storahci.cat", "x64/storahci.inf", "x64/storahci.cat"});
    dir.write("ahci/x86/storahci.sys", peProgram(0x014C));
    dir.write("ahci/x64/storahci.sys", peProgram(0x8664));
    // Each entry fits its own architecture's tree.
    EXPECT_TRUE(checkF6Entries({{ahci, "storahci_x64"}}, {}, settings, test::buildTreeTools("."),
                               {WindowsVersion::Server2003, Architecture::Amd64, {}}));
    settings.clearDriverEntries();
    EXPECT_TRUE(checkF6Entries({{ahci, "storahci_x86"}}, {}, settings, test::buildTreeTools("."),
                               {WindowsVersion::WindowsXp, Architecture::X86, {}}));
    settings.clearDriverEntries();
    // The x86 driver is refused for an x64 tree, and nothing is chosen.
    Outcome refused =
        checkF6Entries({{ahci, "storahci_x86"}}, {}, settings, test::buildTreeTools("."),
                       {WindowsVersion::Server2003, Architecture::Amd64, {}});
    ASSERT_FALSE(refused);
    EXPECT_THAT(refused.failure().headline,
                HasSubstr("の項目 storahci_x86 は x64（AMD64）のツリーには組み込めません。"));
    EXPECT_EQ(refused.failure().reason,
              "ドライバ storahci.sys は x64 のプロセッサ用のプログラムではありません。");
    EXPECT_TRUE(settings.getDriverEntries().empty());
}

} // namespace
} // namespace ornibe
