#include "runner/BuildRunner.h"

#include "settings/CdDriveEntry.h"
#include "support/FakeBuildPage.h"
#include "support/LogAssertions.h"
#include "support/TempDir.h"
#include "support/TestEnvironment.h"
#include "sys/CommandLine.h"
#include "sys/FileError.h"
#include "sys/FolderLock.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

using namespace ornibe;
using namespace ornibe::test;

namespace {

// Each test runs the build in a fresh folder with its own tool folder of
// stand-in scripts, in an environment of its own.
class BuildRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.mkdir("tools");
        // The attribute tool leaves a mark in the folder it ran in.
        writeScript(dir / "tools/attrib", "echo \"$@\" > attrib-ran\n");
        settings.SetWorkFolder(dir.mkdir("work"));
        data.target.version = WindowsVersion::WindowsXp;
        data.target.buildNumber = "2600";
    }
    void run() {
        BuildRunner runner(settings, data, page, tools);
        runner.runBuild();
    }
    // Puts a folder of stand-in programs in front of PATH.
    void prependPath(const std::string& folder) {
        tools = toolSearch(dir / "tools", dir.path(), withPathFirst(folder));
    }
    // PATH, and only PATH, set to folder.
    void usePath(const std::string& folder) {
        tools = toolSearch(dir / "tools", dir.path(), hostEnvironment().with("PATH", folder));
    }
    bool finishedAndQuit() {
        return page.pageCode() == 0 && page.messages().shown.size() == 1 &&
               page.messages().shown[0].text == "完成です！" &&
               page.messages().shown[0].style ==
                   MessageStyle{MessageButtons::Ok, MessageIcon::Information, false};
    }
    void expectStoppedWith(const std::string& lastText) {
        EXPECT_TRUE(page.logText().ends_with(lastText)) << page.logText();
        EXPECT_TRUE(page.isEnabled(PageButton::Back));
        EXPECT_FALSE(page.isEnabled(PageButton::Run));
        EXPECT_FALSE(page.pageCode().has_value());
        EXPECT_TRUE(page.messages().shown.empty());
    }

    TempDir dir;
    ToolSearch tools = toolSearch(dir / "tools", dir.path());
    BuildSettings settings;
    ConfirmData data;
    FakeBuildPage page;
};

} // namespace

TEST_F(BuildRunnerTest, nothing_chosen_but_big_drive_on_xp_logs_start_and_the_skip_only) {
    settings.SetBigDrive(1);
    run();
    EXPECT_EQ(page.logText(), "\r\nスタート！\r\n\r\n"
                              "Windows2000 ではないので、Big Drive 対応化はされません。\r\n\r\n");
    EXPECT_TRUE(finishedAndQuit());
    // The attribute step ran in the work folder: read-only cleared, recursively, folders too.
    EXPECT_EQ(slurp(dir / "work/attrib-ran"), "-R /S /D\n");
}

TEST_F(BuildRunnerTest, unchecked_big_drive_writes_no_big_drive_line_whatever_the_target) {
    settings.SetBigDrive(0);
    data.target.version = WindowsVersion::Windows2000;
    run();
    EXPECT_EQ(page.logText(), "\r\nスタート！\r\n\r\n");
    EXPECT_TRUE(finishedAndQuit());
}

TEST_F(BuildRunnerTest, failing_service_pack_stops_before_the_attribute_step) {
    settings.SetBigDrive(0);
    std::string installer = dir / "sp dir/xpsp3.sh";
    writeScript(installer, "echo installing \"$1\"; echo oops >&2; exit 1\n");
    settings.SetServicePackPath(installer);
    run();
    EXPECT_TRUE(
        hasLinesInOrder(page.logText(), {"Service Pack を適用しています。。。",
                                         "\"" + installer + "\" -s:\"" + dir / "work" + "\""}));
    // The installer's own output follows, its standard error included.
    expectStoppedWith("\r\ninstalling -s:" + dir / "work" +
                      "\noops\n\r\nService Pack 適用に失敗しました\r\n" + installer +
                      ": 終了コード 1");
    EXPECT_FALSE(std::filesystem::exists(dir / "work/attrib-ran"));
}

TEST_F(BuildRunnerTest, service_pack_that_succeeds_logs_done) {
    settings.SetBigDrive(0);
    dir.write("work/I386/SP3.CAT", "old");
    std::string installer = dir / "sp.sh";
    writeScript(installer, "echo new > \"" + dir / "work/I386/SP3.CAT" + "\"\n");
    settings.SetServicePackPath(installer);
    run();
    EXPECT_TRUE(page.logText().ends_with("\"\r\n完了\r\n\r\n")) << page.logText();
    EXPECT_TRUE(finishedAndQuit());
}

