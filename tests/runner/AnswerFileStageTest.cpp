#include "runner/BuildRunner.h"

#include "answer/AnswerFileWriter.h"
#include "runner/MemoryProgressLog.h"
#include "runner/Summary.h"
#include "support/BuildTreeTools.h"
#include "support/FakeBuildPage.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"
#include "support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

// Builds over a generated Windows 2000 tree with the sample driver and the
// project's tools; the attribute tool does nothing.
class AnswerFileStageTest : public ::testing::Test {
protected:
    void SetUp() override {
        linkBuildTreeTools(dir / "tools");
        std::string command = "python3 " + std::string(ORNIBE_SOURCE_DIR) +
                              "/tests/e2e/tree_generator/make_tree.py --target 2000 --tree '" +
                              dir / "work" + "' --driver '" + dir / "drv" + "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        settings.SetWorkFolder(dir / "work");
        settings.AddDriverInf(dir / "drv/OrScsi.inf");
        settings.SetBigDrive(0);
    }

    // The summary, then "実行！" on a fresh page; the summary's text.
    std::string openAndRun() {
        MemoryProgressLog summary;
        ConfirmData fresh;
        data = fresh;
        writeSummary(settings, data, summary, tools);
        page = std::make_unique<FakeBuildPage>();
        BuildRunner(settings, data, *page, tools).runBuild();
        return summary.text();
    }

    TempDir dir;
    ToolSearch tools = toolSearch(dir / "tools", dir.path());
    BuildSettings settings;
    ConfirmData data;
    std::unique_ptr<FakeBuildPage> page;
};

TEST_F(AnswerFileStageTest,
       writes_the_file_for_the_detected_version_after_the_drivers_again_alike) {
    AnswerFileFields fields;
    fields.mode = AnswerFileFields::Mode::Write;
    fields.fullName = "Taro Yamada";
    fields.organization = "Ornibe Lab";
    fields.computerName = "LAB-PC01";
    fields.adminPassword = "S3cret pass";
    fields.productKey = "BCDFG-HJKMP-QRTVW-XY234-6789B";
    fields.workgroup = "LABNET";
    fields.autoPartition = true;
    fields.acceptEula = true;
    settings.setAnswerFile(fields);

    const std::string summary = openAndRun();
    ASSERT_EQ(page->pageCode(), 0) << page->logText();
    EXPECT_TRUE(summary.ends_with(
        "\r\n\r\n無人インストール：\r\n      I386\\WINNT.SIF：入力した内容から作ります"
        "\r\n      コンピュータ名：LAB-PC01\r\n      言語：日本語"
        "\r\n      タイム ゾーン：235 (GMT+09:00) 大阪、札幌、東京"
        "\r\n      パスワード：設定あり"
        "\r\n      プロダクト キー：*****-*****-*****-*****-6789B\r\n\r\n"))
        << summary;
    // Its own step after the drivers, the last of this build.
    EXPECT_TRUE(page->logText().ends_with(
        "ドライバの統合が完了しました。\r\n\r\n"
        "WINNT.SIF（無人インストールの応答ファイル）を書き込んでいます。。。完了\r\n\r\n"))
        << page->logText();
    // Windows 2000's keys, with the driver signing policies for the
    // integrated driver: the expected file of the writer's own test.
    const std::string written = slurp(dir / "work/I386/WINNT.SIF");
    EXPECT_EQ(visibleBytes(written), visibleBytes(slurp(std::string(ORNIBE_SOURCE_DIR) +
                                                        "/tests/answer/data/winnt-2000.sif")));
    for (const std::string& text : {summary, page->logText()}) {
        EXPECT_THAT(text, Not(HasSubstr("S3cret")));
        EXPECT_THAT(text, Not(HasSubstr("BCDFG")));
    }

    // A rerun over the same tree writes the same bytes, and says that it
    // replaced the file there.
    openAndRun();
    ASSERT_EQ(page->pageCode(), 0) << page->logText();
    EXPECT_THAT(
        page->logText(),
        HasSubstr("を書き込んでいます。。。完了（ツリーにあった WINNT.SIF を置き換えました）\r\n"));
    EXPECT_TRUE(slurp(dir / "work/I386/WINNT.SIF") == written);
}

