#include "runner/BuildRunner.h"

#include "runner/MemoryProgressLog.h"
#include "runner/Summary.h"
#include "support/BuildTreeTools.h"
#include "support/FakeBuildPage.h"
#include "support/FileAssertions.h"
#include "support/LogAssertions.h"
#include "support/TempDir.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

using namespace ornibe;
using namespace ornibe::test;
namespace fs = std::filesystem;

namespace {

// Whole builds over a generated installation tree with the project's own
// tools (makecab, extract, cdimage). The attribute tool is a stand-in that
// does nothing, so that a read-only setup file stays read-only.
class BuildStagesTest : public ::testing::Test {
protected:
    void SetUp() override { linkBuildTreeTools(dir / "tools"); }
    void generate(const std::string& target, const std::string& nameCase = "upper") {
        std::string command = "python3 " + std::string(ORNIBE_SOURCE_DIR) +
                              "/tests/e2e/tree_generator/make_tree.py --target " + target +
                              " --case " + nameCase + " --tree '" + dir / "work" + "' --driver '" +
                              dir / "drv" + "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        settings.SetWorkFolder(dir / "work");
        settings.AddDriverInf(dir / "drv/OrScsi.inf");
    }
    // Opens the confirmation page (summary) and presses "実行！".
    void openAndRun() {
        MemoryProgressLog summary;
        writeSummary(settings, data, summary, tools);
        BuildRunner(settings, data, page, tools).runBuild();
    }

    TempDir dir;
    ToolSearch tools = test::toolSearch(dir / "tools", dir.path());
    BuildSettings settings;
    ConfirmData data;
    FakeBuildPage page;
};

} // namespace

TEST_F(BuildStagesTest, xp_build_with_catalog_integrates_the_driver_and_writes_the_image) {
    generate("xp");
    settings.SetIsoPath("xp.iso"); // relative: written inside the tree being imaged
    settings.SetVolumeLabel("WXP ORNIBE");
    openAndRun();
    ASSERT_EQ(page.pageCode(), 0) << page.logText();
    EXPECT_TRUE(hasLinesInOrder(
        page.logText(),
        {"ORSCSI.SYS をコピーしています。。。完了", "OrScsi.inf をコピーしています。。。完了",
         "ORSCSI.CAT をコピーしています。。。完了", "", "TXTSETUP.SIF を修正しています。。。完了",
         "DOSNET.INF を修正しています。。。完了", "SVCPACK.INF を修正しています。。。完了",
         "ドライバの統合が完了しました。", "",
         "Windows2000 ではないので、Big Drive 対応化はされません。", "",
         "ISO イメージを作成しています。。。", "完了"}))
        << page.logText();
    EXPECT_TRUE(fs::exists(dir / "work/I386/ORSCSI.SY_"));
    EXPECT_TRUE(fs::exists(dir / "work/I386/SVCPACK/ORSCSI.CAT"));
    EXPECT_FALSE(fs::exists(dir / "work/I386/TEMP"));
    std::string sif = slurp(dir / "work/I386/TXTSETUP.SIF");
    EXPECT_NE(sif.find("\r\n[SCSI.Load]\r\nOrScsi = OrScsi.sys,4\r\n"), std::string::npos);
    EXPECT_TRUE(sif.ends_with("\r\n\x1A"));

    // The image holds the tree but not itself.
    std::string listing = dir / "listing";
    std::string command = "xorriso -indev '" + dir / "work/xp.iso" +
                          "' -find / -type f 2>/dev/null > '" + listing + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string files = slurp(listing);
    EXPECT_NE(files.find("/I386/ORSCSI.SY_"), std::string::npos) << files;
    EXPECT_EQ(files.find("XP.ISO"), std::string::npos) << files;
}

