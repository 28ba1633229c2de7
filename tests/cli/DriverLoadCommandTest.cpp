// Whether a driver loads on the CD it goes onto, and what its IDs let
// setup bind, through ornibe-build. The load: the
// stand-in drivers built with mingw-w64 read against a sample XP tree that
// carries a stand-in kernel, HAL and SCSIPORT.SYS in cabinets. A StorPort
// driver, one calling a kernel function the CD lacks and an x64 one are
// named with their reason by --check-driver, refused on the way into a
// build unless allowed, and reported by --check; a clean one passes
// silently. The CD may be an image, a driver may be held only compressed
// or in a floppy image, and --check reads the tree's Plug and Play drivers
// too. The IDs: a class-code-only driver and an ID that only a
// model line's later field gives are named against a target listing.

#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/IsoFixtures.h"
#include "support/StandIns.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

class DriverLoadCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ORNIBE_REQUIRE_STAND_INS();
        ASSERT_NO_FATAL_FAILURE(makeStandInCd(dir, "xp", slurp(standIn("X86/cd/NTOSKRNL.EXE"))));
    }

    // The sample driver's INF naming the stand-in driver built as binary,
    // in a folder of its own: the INF's path.
    std::string driver(const std::string& name, const std::string& binary) const {
        const std::string inf = std::regex_replace(
            slurp(kSampleDriverInf), std::regex("OrScsi\\.sys", std::regex::icase), name + ".sys");
        dir.write(name + "/" + name + ".inf", inf);
        dir.write(name + "/ORSCSI.CAT", slurp(kSampleDriverFolder + "/ORSCSI.CAT"));
        dir.write(name + "/X86/" + name + ".SYS", slurp(standIn(binary)));
        return dir / name + "/" + name + ".inf";
    }

    TempDir dir;
    const std::string work = dir / "xp";
};

TEST_F(DriverLoadCommandTest, a_driver_that_cannot_load_is_named_with_its_reason_everywhere) {
    const std::string clean = driver("ORCLEAN", "X86/ORCLEAN.SYS");
    const std::string storport = driver("ORSTOR", "X86/ORSTOR.SYS");
    const std::string later = driver("ORNEWK", "X86/ORNEWK.SYS");
    const std::string x64 = driver("ORX64", "X64/ORCLEAN.SYS");
    const std::string cannot = " は読み込めません: ";

    CommandResult loads = runBuild({"--check-driver", clean, "--work", work});
    EXPECT_EQ(loads.exitCode, 0) << loads.output;
    EXPECT_THAT(loads.output, HasSubstr("ORCLEAN/X86/ORCLEAN.SYS は読み込めます。"));
    struct Case {
        std::string inf;
        std::string reason;
    };
    for (const Case& unloadable : std::vector<Case>{
             {storport, cannot + "取り込むモジュール STORPORT.SYS が CD にありません。"},
             {later, cannot + "CD の ntoskrnl.exe にない関数を取り込みます: "
                              "KeQueryActiveProcessorCountEx。"},
             {later, ": Windows 6.0 向けに作られています（この CD は 5.1）。"},
             {x64, cannot + "x64 用に作られていて、x86 の CD では読み込めません。"},
         }) {
        CommandResult table = runBuild({"--check-driver", unloadable.inf, "--work", work});
        EXPECT_EQ(table.exitCode, 1) << table.output;
        EXPECT_THAT(table.output, HasSubstr(unloadable.reason));
        CommandResult json = runBuild({"--check-driver", unloadable.inf, "--work", work, "--json"});
        EXPECT_THAT(json.output, HasSubstr("\"ok\": false"));
    }

    // On the way into a build: refused before anything changes, naming the
    // option that goes on; with it, the build integrates the driver, and
    // its check and --check name what will not load.
    expectRefusedLeavingAsItWas(
        dir.path(), {{{"--work", work, "--driver", storport},
                      "ORSTOR.SYS: 取り込むモジュール STORPORT.SYS が CD にありません。\n"
                      "ornibe-build: CD をあとで補うなら、--allow-unloadable-driver"}});
    const std::string missingStorport = "ドライバ I386\\ORSTOR.SY_" + cannot +
                                        "取り込むモジュール STORPORT.SYS が CD にありません。";
    CommandResult allowed = runBuild(
        {"--work", work, "--driver", storport, "--allow-unloadable-driver", "--log", dir / "log"});
    ASSERT_EQ(allowed.exitCode, 0) << allowed.output;
    EXPECT_THAT(
        slurp(dir / "log"),
        AllOf(HasSubstr("ORSTOR.SYS: 取り込むモジュール STORPORT.SYS が CD にありません\r\n"),
              HasSubstr("問題：" + missingStorport)));
    CommandResult check = runBuild({"--check", "--work", work});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_THAT(check.output, HasSubstr(missingStorport));

    // Once the CD's own miniport no longer imports SCSIPORT.SYS, text mode
    // loads it for nobody, and the clean driver cannot load.
    fs::remove_all(work);
    SetUp();
    fs::remove(work + "/I386/SMPIDE.SY_");
    CommandResult unloaded = runBuild({"--check-driver", clean, "--work", work});
    EXPECT_THAT(unloaded.output,
                HasSubstr(cannot + "取り込むモジュール SCSIPORT.SYS をテキストモード "
                                   "セットアップが読み込みません。"));

    // A clean driver passes: the summary says it loads, the check is silent.
    fs::remove_all(work);
    SetUp();
    CommandResult built = runBuild({"--work", work, "--driver", clean, "--log", dir / "clean"});
    ASSERT_EQ(built.exitCode, 0) << built.output;
    EXPECT_THAT(slurp(dir / "clean"),
                AllOf(HasSubstr("ドライバの読み込み：\r\n      ORCLEAN.SYS: 読み込める\r\n"),
                      Not(HasSubstr("読み込めません"))));
    CommandResult quiet = runBuild({"--check", "--work", work});
    EXPECT_THAT(quiet.output, AllOf(Not(HasSubstr("読み込め")), HasSubstr("問題 0 件")));
}

