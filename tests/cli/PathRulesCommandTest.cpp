#include "media/IsoImageReader.h"
#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/IsoFixtures.h"
#include "support/OrdinaryUser.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// Every path the user names in one build is held against every other
// before anything changes: each run here is refused with exit status 2
// and a message that names both paths, and leaves every file as it was.
class PathRulesCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(kSampleTree, work, fs::copy_options::recursive);
        fs::copy(kSampleTree, cd, fs::copy_options::recursive);
        fs::copy(kSampleDriverFolder, dir / "drv", fs::copy_options::recursive);
        ASSERT_TRUE(makeIsoImage(cd, image, labelled("WXPVOL_JA")));
        fs::create_symlink("xp.iso", dir / "link.iso");
        fs::create_symlink("cd", dir / "cdlink");
    }

    // Runs ornibe-build in the test's folder, so that relative names are
    // taken from there.
    CommandResult build(std::vector<std::string> arguments) const {
        return runBuild(std::move(arguments), dir.path());
    }

    void expectRefused(const std::vector<Refusal>& refusals) const {
        expectRefusedLeavingAsItWas(dir.path(), refusals, dir.path());
    }

    TempDir dir;
    const std::string work = dir / "xp";
    const std::string cd = dir / "cd";
    const std::string image = dir / "xp.iso";
    const std::string inf = dir / "drv/OrScsi.inf";
};

TEST_F(PathRulesCommandTest, outputs_never_land_on_an_input_a_file_of_the_tree_or_each_other) {
    const std::string cannotMake = "ISO イメージ ";
    expectRefused({
        // Relative names are taken from the current folder.
        {{"--work", work, "--source", image, "--iso", "xp.iso"},
         cannotMake + image + " を作成できません。\n読込元 " + image + " と同じファイルです。"},
        {{"--work", work, "--source", image, "--iso", "link.iso"},
         dir / "link.iso" + " を作成できません。\n読込元 " + image + " と同じファイルです。"},
        {{"--work", work, "--source", image, "--log", "xp.iso"},
         "ログファイル " + image + " を書き込めません。\n読込元 " + image},
        {{"--work", work, "--driver", inf, "--iso", inf}, "ドライバの INF ファイル " + inf},
        {{"--work", work, "--driver", inf, "--log", dir / "drv/X86/ORSCSI.SYS"},
         "ドライバのファイル " + dir / "drv/X86/ORSCSI.SYS" + " と同じファイルです。"},
        {{"--work", work, "--unattended", "--full-name", "T", "--pnp-driver", inf, "--iso", inf},
         "PnP ドライバの INF ファイル " + inf},
        {{"--work", work, "--unattended", "--full-name", "T", "--pnp-driver", inf, "--log",
          dir / "drv/X86/ORSCSI.SYS"},
         "PnP ドライバのファイル " + dir / "drv/X86/ORSCSI.SYS" + " と同じファイルです。"},
        {{"--work", work, "--iso", "out.iso", "--log", "out.iso"},
         "ログファイル " + dir / "out.iso" + " と同じファイルです。"},
        // In the tree, names match as Windows matches them.
        {{"--work", work, "--iso", work + "/I386/txtsetup.sif"},
         work + "/I386/TXTSETUP.SIF は作業フォルダのファイルです。"},
        {{"--work", dir / "new", "--source", cd, "--iso", dir / "new/readme.txt", "--yes"},
         "読込元の " + cd + "/README.TXT が作業フォルダのこの名前にコピーされます。"},
        {{"--work", work, "--log", work + "/build.log"}, "作業フォルダ " + work + " の中です。"},
        {{"--work", work, "--source", cd, "--iso", cd + "/out.iso"},
         "読込元のフォルダ " + cd + " の中です。"},
        {{"--work", dir / "new", "--source", image, "--iso", dir / "new", "--yes"},
         "作業フォルダ " + dir / "new" + " と同じ名前です。"},
    });
}

// A driver floppy given as a folder: the sample driver's files with a
// TXTSETUP.OEM of its own that names them and a tag file.
constexpr const char* kFloppyOem = "[Disks]\r\n"
                                   "d1 = \"Sample Driver Disk\", \\tagfile, \\\r\n"
                                   "d2 = \"Sample Driver Disk\", \\tagfile, \\X86\r\n"
                                   "[Defaults]\r\n"
                                   "scsi = ORSCSI\r\n"
                                   "[scsi]\r\n"
                                   "ORSCSI = \"Sample SCSI Controller\", OrScsi\r\n"
                                   "[Files.scsi.ORSCSI]\r\n"
                                   "driver = d2, orscsi.sys, OrScsi\r\n"
                                   "inf = d1, OrScsi.inf\r\n"
                                   "[HardwareIds.scsi.ORSCSI]\r\n"
                                   "id = \"PCI\\VEN_1B2C&DEV_0301\", \"OrScsi\"\r\n";