TEST_F(BuildStagesTest, second_build_over_the_same_tree_changes_no_setup_file) {
    generate("xp", "lower");
    openAndRun();
    ASSERT_EQ(page.pageCode(), 0) << page.logText();
    std::string sif = slurp(dir / "work/i386/txtsetup.sif");
    std::string dosnet = slurp(dir / "work/i386/dosnet.inf");
    std::string svcpack = slurp(dir / "work/i386/svcpack.in_");

    FakeBuildPage second;
    MemoryProgressLog summary;
    writeSummary(settings, data, summary, tools);
    BuildRunner(settings, data, second, tools).runBuild();
    ASSERT_EQ(second.pageCode(), 0) << second.logText();
    EXPECT_EQ(slurp(dir / "work/i386/txtsetup.sif"), sif);
    EXPECT_EQ(slurp(dir / "work/i386/dosnet.inf"), dosnet);
    EXPECT_EQ(slurp(dir / "work/i386/svcpack.in_"), svcpack);
    // No folder holds two names that differ only in case.
    EXPECT_FALSE(fs::exists(dir / "work/I386"));
    EXPECT_FALSE(fs::exists(dir / "work/i386/TXTSETUP.SIF"));
}

TEST_F(BuildStagesTest, windows_2000_big_drive_patches_mshdc) {
    generate("2000");
    settings.ClearDriverInfs();
    openAndRun();
    ASSERT_EQ(page.pageCode(), 0) << page.logText();
    EXPECT_EQ(page.logText(), "\r\nスタート！\r\n\r\n\r\nMSHDC.INF を修正しています。。。完了\r\n"
                              "Big Drive 対応化が完了しました。\r\n\r\n");
    EXPECT_TRUE(fs::exists(dir / "work/I386/MSHDC.IN_"));
    EXPECT_FALSE(fs::exists(dir / "work/I386/MSHDC.INF"));
}

TEST_F(BuildStagesTest, failing_makecab_ends_the_svcpack_step_and_keeps_the_setup_file) {
    generate("xp");
    std::string before = slurp(dir / "work/I386/SVCPACK.IN_");
    // Staging falls back to the supplied compressed file; make one.
    fs::copy_file(dir / "work/I386/SVCPACK.IN_", dir / "drv/X86/ORSCSI.SY_");
    fs::copy_file(dir / "work/I386/SVCPACK.IN_", dir / "drv/OrScsi.in_");
    fs::remove(dir / "tools/makecab");
    writeScript(dir / "tools/makecab", "exit 1\n");
    openAndRun();
    EXPECT_TRUE(page.logText().ends_with("SVCPACK.INF を修正しています。。。"
                                         "\r\nSVCPACK.INF の修正に失敗しました\r\n" +
                                         dir / "tools/makecab" + ": 終了コード 1"))
        << page.logText();
    EXPECT_TRUE(page.isEnabled(PageButton::Back));
    EXPECT_EQ(slurp(dir / "work/I386/SVCPACK.IN_"), before);
}

TEST_F(BuildStagesTest, file_error_in_a_patcher_ends_the_build_with_the_reason) {
    generate("xp");
    std::string sif = dir / "work/I386/TXTSETUP.SIF";
    std::string before = slurp(sif);
    chmod(sif.c_str(), 0444);
    openAndRun();
    EXPECT_TRUE(page.logText().ends_with("TXTSETUP.SIF を修正しています。。。"
                                         "\r\nTXTSETUP.SIF の修正に失敗しました\r\n" +
                                         sif + ": Permission denied"))
        << page.logText();
    EXPECT_TRUE(page.isEnabled(PageButton::Back));
    EXPECT_FALSE(page.isEnabled(PageButton::Run));
    EXPECT_FALSE(page.pageCode().has_value());
    EXPECT_EQ(slurp(sif), before);
    EXPECT_FALSE(fs::exists(dir / "work/I386/TEMP"));
}

