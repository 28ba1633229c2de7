// A folder of mass-storage drivers laid out as the community packs are
// (vendor, chip, system), given to ornibe-build with --driver-pack: which
// drivers are integrated against a target listing and without one, what
// the summary's table says of each, and the packs refused before anything
// changes. The drivers are the mingw-w64 stand-ins, read against a sample
// XP tree that carries a stand-in kernel, HAL and SCSIPORT.SYS.

#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/StandIns.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

// A mass-storage INF for XP on x86 whose one model installs service from
// binary (in the INF's folder) for id.
std::string storageInf(const std::string& service, const std::string& binary,
                       const std::string& description, const std::string& id,
                       const std::string& driverVer) {
    return "; " + description +
           "\r\n[Version]\r\nSignature=\"$Windows NT$\"\r\n"
           "Class=SCSIAdapter\r\nClassGUID={4D36E97B-E325-11CE-BFC1-08002BE10318}\r\n"
           "Provider=\"Pack Test\"\r\nDriverVer=" +
           driverVer +
           "\r\n\r\n"
           "[SourceDisksNames]\r\n1 = \"Pack Disk\",,,\r\n\r\n"
           "[SourceDisksFiles]\r\n" +
           binary +
           " = 1\r\n\r\n"
           "[DestinationDirs]\r\nDefaultDestDir = 12\r\n\r\n"
           "[Manufacturer]\r\n\"Pack Test\" = Models, NTx86\r\n\r\n"
           "[Models.NTx86]\r\n\"" +
           description + "\" = Install, " + id +
           "\r\n\r\n"
           "[Install]\r\nCopyFiles = Files\r\n\r\n"
           "[Install.Services]\r\nAddService = " +
           service +
           ", 0x00000002, Service\r\n\r\n"
           "[Service]\r\nServiceType = 1\r\nStartType = 0\r\nErrorControl = 1\r\n"
           "ServiceBinary = %12%\\" +
           binary +
           "\r\nLoadOrderGroup = \"SCSI Miniport\"\r\n\r\n"
           "[Files]\r\n" +
           binary + "\r\n";
}

// A driver floppy's description with an AHCI and a RAID entry, each its
// own driver file in the floppy's root.
const char* const kIntelOem =
    "; Intel Matrix Storage floppy\r\n[Disks]\r\n"
    "disk1 = \"Intel Matrix Storage Driver\", \\IAAHCI.SYS, \\\r\n\r\n"
    "[Defaults]\r\nscsi = ICH9R_AHCI\r\n\r\n[scsi]\r\n"
    "ICH9R_AHCI = \"Intel ICH9R SATA AHCI Controller\", iaAhci\r\n"
    "ICH9R_RAID = \"Intel ICH9R SATA RAID Controller\", iaRaid\r\n\r\n"
    "[Files.scsi.ICH9R_AHCI]\r\ndriver = disk1, IAAHCI.SYS, iaAhci\r\n\r\n"
    "[Files.scsi.ICH9R_RAID]\r\ndriver = disk1, IARAID.SYS, iaRaid\r\n\r\n"
    "[HardwareIds.scsi.ICH9R_AHCI]\r\nid = \"PCI\\VEN_8086&DEV_2922\", \"iaAhci\"\r\n\r\n"
    "[HardwareIds.scsi.ICH9R_RAID]\r\nid = \"PCI\\VEN_8086&DEV_2822\", \"iaRaid\"\r\n";

class PackFolderCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ORNIBE_REQUIRE_STAND_INS();
        ASSERT_NO_FATAL_FAILURE(makeStandInCd(dir, "xp", slurp(standIn("X86/cd/NTOSKRNL.EXE"))));
        const std::string clean = slurp(standIn("X86/ORCLEAN.SYS"));
        dir.write("pack/Intel/ICH9R/XP/TXTSETUP.OEM", kIntelOem);
        dir.write("pack/Intel/ICH9R/XP/IAAHCI.SYS", clean);
        dir.write("pack/Intel/ICH9R/XP/IARAID.SYS", clean);
        // The same floppy for x64: passed over on an x86 tree.
        dir.write("pack/Intel/ICH9R/x64/TXTSETUP.OEM", kIntelOem);
        dir.write("pack/Intel/ICH9R/x64/IAAHCI.SYS", slurp(standIn("X64/ORCLEAN.SYS")));
        dir.write("pack/Intel/ICH9R/x64/IARAID.SYS", slurp(standIn("X64/ORCLEAN.SYS")));
        // Two releases of one LSI driver, the same file name with other
        // bytes (the later one carries a trailer).
        lsiId = "PCI\\VEN_1000&DEV_0030";
        dir.write("pack/LSI/53C1030/XP/symmpi.inf",
                  storageInf("symmpi", "SYMMPI.SYS", "LSI 53C1030 (2006)", lsiId,
                             "04/10/2006,1.21.25.0"));
        dir.write("pack/LSI/53C1030/XP/SYMMPI.SYS", clean);
        dir.write(
            "pack/LSI/53C1030-1.28/XP/symmpi.inf",
            storageInf("symmpi", "SYMMPI.SYS", "LSI 53C1030 (2008)", lsiId, "11/02/2008,1.28.3.0"));
        dir.write("pack/LSI/53C1030-1.28/XP/SYMMPI.SYS", clean + "1.28");
        // A StorPort miniport, which XP cannot load.
        dir.write("pack/VMware/PVSCSI/XP/pvscsi.inf",
                  storageInf("pvscsi", "PVSCSI.SYS", "VMware PVSCSI", "PCI\\VEN_15AD&DEV_07C0",
                             "03/20/2009,1.1.0.0"));
        dir.write("pack/VMware/PVSCSI/XP/PVSCSI.SYS", slurp(standIn("X86/ORSTOR.SYS")));
        // A driver that claims AHCI controllers by class code alone.
        dir.write("pack/Generic/AHCI/XP/ahcigen.inf",
                  storageInf("ahcigen", "AHCIGEN.SYS", "Generic AHCI", "PCI\\CC_0106",
                             "01/01/2010,2.0.0.0"));
        dir.write("pack/Generic/AHCI/XP/AHCIGEN.SYS", clean + "generic");
        dir.write("pack/nVidia/nForce/XP/nvgts.inf",
                  storageInf("nvgts", "NVGTS.SYS", "nForce SATA", "PCI\\VEN_10DE&DEV_0AD4",
                             "05/05/2008,10.3.0.46"));
        dir.write("pack/nVidia/nForce/XP/NVGTS.SYS", clean + "nforce");
        // A floppy description that names no driver file (some packs ship
        // one beside the INF that does): the INF is the driver.
        dir.write("pack/Acard/671x/XP/TXTSETUP.OEM",
                  "[Disks]\r\ndisk1 = \"ACARD SCSI\", \\ACARD, \\x86\r\n\r\n"
                  "[Defaults]\r\nSCSI = AEC671xx\r\n\r\n[SCSI]\r\n"
                  "AEC671xx = \"ACARD AEC-671X SCSI Adapter\"\r\n\r\n"
                  "[HardwareIds.SCSI.AEC671xx]\r\n"
                  "id = \"PCI\\VEN_1191&DEV_8002\",\"AEC671xx\"\r\n\x1a");
        dir.write("pack/Acard/671x/XP/aec671x.inf",
                  storageInf("aec671x", "AEC671X.SYS", "ACARD AEC-671X", "PCI\\VEN_1191&DEV_8002",
                             "09/19/2007,5.25.0.0"));
        dir.write("pack/Acard/671x/XP/AEC671X.SYS", clean + "acard");
        dir.write("pack/README.TXT", "Mass storage pack\r\n");
    }

    std::string build(std::vector<std::string> arguments, const std::string& log) {
        fs::remove_all(work + "-built");
        fs::copy(work, work + "-built", fs::copy_options::recursive);
        arguments.insert(arguments.end(), {"--work", work + "-built", "--driver-pack", dir / "pack",
                                           "--log", dir / log});
        CommandResult run = runBuild(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return fs::exists(dir / log) ? slurp(dir / log) : "";
    }

    TempDir dir;
    const std::string work = dir / "xp";
    std::string lsiId;
};