TEST_F(BuildRunnerTest, service_pack_that_ends_with_0_and_changes_nothing_in_i386_fails) {
    settings.SetBigDrive(0);
    dir.write("work/I386/TXTSETUP.SIF", "sif");
    std::string installer = dir / "sp.sh";
    // What a 32-bit installer does under a Wine without its 32-bit part:
    // it crashes, and Wine still ends with 0.
    writeScript(installer, "touch \"" + dir / "work/elsewhere" + "\"\nexit 0\n");
    settings.SetServicePackPath(installer);
    run();
    expectStoppedWith("\r\nService Pack 適用に失敗しました\r\n" + dir / "work/I386" +
                      ": インストーラは終了コード 0 で終わりましたが、"
                      "この中のファイルは何も変わっていません。");
    EXPECT_FALSE(std::filesystem::exists(dir / "work/attrib-ran"));
}

TEST_F(BuildRunnerTest, windows_installer_runs_through_wine_with_the_work_folder_on_drive_z) {
    settings.SetBigDrive(0);
    settings.SetWorkFolder(dir.mkdir("my work"));
    std::string installer = dir.write("WindowsXP-KB936929-SP3-x86-JPN.exe", "MZ\x90");
    settings.SetServicePackPath(installer);
    dir.write("my work/I386/TXTSETUP.SIF", "sif");
    // Wine writes its debug lines and the note about a new prefix around
    // what the installer writes.
    writeScript(dir / "bin/wine",
                "printf '%s\\n' \"$@\" > \"" + dir / "wine-args" +
                    "\"\n"
                    "echo \"wine: created the configuration directory '/p'\" >&2\n"
                    "echo '0024:err:module:import_dll Library X not found' >&2\n"
                    "echo 'fixme:ntdll:stub' >&2\n"
                    "echo 'Extracting files'\n"
                    "echo sp3 > \"" +
                    dir / "my work/I386/SP3.CAT" + "\"\n");
    tools = toolSearch(dir / "tools", dir.path(),
                       withPathFirst(dir / "bin").with("WINEPREFIX", dir / "no-prefix-yet"));
    run();
    std::string zPath = "Z:" + dir.path() + "/my work";
    std::replace(zPath.begin(), zPath.end(), '/', '\\');
    EXPECT_EQ(slurp(dir / "wine-args"), installer + "\n-s:" + zPath + "\n");
    EXPECT_TRUE(page.logText().ends_with(
        "wine \"" + installer + "\" -s:\"" + zPath +
        "\"\r\nWine の初期設定をしています（初回は 10～15 秒かかります）。。。\r\n"
        "Extracting files\n完了\r\n\r\n"))
        << page.logText();
    EXPECT_TRUE(finishedAndQuit());
}

TEST_F(BuildRunnerTest, windows_installer_without_wine_fails_with_the_service_pack_message) {
    settings.SetBigDrive(0);
    settings.SetServicePackPath(dir.write("sp.exe", "MZ"));
    usePath(dir.mkdir("empty-path"));
    run();
    // The program is started as it is and cannot be; the reason follows.
    expectStoppedWith("\r\nService Pack 適用に失敗しました\r\n" + dir / "sp.exe" +
                      ": Permission denied");
}

TEST_F(BuildRunnerTest, cd_copy_fills_the_work_folder_behind_a_progress_window) {
    settings.SetBigDrive(0);
    dir.write("cd/I386/TXTSETUP.SIF", "sif");
    dir.write("cd/WIN51", "");
    settings.SetCdDriveIndex(1);
    settings.SetCdDriveEntry(makeCdDriveEntry(dir / "cd", "WXPFPP_JA"));
    settings.setCdDriveRoot(dir / "cd");
    run();
    EXPECT_EQ(slurp(dir / "work/I386/TXTSETUP.SIF"), "sif");
    EXPECT_EQ(page.logText(),
              "\r\nスタート！\r\n\r\nCD の内容を作業フォルダにコピーしています。。。完了\r\n\r\n");
    EXPECT_GT(page.progressReports(), 0);
    EXPECT_EQ(page.openProgressWindows(), 0);
    EXPECT_TRUE(page.notes().empty());
    EXPECT_TRUE(finishedAndQuit());
}