// Faults met by the driver stage after the settings were checked: each
// ends the build with the step's message and, on the next line, the file
// or tool and the reason.
TEST_F(BuildStagesTest, driver_stage_failures_end_with_the_file_and_the_reason) {
    generate("xp");
    auto buildWith = [&](const std::function<void()>& fault) {
        FakeBuildPage failed;
        MemoryProgressLog summary;
        data = ConfirmData();
        writeSummary(settings, data, summary, tools);
        fault();
        BuildRunner(settings, data, failed, tools).runBuild();
        EXPECT_TRUE(failed.isEnabled(PageButton::Back));
        EXPECT_FALSE(failed.pageCode().has_value());
        return failed.logText();
    };
    const std::string staging = "\r\nスタート！\r\n\r\nORSCSI.SYS をコピーしています。。。"
                                "ファイルコピーに失敗しました\r\n";
    TreeSnapshot tree = snapshotTree(dir / "work");

    // The driver file went away after the summary read the INF.
    std::string log = buildWith([&] { fs::rename(dir / "drv/X86/ORSCSI.SYS", dir / "moved"); });
    EXPECT_EQ(log, staging + dir / "drv/X86/ORSCSI.SYS" + ": No such file or directory");
    EXPECT_EQ(snapshotTree(dir / "work"), tree);
    fs::rename(dir / "moved", dir / "drv/X86/ORSCSI.SYS");

    // makecab fails and the medium supplies no compressed form.
    fs::remove(dir / "tools/makecab");
    writeScript(dir / "tools/makecab", "echo 'makecab: cannot write the cabinet' >&2\nexit 1\n");
    log = buildWith([] {});
    EXPECT_EQ(log, staging + dir / "tools/makecab" +
                       ": 終了コード 1（makecab: cannot write the cabinet）");
    EXPECT_EQ(snapshotTree(dir / "work"), tree);
    fs::remove(dir / "tools/makecab");
    fs::create_symlink(std::string(ORNIBE_BUILD_TOOL_DIR) + "/makecab", dir / "tools/makecab");

    // A folder left in TEMP where the work copy goes: extract refuses to
    // replace it, and SVCPACK.IN_ stays as it was.
    std::string svcpack = slurp(dir / "work/I386/SVCPACK.IN_");
    std::string temp = dir.mkdir("work/I386/TEMP/SVCPACK.INF");
    log = buildWith([] {});
    EXPECT_TRUE(log.ends_with("SVCPACK.INF を修正しています。。。"
                              "\r\nSVCPACK.INF の修正に失敗しました\r\n" +
                              dir / "tools/extract" + ": 終了コード 1（extract: cannot replace " +
                              temp + ": it is a folder）"))
        << log;
    EXPECT_EQ(slurp(dir / "work/I386/SVCPACK.IN_"), svcpack);
}

TEST_F(BuildStagesTest, driver_without_catalog_leaves_dosnet_and_svcpack_alone) {
    generate("xp");
    std::string inf = slurp(dir / "drv/OrScsi.inf");
    size_t at = inf.find("CatalogFile=OrScsi.cat\r\n");
    ASSERT_NE(at, std::string::npos);
    inf.erase(at, std::string("CatalogFile=OrScsi.cat\r\n").size());
    dir.write("drv/OrScsi.inf", inf);
    std::string dosnet = slurp(dir / "work/I386/DOSNET.INF");
    std::string svcpack = slurp(dir / "work/I386/SVCPACK.IN_");
    openAndRun();
    ASSERT_EQ(page.pageCode(), 0) << page.logText();
    EXPECT_NE(page.logText().find("TXTSETUP.SIF を修正しています。。。完了\r\n"
                                  "ドライバの統合が完了しました。\r\n\r\n"),
              std::string::npos)
        << page.logText();
    EXPECT_EQ(slurp(dir / "work/I386/DOSNET.INF"), dosnet);
    EXPECT_EQ(slurp(dir / "work/I386/SVCPACK.IN_"), svcpack);
    EXPECT_FALSE(fs::exists(dir / "work/I386/SVCPACK/ORSCSI.CAT"));
}