TEST_F(PackFolderCommandTest, the_pack_gives_each_controller_its_best_driver_and_says_why) {
    const std::string listing = dir.write(
        "lspci.txt",
        "00:1f.2 SATA controller [0106]: Intel Corporation 82801IR/IO/IH (ICH9R/DO/DH) 6 port "
        "SATA Controller [AHCI mode] [8086:2922] (rev 02)\n"
        "00:19.0 Ethernet controller [0200]: Intel Corporation 82567LM-2 Gigabit Network "
        "Connection [8086:10cc] (rev 02)\n"
        "03:00.0 SCSI storage controller [0100]: Broadcom / LSI 53c1030 PCI-X Fusion-MPT Dual "
        "Ultra320 SCSI [1000:0030] (rev 08)\n"
        "0b:00.0 Serial Attached SCSI controller [0107]: VMware PVSCSI SCSI Controller "
        "[15ad:07c0] (rev 02)\n");
    const std::string log = build({"--target-hardware", listing}, "target.log");
    EXPECT_THAT(
        log,
        AllOf(
            HasSubstr("ドライバパック：\r\n      " + dir / "pack"),
            HasSubstr("\r\n      00:1f.2 Intel Corporation 82801IR/IO/IH (ICH9R/DO/DH) 6 port "
                      "SATA Controller [AHCI mode] → Intel/ICH9R/XP/TXTSETUP.OEM [ICH9R_AHCI]"
                      "（PCI\\VEN_8086&DEV_2922 で一致）"),
            HasSubstr("→ LSI/53C1030-1.28/XP/symmpi.inf（PCI\\VEN_1000&DEV_0030 で一致、"
                      "DriverVer 11/02/2008,1.28.3.0）"),
            HasSubstr("VMware PVSCSI SCSI Controller → なし（一致するドライバはどれも読み込め"
                      "ません）"),
            Not(HasSubstr("00:19.0")),
            HasSubstr("取り込まない：Intel/ICH9R/XP/TXTSETUP.OEM [ICH9R_RAID]（一致するディスク"
                      "コントローラがありません）"),
            HasSubstr("取り込まない：LSI/53C1030/XP/symmpi.inf（LSI/53C1030-1.28/XP/symmpi.inf "
                      "に負けました：DriverVer 11/02/2008,1.28.3.0 の方が新しい）"),
            HasSubstr("取り込まない：VMware/PVSCSI/XP/pvscsi.inf（読み込めません：PVSCSI.SYS: "
                      "取り込むモジュール STORPORT.SYS が CD にありません）"),
            HasSubstr("取り込まない：Generic/AHCI/XP/ahcigen.inf（Intel/ICH9R/XP/TXTSETUP.OEM "
                      "[ICH9R_AHCI] に負けました：PCI\\VEN_8086&DEV_2922 の方が具体的な ID です）"),
            HasSubstr("取り込まない：nVidia/nForce/XP/nvgts.inf（一致するディスクコントローラ"),
            HasSubstr("ほかのシステム用で読み飛ばしたドライバ：2 個")));
    // Exactly the chosen drivers are in the tree, the LSI one of 2008.
    const std::string sif = slurp(work + "-built/I386/TXTSETUP.SIF");
    EXPECT_THAT(sif,
                AllOf(HasSubstr("PCI\\VEN_8086&DEV_2922"), HasSubstr("IAAHCI = IAAHCI.SYS"),
                      HasSubstr(lsiId), HasSubstr("LSI 53C1030 (2008)"), Not(HasSubstr("(2006)")),
                      Not(HasSubstr("IARAID")), Not(HasSubstr("PVSCSI")), Not(HasSubstr("AHCIGEN")),
                      Not(HasSubstr("NVGTS"))));

    // The check of the tree gives the same table, in JSON too.
    CommandResult checked = runBuild({"--check", "--work", work + "-built", "--driver-pack",
                                      dir / "pack", "--target-hardware", listing, "--json"});
    EXPECT_THAT(
        checked.output,
        AllOf(HasSubstr("\"driverPack\": {\"source\": \"" + dir / "pack" +
                        "\", \"againstTarget\": true"),
              HasSubstr("\"driver\": \"LSI/53C1030-1.28/XP/symmpi.inf\", \"why\": "
                        "\"PCI\\\\VEN_1000&DEV_0030 で一致、DriverVer 11/02/2008,1.28.3.0\""),
              HasSubstr("{\"driver\": \"VMware/PVSCSI/XP/pvscsi.inf\", \"why\": "
                        "\"読み込めません：PVSCSI.SYS: 取り込むモジュール STORPORT.SYS")));

    // Without a target every driver that loads goes in, save the older LSI
    // one (the same ID) and the nForce one, which a named driver claims.
    const std::string named =
        dir.write("named/nvnamed.inf", storageInf("nvnamed", "NVNAMED.SYS", "Named nForce",
                                                  "PCI\\VEN_10DE&DEV_0AD4", "01/01/2007,1.0"));
    dir.write("named/NVNAMED.SYS", slurp(standIn("X86/ORCLEAN.SYS")));
    const std::string all = build({"--driver", named}, "all.log");
    EXPECT_THAT(
        all,
        AllOf(HasSubstr("取り込む：Intel/ICH9R/XP/TXTSETUP.OEM [ICH9R_AHCI]"),
              HasSubstr("取り込む：Intel/ICH9R/XP/TXTSETUP.OEM [ICH9R_RAID]"),
              HasSubstr("取り込む：LSI/53C1030-1.28/XP/symmpi.inf"),
              HasSubstr("取り込む：Generic/AHCI/XP/ahcigen.inf"),
              HasSubstr("取り込む：Acard/671x/XP/aec671x.inf"), Not(HasSubstr("[AEC671xx]")),
              HasSubstr("取り込まない：LSI/53C1030/XP/symmpi.inf（LSI/53C1030-1.28/XP/"
                        "symmpi.inf に負けました：同じ ID PCI\\VEN_1000&DEV_0030 を持ち、"
                        "DriverVer 11/02/2008,1.28.3.0 の方が新しい）"),
              HasSubstr("取り込まない：nVidia/nForce/XP/nvgts.inf（指定したドライバ に負けました"),
              HasSubstr("取り込まない：VMware/PVSCSI/XP/pvscsi.inf（読み込めません")));
    const std::string allSif = slurp(work + "-built/I386/TXTSETUP.SIF");
    EXPECT_THAT(allSif,
                AllOf(HasSubstr("IARAID = IARAID.SYS"), HasSubstr("AHCIGEN = AHCIGEN.SYS"),
                      HasSubstr("AEC671X = AEC671X.SYS"), HasSubstr("NVNAMED = NVNAMED.SYS"),
                      Not(HasSubstr("NVGTS")), Not(HasSubstr("PVSCSI"))));
}