TEST_F(BuildRunnerTest,
       a_copied_folder_that_refuses_its_bits_and_times_is_a_notice_beside_the_log) {
    settings.SetBigDrive(0);
    dir.write("cd/I386/TXTSETUP.SIF", "sif");
    dir.write("cd/WIN51", "");
    settings.SetCdDriveIndex(1);
    settings.SetCdDriveEntry(makeCdDriveEntry(dir / "cd", "WXPFPP_JA"));
    settings.setCdDriveRoot(dir / "cd");
    // I386 is away from its place when its bits and times are set, and
    // back at the next file's report.
    std::string i386 = dir / "work/I386";
    int moves = 0;
    page.onCopyProgress([&] {
        if (moves == 0 && std::filesystem::exists(i386 + "/TXTSETUP.SIF")) {
            std::filesystem::rename(i386, i386 + ".away");
            ++moves;
        } else if (moves == 1) {
            std::filesystem::rename(i386 + ".away", i386);
            ++moves;
        }
    });
    run();
    ASSERT_EQ(moves, 2);
    EXPECT_EQ(slurp(i386 + "/TXTSETUP.SIF"), "sif");
    EXPECT_EQ(page.logText(),
              "\r\nスタート！\r\n\r\nCD の内容を作業フォルダにコピーしています。。。完了\r\n\r\n");
    EXPECT_EQ(page.notes(), std::vector<std::string>{
                                "アクセス権か日時を設定できなかったフォルダ：1 個（最初は " + i386 +
                                ": " + systemReason(ENOENT) + "）。中身はコピーしてあります。"});
    // The closing box says that a note stands beside the log.
    ASSERT_EQ(page.messages().shown.size(), 1u);
    EXPECT_EQ(page.messages().shown[0].text, "完成です！\nログとは別に注意が 1 件あります。");
    EXPECT_EQ(page.pageCode(), 0);
}

TEST_F(BuildRunnerTest, cd_link_that_leads_out_of_the_cd_is_left_out_with_a_line) {
    settings.SetBigDrive(0);
    dir.write("cd/I386/TXTSETUP.SIF", "sif");
    dir.write("private/secret.txt", "private");
    std::filesystem::create_symlink(dir / "private/secret.txt", dir / "cd/I386/SECRET.TXT");
    settings.SetCdDriveIndex(1);
    settings.SetCdDriveEntry(makeCdDriveEntry(dir / "cd", "WXPFPP_JA"));
    settings.setCdDriveRoot(dir / "cd");
    run();
    EXPECT_FALSE(std::filesystem::exists(dir / "work/I386/SECRET.TXT"));
    EXPECT_EQ(page.logText(),
              "\r\nスタート！\r\n\r\nCD の内容を作業フォルダにコピーしています。。。完了\r\n"
              "コピーしなかったリンクなど：" +
                  dir / "cd/I386/SECRET.TXT" + ": リンク先がコピー元の外にあります\r\n\r\n");
    EXPECT_TRUE(finishedAndQuit());
}

TEST_F(BuildRunnerTest, cancelled_cd_copy_is_a_copy_failure) {
    for (int i = 0; i < 5; ++i) {
        dir.write("cd/file" + std::to_string(i), "x");
    }
    settings.SetCdDriveIndex(1);
    settings.SetCdDriveEntry(makeCdDriveEntry(dir / "cd", ""));
    settings.setCdDriveRoot(dir / "cd");
    // The copy failure line, the user's stop as its reason, and what the
    // stop left in the work folder.
    const std::string stopped =
        "コピーしています。。。\r\nコピーに失敗しました\r\n中止しました\r\n" + dir / "work" +
        " には途中までコピーしたファイルが残っています。"
        "CD を読み込む次のビルドで置き換えられます。";
    page.cancelCopyAt(2);
    run();
    expectStoppedWith(stopped);
    EXPECT_EQ(page.openProgressWindows(), 0);
    EXPECT_FALSE(std::filesystem::is_empty(dir / "work"));

    // Ctrl+C (or quitting the window) during the copy: the same lines, then
    // the build's own stop line; no further step runs.
    FakeBuildPage ctrlC;
    ctrlC.stopBuildAt(2);
    BuildRunner(settings, data, ctrlC, tools).runBuild();
    EXPECT_TRUE(ctrlC.logText().ends_with(stopped + "\r\nビルドを中止しました。\r\n"))
        << ctrlC.logText();
    EXPECT_FALSE(std::filesystem::exists(dir / "work/attrib-ran"));
    EXPECT_TRUE(ctrlC.messages().shown.empty());
}