// A reused work folder that carries links to a folder of the user's: in
// place of I386, of its TEMP folder, and of a setup file. Each build stops
// with a message that names the link, and the user's folder is unchanged.
TEST_F(BuildStagesTest, links_in_a_reused_work_folder_never_lead_the_build_outside) {
    generate("xp");
    settings.SetIsoPath("xp.iso");
    std::string user = dir.mkdir("user");
    dir.write("user/SVCPACK.INF", "the user's own file");
    dir.write("user/MSHDC.INF", "the user's own file");
    dir.write("user/notes.txt", "private");
    auto runExpectingRefusal = [&](const std::string& link) {
        FakeBuildPage stopped;
        MemoryProgressLog summary;
        data = ConfirmData();
        writeSummary(settings, data, summary, tools);
        BuildRunner(settings, data, stopped, tools).runBuild();
        EXPECT_NE(stopped.pageCode(), 0);
        const std::string& log = stopped.logText();
        size_t named = log.find(link + ": ");
        EXPECT_NE(named, std::string::npos) << log;
        EXPECT_NE(log.find("シンボリックリンクです", named), std::string::npos) << log;
        EXPECT_EQ(stopped.logText().find("完成です！"), std::string::npos);
    };

    // The whole I386 folder lives outside.
    fs::rename(dir / "work/I386", dir / "user/I386");
    fs::create_symlink(dir / "user/I386", dir / "work/I386");
    TreeSnapshot before = snapshotTree(user);
    runExpectingRefusal(dir / "work/I386");
    EXPECT_EQ(snapshotTree(user), before);
    fs::remove(dir / "work/I386");
    fs::rename(dir / "user/I386", dir / "work/I386");

    // TEMP, where the work copies are made and removed, leads outside.
    fs::create_symlink(user, dir / "work/I386/TEMP");
    before = snapshotTree(user);
    runExpectingRefusal(dir / "work/I386/TEMP");
    EXPECT_EQ(snapshotTree(user), before);
    fs::remove(dir / "work/I386/TEMP");

    // SVCPACK.IN_ is a link to a file outside: its content would be packed
    // into the tree.
    fs::rename(dir / "work/I386/SVCPACK.IN_", dir / "user/SVCPACK.IN_");
    fs::create_symlink(dir / "user/SVCPACK.IN_", dir / "work/I386/SVCPACK.IN_");
    before = snapshotTree(user);
    runExpectingRefusal(dir / "work/I386/SVCPACK.IN_");
    EXPECT_EQ(snapshotTree(user), before);
}

// A driver INF that names files above its folder (the catalog, the disk
// path of its driver, a companion INF): the driver stage ends with a
// message naming the INF and the path, and nothing reaches the tree.
TEST_F(BuildStagesTest, hostile_inf_paths_above_its_folder_end_the_driver_stage) {
    generate("xp");
    dir.write("secret.cat", "private bytes");
    dir.write("drv/x86/secret.sys", "private bytes");
    std::string inf = slurp(dir / "drv/OrScsi.inf");
    for (auto [from, to] : {std::pair<std::string, std::string>{"CatalogFile=OrScsi.cat",
                                                                "CatalogFile=..\\secret.cat"},
                            {"1 = %OrDisk%,,,\\x86", "1 = %OrDisk%,,,\\x86\\..\\..\\drv\\x86"},
                            {"CopyFiles = OrScsi_Files", "CopyFiles = OrScsi_Files\r\n"
                                                         "CopyINF = ..\\..\\etc\\passwd"}}) {
        ASSERT_NE(inf.find(from), std::string::npos) << from;
        inf.replace(inf.find(from), from.size(), to);
    }
    dir.write("drv/OrScsi.inf", inf);
    TreeSnapshot outside = snapshotTree(dir / "drv");
    TreeSnapshot tree = snapshotTree(dir / "work");

    openAndRun();
    EXPECT_NE(page.pageCode(), 0);
    EXPECT_TRUE(hasLinesInOrder(
        page.logText(),
        {"ファイルコピーに失敗しました",
         dir / "drv/OrScsi.inf" + ": ../secret.cat は「..」で上のフォルダを指しています"}))
        << page.logText();
    EXPECT_EQ(page.logText().find("完成です！"), std::string::npos);
    EXPECT_EQ(snapshotTree(dir / "drv"), outside);
    // The attribute step is a stand-in: the tree is exactly as it was.
    EXPECT_EQ(snapshotTree(dir / "work"), tree);
}