TEST_F(PackFolderCommandTest, a_pack_that_cannot_be_used_is_refused_before_anything_changes) {
    dir.write("empty/Docs/README.TXT", "nothing here\r\n");
    fs::create_directories(dir / "outside");
    dir.write("escaping/LSI/XP/symmpi.inf", slurp(dir / "pack/LSI/53C1030/XP/symmpi.inf"));
    dir.write("escaping/LSI/XP/SYMMPI.SYS", slurp(dir / "pack/LSI/53C1030/XP/SYMMPI.SYS"));
    fs::create_directory_symlink(dir / "outside", dir / "escaping/LSI/shared");
    dir.write("short/LSI/XP/symmpi.inf", slurp(dir / "pack/LSI/53C1030/XP/symmpi.inf"));
    expectRefusedLeavingAsItWas(
        dir.path(),
        {{{"--work", work, "--driver-pack", dir / "empty"},
          "ドライバパック " + dir / "empty" + " に組み込めるドライバがありません。"},
         {{"--work", work, "--driver-pack", dir / "nowhere"},
          "ドライバパックのフォルダがありません。"},
         {{"--work", work, "--driver-pack", dir / "escaping"},
          "にパックの外を指すリンクがあります。"},
         {{"--work", work, "--driver-pack", dir / "short"},
          "ドライバパックの LSI/XP/symmpi.inf に、組み込むのに要るファイルがありません。\n" +
              dir / "short/LSI/XP/SYMMPI.SYS" + " が見つかりません。"}});
}

} // namespace
} // namespace ornibe::test