TEST_F(AnswerFileStageTest, takes_the_users_file_with_cr_lf_and_stops_where_it_cannot_write_it) {
    AnswerFileFields fields;
    fields.mode = AnswerFileFields::Mode::UserFile;
    fields.userFile =
        dir.write("mine.sif", "[UserData]\nFullName = \"Taro\"\nProductID = "
                              "\"BCDFG-HJKMP-QRTVW-XY234-6789B\"\n[Proxy]\nProxy_Enable = 0\n");
    settings.setAnswerFile(fields);
    openAndRun();
    ASSERT_EQ(page->pageCode(), 0) << page->logText();
    EXPECT_EQ(visibleBytes(slurp(dir / "work/I386/WINNT.SIF")),
              visibleBytes("[UserData]\r\nFullName = \"Taro\"\r\nProductID = "
                           "\"BCDFG-HJKMP-QRTVW-XY234-6789B\"\r\n[Proxy]\r\nProxy_Enable = 0\r\n"));
    EXPECT_THAT(
        page->logText(),
        HasSubstr(
            "。。。完了\r\n応答ファイルのうち確かめずにそのまま使うセクションとキー：[Proxy]\r\n"));

    // The file changed after the checks: the build writes the bytes that
    // were checked, read once, never a later reading of the file.
    dir.write("mine.sif", "[UserData]\nFullName = \"Taro\"\nProductID = @KEY@\n");
    fs::remove(dir / "work/I386/WINNT.SIF");
    openAndRun();
    ASSERT_EQ(page->pageCode(), 0) << page->logText();
    EXPECT_THAT(slurp(dir / "work/I386/WINNT.SIF"), HasSubstr("[Proxy]"));
    EXPECT_THAT(slurp(dir / "work/I386/WINNT.SIF"), Not(HasSubstr("@KEY@")));
    // A new reading (the checks of "次へ >" again) takes the new bytes.
    settings.inputSnapshots().forget();
    openAndRun();
    EXPECT_FALSE(page->pageCode().has_value());
    EXPECT_TRUE(page->isEnabled(PageButton::Back));
    EXPECT_THAT(page->logText(),
                HasSubstr("\r\nWINNT.SIF の書き込みに失敗しました\r\n" + fields.userFile +
                          ": [UserData] ProductID = *****：ひな形の名前"));
    EXPECT_THAT(slurp(dir / "work/I386/WINNT.SIF"), HasSubstr("[Proxy]"));

    // A link in the tree's place of the file is never written through.
    dir.write("mine.sif", "[UserData]\nFullName = \"Taro\"\n");
    fs::remove(dir / "work/I386/WINNT.SIF");
    const std::string outside = dir.write("outside.txt", "mine");
    fs::create_symlink(outside, dir / "work/I386/WINNT.SIF");
    settings.inputSnapshots().forget();
    openAndRun();
    EXPECT_FALSE(page->pageCode().has_value());
    EXPECT_THAT(page->logText(), HasSubstr("\r\nWINNT.SIF の書き込みに失敗しました\r\n" +
                                           dir / "work/I386/WINNT.SIF" + ": "));
    EXPECT_EQ(slurp(outside), "mine");

    // A key the build sets for a command at setup is said to be changed,
    // not listed among those used as the user wrote them.
    fs::remove(dir / "work/I386/WINNT.SIF");
    dir.write("mine.sif", "[Unattended]\nUnattendMode = FullUnattended\noempreinstall = No\n"
                          "[Proxy]\nProxy_Enable = 0\n");
    SetupAdditions additions;
    additions.setupCommands = {"regedit /s tweaks.reg"};
    settings.setSetupAdditions(additions);
    settings.inputSnapshots().forget();
    openAndRun();
    ASSERT_EQ(page->pageCode(), 0) << page->logText();
    EXPECT_THAT(page->logText(),
                AllOf(HasSubstr("応答ファイルの [Unattended] OemPreinstall を $OEM$ のファイルの"
                                "ために変えました。\r\n"),
                      HasSubstr("確かめずにそのまま使うセクションとキー：[Proxy]\r\n")));
}

} // namespace
} // namespace ornibe::test