TEST_F(DriverLoadCommandTest, an_image_source_is_read_through_the_image) {
    const std::string storport = driver("ORSTOR", "X86/ORSTOR.SYS");
    const std::string clean = driver("ORCLEAN", "X86/ORCLEAN.SYS");
    const std::string iso = dir / "cd.iso";
    ASSERT_TRUE(makeIsoImage(work, iso, IsoRecipe{}));
    expectRefusedLeavingAsItWas(
        dir.path(), {{{"--source", iso, "--work", dir / "refused", "--driver", storport},
                      "ORSTOR.SYS: 取り込むモジュール STORPORT.SYS が CD にありません。"}});
    CommandResult built = runBuild({"--source", iso, "--work", dir / "built", "--yes", "--driver",
                                    clean, "--log", dir / "log"});
    ASSERT_EQ(built.exitCode, 0) << built.output;
    EXPECT_THAT(slurp(dir / "log"),
                HasSubstr("ドライバの読み込み：\r\n      ORCLEAN.SYS: 読み込める\r\n"));
}

TEST_F(DriverLoadCommandTest, a_driver_held_only_compressed_or_in_a_floppy_image_is_read) {
    const std::string storport = driver("ORSTOR", "X86/ORSTOR.SYS");
    const std::string clean = driver("ORCLEAN", "X86/ORCLEAN.SYS");
    for (const std::string name : {"ORSTOR", "ORCLEAN"}) {
        const std::string plain = dir / name + "/X86/" + name + ".SYS";
        ASSERT_EQ(runCommand({builtTool("makecab"), "/L", dir / name + "/X86", plain}).exitCode, 0);
        fs::remove(plain);
    }
    CommandResult refused = runBuild({"--check-driver", storport, "--work", work});
    EXPECT_EQ(refused.exitCode, 1) << refused.output;
    EXPECT_THAT(refused.output,
                HasSubstr("ORSTOR/X86/ORSTOR.SY_ は読み込めません: 取り込むモジュール "
                          "STORPORT.SYS が CD にありません。"));
    CommandResult loads = runBuild({"--check-driver", clean, "--work", work});
    EXPECT_EQ(loads.exitCode, 0) << loads.output;
    EXPECT_THAT(loads.output, HasSubstr("ORCLEAN/X86/ORCLEAN.SY_ は読み込めます。"));
    // So is one in a floppy image, as real driver floppies hold them.
    const std::string f6 = dir / "f6";
    fs::copy(std::string(ORNIBE_SOURCE_DIR) + "/samples/f6", f6, fs::copy_options::recursive);
    fs::copy_file(standIn("X86/ORSTOR.SYS"), f6 + "/I386/ORRAID.SYS",
                  fs::copy_options::overwrite_existing);
    ASSERT_EQ(
        runCommand({builtTool("makecab"), "/L", f6 + "/I386", f6 + "/I386/ORRAID.SYS"}).exitCode,
        0);
    fs::remove(f6 + "/I386/ORRAID.SYS");
    const std::string floppy = dir / "f6.img";
    ASSERT_EQ(runCommand({"mformat", "-C", "-f", "1440", "-i", floppy, "::"}).exitCode, 0);
    ASSERT_EQ(runCommand({"mcopy", "-s", "-i", floppy, f6 + "/I386", f6 + "/TXTSETUP.OEM",
                          f6 + "/ORRAID.TAG", "::"})
                  .exitCode,
              0);
    CommandResult inImage = runBuild({"--check-driver", floppy, "--work", work});
    EXPECT_THAT(inImage.output,
                HasSubstr(floppy + ":/I386/ORRAID.SY_ は読み込めません: "
                                   "取り込むモジュール STORPORT.SYS が CD にありません。"));
    // On the way into a build, as staging copies the cabinet.
    expectRefusedLeavingAsItWas(
        dir.path(), {{{"--work", work, "--driver", storport},
                      "ORSTOR.SY_: 取り込むモジュール STORPORT.SYS が CD にありません。"}});
}