TEST_F(BuildRunnerTest, a_work_folder_that_another_build_holds_stops_the_build_before_its_start) {
    dir.write("cd/file", "x");
    settings.SetCdDriveIndex(1);
    settings.SetCdDriveEntry(makeCdDriveEntry(dir / "cd", ""));
    settings.setCdDriveRoot(dir / "cd");
    FolderLock otherBuild;
    ASSERT_EQ(otherBuild.take(dir / "work"), FolderLock::Result::Taken);
    run();
    expectStoppedWith("\r\nビルドを始められませんでした\r\n" + dir / "work" +
                      " では、ほかのビルドが実行中です。"
                      "そのビルドが終わってから、もう一度始めてください。");
    EXPECT_EQ(page.logText().find("スタート！"), std::string::npos);
    EXPECT_EQ(page.progressReports(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "work"));

    // The build holds the lock only while it runs.
    otherBuild.release();
    FakeBuildPage second;
    BuildRunner(settings, data, second, tools).runBuild();
    EXPECT_EQ(second.pageCode(), 0) << second.logText();
    EXPECT_EQ(otherBuild.take(dir / "work"), FolderLock::Result::Taken);
}

TEST_F(BuildRunnerTest, missing_cd_root_is_a_copy_failure_with_its_reason) {
    settings.SetCdDriveIndex(1);
    settings.SetCdDriveEntry(makeCdDriveEntry(dir / "no-disc", ""));
    settings.setCdDriveRoot(dir / "no-disc");
    run();
    EXPECT_NE(page.logText().find("\r\nコピーに失敗しました\r\n"), std::string::npos)
        << page.logText();
    EXPECT_TRUE(page.isEnabled(PageButton::Back));
    EXPECT_FALSE(page.pageCode().has_value());
}

TEST_F(BuildRunnerTest, iso_step_passes_every_value_as_one_argument_and_logs_the_quoted_command) {
    settings.SetBigDrive(0);
    settings.SetVolumeLabel("WXP \"SP3\" JA");
    settings.SetIsoPath("out put.iso");
    // The boot file in the work folder's root is found before the tools'.
    std::string boot = dir.write("work/BOOTSECT.BIN", "boot");
    dir.write("tools/bootsect.bin", "other");
    writeScript(dir / "tools/cdimage",
                "printf '[%s]' \"$@\" > \"" + dir / "args" + "\"\necho writing image\n");
    run();
    EXPECT_EQ(slurp(dir / "args"), "[-lWXP \"SP3\" JA][-h][-n][-m][-o][-x][-b" + boot + "][" +
                                       dir / "work" + "][out put.iso]");
    std::string shown = "\"" + dir / "tools/cdimage" +
                        "\" -l\"WXP \"SP3\" JA\" -h -n -m -o -x -b\"" + boot + "\" \"" +
                        dir / "work" + "\" \"out put.iso\"";
    EXPECT_TRUE(page.logText().ends_with("ISO イメージを作成しています。。。\r\n" + shown +
                                         "\r\nwriting image\n\r\n完了\r\n"))
        << page.logText();
    EXPECT_TRUE(finishedAndQuit());
}

TEST_F(BuildRunnerTest, empty_label_is_an_empty_quoted_pair) {
    BuildRunner runner(settings, data, page, tools);
    settings.SetIsoPath("a.iso");
    EXPECT_TRUE(runner.cdImageCommand("/t/cdimage", "/t/boot")
                    .shown.starts_with("\"/t/cdimage\" -l\"\" -h"));
    EXPECT_EQ(splitCommandLine(runner.cdImageCommand("/t/cdimage", "/t/boot").run)[1], "-l");
}

TEST_F(BuildRunnerTest, missing_or_failing_image_tool_is_an_image_failure) {
    settings.SetBigDrive(0);
    settings.SetIsoPath("a.iso");
    usePath(dir.mkdir("empty-path"));
    run();
    EXPECT_TRUE(page.logText().find("\r\nISO イメージの作成に失敗しました\r\n") !=
                std::string::npos)
        << page.logText();
    EXPECT_TRUE(page.logText().ends_with(": No such file or directory")) << page.logText();

    FakeBuildPage second;
    writeScript(dir / "tools/cdimage", "exit 3\n");
    BuildRunner(settings, data, second, tools).runBuild();
    EXPECT_TRUE(second.logText().ends_with("\r\nISO イメージの作成に失敗しました\r\n" +
                                           dir / "tools/cdimage: 終了コード 3"))
        << second.logText();
}