TEST_F(PathRulesCommandTest, outputs_never_land_on_a_floppy_file_or_the_hardware_listing) {
    const std::string floppy = dir / "floppy";
    fs::copy(kSampleDriverFolder, floppy, fs::copy_options::recursive);
    const std::string oem = dir.write("floppy/TXTSETUP.OEM", kFloppyOem);
    const std::string tag = dir.write("floppy/tagfile", "");
    const std::string driver = floppy + "/X86/ORSCSI.SYS";
    // A second name of the driver file, and one of the TXTSETUP.OEM.
    fs::create_hard_link(driver, dir / "hard.sys");
    fs::create_symlink("floppy/TXTSETUP.OEM", dir / "oem.link");
    const std::string listing =
        dir.write("board.txt", "00:1f.2 SATA controller [0106]: Intel Corporation 82801IR/IO/IH "
                               "(ICH9R/DO/DH) 6 port SATA Controller [AHCI mode] [8086:2922] "
                               "(rev 02)\n");
    const std::string sameFile = " と同じファイルです。";
    expectRefused({
        {{"--work", work, "--driver", floppy, "--iso", "oem.link"},
         "ISO イメージ " + dir / "oem.link" + " を作成できません。\nドライバのファイル " + oem +
             sameFile},
        {{"--work", work, "--driver", floppy, "--log", dir / "hard.sys"},
         "ドライバのファイル " + driver + sameFile},
        {{"--work", work, "--driver", oem, "--iso", tag}, "ドライバのファイル " + tag + sameFile},
        {{"--work", work, "--driver", oem, "--log", oem},
         "ログファイル " + oem + " を書き込めません。\nドライバディスク " + oem + sameFile},
        {{"--work", work, "--target-hardware", "board.txt", "--iso", listing},
         "対象のハードウェアのファイル " + listing + sameFile},
        {{"--work", work, "--target-hardware", listing, "--log", "board.txt"},
         "対象のハードウェアのファイル " + listing + sameFile},
    });
    // A file of the floppy folder that TXTSETUP.OEM does not name is no
    // input: the log may go there.
    CommandResult result = build({"--work", work, "--driver", floppy, "--log", floppy + "/b.log"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(fs::exists(floppy + "/b.log"));
}

TEST_F(PathRulesCommandTest, the_users_answer_file_is_an_input_that_nothing_replaces) {
    const std::string answer =
        "[Data]\r\nUnattendedInstall = \"Yes\"\r\n[UserData]\r\nFullName = \"Test\"\r\n";
    const std::string mine = dir.write("mine.sif", answer);
    // In the work folder under a name the source's copy would write there.
    const std::string inTree = dir.write("new/README.TXT", answer);
    const std::string cannotUse = "応答ファイル ";
    expectRefused({
        {{"--work", work, "--answer-file", mine, "--iso", "mine.sif"},
         "ISO イメージ " + mine + " を作成できません。\n応答ファイル " + mine +
             " と同じファイルです。"},
        {{"--work", work, "--answer-file", "mine.sif", "--log", mine},
         "ログファイル " + mine + " を書き込めません。\n応答ファイル " + mine},
        {{"--work", dir / "new", "--source", cd, "--answer-file", inTree, "--yes"},
         cannotUse + inTree + " は使えません。\n読込元の " + cd +
             "/README.TXT が作業フォルダのこの名前にコピーされ、このファイルを置き換えます。"},
    });
    // Beside the tree it is read as it is.
    CommandResult result =
        build({"--work", dir / "new", "--source", cd, "--answer-file", mine, "--yes"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(fileHolds(dir / "new/I386/WINNT.SIF", answer));
    EXPECT_TRUE(fileHolds(mine, answer));
}

TEST_F(PathRulesCommandTest,
       work_folders_that_are_root_home_a_file_or_meet_the_source_are_refused) {
    const std::string home = dir.mkdir("home");
    fs::create_symlink("home", dir / "homelink");
    const std::string empty = dir.mkdir("empty");
    const std::string cannotUse = "作業フォルダ ";
    expectRefused({
        // Without a CD to read, the folder is refused for what it is, not
        // for the version its missing tree cannot give the answer file.
        {{"--work", cd + "/README.TXT", "--unattended", "--full-name", "T"},
         cannotUse + cd + "/README.TXT は使えません。\nフォルダではなくファイルです。"},
        {{"--work", empty, "--unattended", "--full-name", "T"},
         "この作業フォルダは使えません。\n" + empty + "/I386/TXTSETUP.SIF がありません。"},
        {{"--work", "/"}, "作業フォルダ / は使えません。\nルートフォルダ (/) です。"},
        {{"--work", cd + "/README.TXT", "--source", image, "--yes"},
         cannotUse + cd + "/README.TXT は使えません。\nフォルダではなくファイルです。"},
        {{"--work", cd, "--source", cd}, "読込元 " + cd + " と同じフォルダです。"},
        {{"--work", dir / "cdlink/I386", "--source", cd, "--yes"},
         cannotUse + dir / "cdlink/I386" + " は使えません。\n読込元 " + cd + " の中にあります。"},
        {{"--work", dir.path(), "--source", image}, "読込元 " + image + " がその中にあります。"},
    });
    // The home folder, also through a link; a folder in it is fine.
    const TreeSnapshot before = snapshotTree(dir.path());
    CommandResult result = runCommand(
        {"env", "HOME=" + home, kProgram, "--work", dir / "homelink", "--source", cd, "--yes"});
    EXPECT_EQ(result.exitCode, 2) << result.output;
    EXPECT_THAT(result.output, HasSubstr("ホームフォルダ " + home + " そのものです。"));
    EXPECT_EQ(snapshotTree(dir.path()), before);
}

TEST_F(PathRulesCommandTest, a_log_that_could_not_be_written_at_the_end_is_refused_first) {
    dir.mkdir("logs");
    const std::string readOnly = dir.write("old.log", "earlier log");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    fs::create_symlink("old.log", dir / "link.log");
    const std::string cannotWrite = "ログファイル ";
    expectRefused({
        {{"--work", work, "--log", "nowhere/build.log"},
         cannotWrite + dir / "nowhere/build.log" + " を書き込めません。\n" + dir / "nowhere" +
             " というフォルダはありません。"},
        {{"--work", work, "--log", "logs"}, "フォルダの名前です。"},
        {{"--work", work, "--log", "old.log"}, "読み取り専用のファイルです。"},
        {{"--work", work, "--log", "link.log"}, "シンボリックリンクです。"},
    });

    // A folder the user may not write into, as a user without root's
    // rights meets it.
    std::optional<OrdinaryUser> user = ordinaryUser();
    if (!user) {
        GTEST_SKIP() << "no unprivileged account named nobody to run the program as";
    }
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const std::string locked = dir.mkdir("locked");
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    const TreeSnapshot before = snapshotTree(dir.path());
    CommandResult result = runCommand(asOrdinaryUser(
        *user, {kProgram, "--work", work, "--log", locked + "/build.log", "--quiet"}));
    EXPECT_EQ(result.exitCode, 2) << result.output;
    EXPECT_THAT(result.output, HasSubstr(locked + " に書き込めません（Permission denied）。"));
    EXPECT_THAT(result.output, Not(HasSubstr("完成です！")));
    EXPECT_EQ(snapshotTree(dir.path()), before);
}

TEST_F(PathRulesCommandTest, an_earlier_image_in_the_work_folder_stays_out_of_the_next_one) {
    // Relative names from the work folder itself: the image lands in it.
    CommandResult first =
        runCommand({kProgram, "--work", ".", "--iso", "first.iso", "--log", "../first.log"}, work);
    ASSERT_EQ(first.exitCode, 0) << first.output;
    ASSERT_TRUE(fs::exists(work + "/first.iso"));
    EXPECT_THAT(slurp(dir / "first.log"), Not(HasSubstr("leaving out")));
    const std::string earlier = slurp(work + "/first.iso");

    // Under another name, taken from the current folder: the earlier image
    // is named in the log and left out, and stays as it was.
    CommandResult second = build({"--work", work, "--iso", "second.iso"});
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_FALSE(fs::exists(work + "/second.iso"));
    EXPECT_THAT(second.output,
                HasSubstr("cdimage: leaving out " + work + "/first.iso: an earlier ISO image\n"));
    IsoImageReader made(dir / "second.iso");
    ASSERT_TRUE(made.ok()) << made.error();
    EXPECT_TRUE(made.readFile("README.TXT"));
    EXPECT_FALSE(made.readFile("FIRST.ISO"));
    EXPECT_EQ(slurp(work + "/first.iso"), earlier);
}

} // namespace
} // namespace ornibe::test