TEST_F(DriverLoadCommandTest, the_check_of_a_tree_reads_its_plug_and_play_drivers) {
    fs::copy(std::string(ORNIBE_SOURCE_DIR) + "/samples/pnp", dir / "pnp");
    fs::copy_file(standIn("X86/ORSTOR.SYS"), dir / "pnp/OrNet.sys",
                  fs::copy_options::overwrite_existing);
    CommandResult built =
        runBuild({"--work", work, "--unattended", "--full-name", "T", "--pnp-driver",
                  dir / "pnp/OrNet.inf", "--allow-unloadable-driver"});
    ASSERT_EQ(built.exitCode, 0) << built.output;
    const std::string cannot =
        "OrNet.sys は読み込めません: 取り込むモジュール STORPORT.SYS が CD にありません。";
    CommandResult table = runBuild({"--check", "--work", work});
    EXPECT_EQ(table.exitCode, 1);
    EXPECT_THAT(table.output, AllOf(HasSubstr("ドライバ $OEM$\\$1\\"), HasSubstr(cannot)));
    CommandResult json = runBuild({"--check", "--work", work, "--json"});
    EXPECT_THAT(json.output, AllOf(HasSubstr("\"ok\": false"), HasSubstr(cannot)));
}

TEST(DriverIdCommandTest, ids_that_setup_binds_by_class_or_never_takes_are_named) {
    TempDir dir;
    const std::string work = dir / "xp";
    fs::copy(kSampleTree, work, fs::copy_options::recursive);
    const std::string listing =
        dir.write("lspci.txt",
                  "00:1f.2 SATA controller [0106]: Intel Corporation 82801IR/IO/IH (ICH9R/DO/DH) "
                  "6 port SATA Controller [AHCI mode] [8086:2922] (rev 02)\n"
                  "00:05.0 SCSI storage controller [0100]: Sample SCSI [1b2c:0301]\n");
    // The sample INF: its first model line names the subsystem in field 2
    // and the bare device only in field 3, which setup never takes.
    CommandResult sample = runBuild(
        {"--check-driver", kSampleDriverInf, "--work", work, "--target-hardware", listing});
    EXPECT_THAT(sample.output,
                HasSubstr("ディスク コントローラ 00:05.0 Sample SCSI [1b2c:0301] には、ドライバ "
                          "OrScsi.inf のモデル行の 3 番目以降の ID PCI\\VEN_1B2C&DEV_0301 "
                          "だけが一致します。"));
    // An INF whose only ID is a class code claims the AHCI controller.
    dir.write("ahci/X86/ORSCSI.SYS", slurp(kSampleDriverFolder + "/X86/ORSCSI.SYS"));
    const std::string ahci = dir.write(
        "ahci/OrAhci.inf",
        std::regex_replace(slurp(kSampleDriverInf), std::regex("PCI\\\\VEN_1B2C&DEV_030[12][^\r]*"),
                           "PCI\\CC_0106"));
    CommandResult byClass =
        runBuild({"--check-driver", ahci, "--work", work, "--target-hardware", listing});
    EXPECT_THAT(byClass.output,
                HasSubstr("サービス OrScsi のドライバはクラスコード PCI\\CC_0106 だけで結び付き"));
    EXPECT_THAT(byClass.output, HasSubstr("対象のハードウェアでは 00:1f.2 Intel Corporation"));
    CommandResult noTarget = runBuild({"--check-driver", ahci, "--work", work});
    EXPECT_THAT(noTarget.output, AllOf(HasSubstr("クラスコード PCI\\CC_0106"),
                                       Not(HasSubstr("対象のハードウェア"))));
}

} // namespace
} // namespace ornibe::test
