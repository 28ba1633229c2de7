#include "E2eTest.h"
#include "TreeFiles.h"
#include "WizardSession.h"

#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <regex>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

std::string withoutLastByte(std::string text) {
    text.pop_back();
    return text;
}

// Builds that meet a fault: a failing tool, a full disk, a driver INF that
// cannot be read, a setup file without its end-of-file marker.
class FaultTest : public E2eTest {
protected:
    void SetUp() override {
        E2eTest::SetUp();
        ASSERT_TRUE(makeDriver(dir / "drv"));
    }
    void TearDown() override {
        if (!mounted_.empty()) {
            ::umount2(mounted_.c_str(), MNT_DETACH);
        }
        E2eTest::TearDown();
    }

    // Runs the build once from the settings page and looks at the page
    // that the failure leaves open before quitting the program.
    struct Stopped {
        bool backEnabled = false;
        bool runEnabled = true;
        bool quitEnabled = false;
        std::string shown;
    };
    Stopped buildUntilFailure(WizardSession& session, const SettingsInput& input,
                              std::vector<MessageAnswer> nextAnswers = {}) {
        Stopped stopped;
        session.script.then(session.settingsPage(), [&] {
            session.enter(input);
            for (MessageAnswer answer : nextAnswers) {
                session.messages.answer(answer);
            }
            session.click(session.settingsPage(), "nextButton");
        });
        session.script.then(session.confirmPage(), [&] {
            session.click(session.confirmPage(), "runButton");
            stopped.backEnabled = session.isEnabled(session.confirmPage(), "backButton");
            stopped.runEnabled = session.isEnabled(session.confirmPage(), "runButton");
            stopped.quitEnabled = session.isEnabled(session.confirmPage(), "quitButton");
            stopped.shown = session.shownLog().toStdString();
            session.messages.answer(MessageAnswer::Ok);
            session.click(session.confirmPage(), "quitButton");
        });
        session.app.run();
        EXPECT_EQ(session.script.failures, QStringList());
        return stopped;
    }

    // The line under the failure message when that makecab fails.
    const std::string kFailingMakecab =
        dir / "tools/makecab" + ": 終了コード 1（makecab: cannot write the cabinet）";
    // A tool folder with the project's tools, makecab replaced by a
    // program that fails as a full or broken disk makes it fail.
    void useFailingMakecab() {
        const std::string folder = dir / "tools";
        fs::create_directories(folder);
        for (const char* tool : {"extract", "cdimage", "attrib"}) {
            fs::create_symlink(std::string(ORNIBE_BUILD_TOOL_DIR) + "/" + tool,
                               folder + "/" + tool);
        }
        writeScript(folder + "/makecab", "echo 'makecab: cannot write the cabinet' >&2\nexit 1\n");
        tools = toolSearch(folder, dir.path());
    }

    // Mounts a small tmpfs at folder; false with the reason when this
    // machine refuses.
    bool mountSmallDisk(const std::string& folder, std::string& reason) {
        fs::create_directories(folder);
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=2m") != 0) {
            reason = std::strerror(errno);
            return false;
        }
        mounted_ = folder;
        return true;
    }

private:
    std::string mounted_;
};

TEST_F(FaultTest, failing_makecab_keeps_svcpack_and_a_second_build_after_back_finishes) {
    const std::string work = dir / "work";
    ASSERT_TRUE(makeTree(work, "xp"));
    const auto before = readTree(work);
    // The driver medium carries compressed forms beside its files, which
    // staging falls back to when makecab fails.
    const std::string makecab = std::string(ORNIBE_BUILD_TOOL_DIR) + "/makecab";
    ASSERT_EQ(runCommand({makecab, "/L", dir / "drv/X86", dir / "drv/X86/ORSCSI.SYS"}).exitCode, 0);
    ASSERT_EQ(runCommand({makecab, "/L", dir / "drv", dir / "drv/OrScsi.inf"}).exitCode, 0);
    useFailingMakecab();

    WizardSession session(tools);
    SettingsInput input{0, "", {dir / "drv/OrScsi.inf"}, false, work, ""};
    bool backEnabled = false;
    bool runEnabled = true;
    std::map<std::string, std::string> afterFailure;
    session.script.then(session.settingsPage(), [&] {
        session.enter(input);
        session.click(session.settingsPage(), "nextButton");
    });
    session.script.then(session.confirmPage(), [&] {
        session.click(session.confirmPage(), "runButton");
        backEnabled = session.isEnabled(session.confirmPage(), "backButton");
        runEnabled = session.isEnabled(session.confirmPage(), "runButton");
        afterFailure = readTree(work);
        // The user mends the tool and goes back to build again.
        fs::remove(dir / "tools/makecab");
        fs::create_symlink(std::string(ORNIBE_BUILD_TOOL_DIR) + "/makecab", dir / "tools/makecab");
        session.click(session.confirmPage(), "backButton");
    });
    session.script.then(session.settingsPage(),
                        [&] { session.click(session.settingsPage(), "nextButton"); });
    session.script.then(session.confirmPage(), [&] {
        session.messages.answer(MessageAnswer::Ok);
        session.click(session.confirmPage(), "runButton");
    });
    session.app.run();
    EXPECT_EQ(session.script.failures, QStringList());
    EXPECT_EQ(session.messages.texts(), std::vector<std::string>{"完成です！"});

    Summary summary{
        "Windows XP Professional CD", "読み込みしない", "", "", {kSampleDevice}, false, work, ""};
    ASSERT_EQ(session.logs.size(), 2u);
    EXPECT_EQ(visibleBytes(session.logs[0]),
              visibleBytes(summary.text() + "\r\nスタート！\r\n\r\n" + kStagingLog +
                           "\r\nTXTSETUP.SIF を修正しています。。。完了\r\n"
                           "DOSNET.INF を修正しています。。。完了\r\n"
                           "SVCPACK.INF を修正しています。。。\r\n"
                           "SVCPACK.INF の修正に失敗しました\r\n" +
                           kFailingMakecab));
    EXPECT_TRUE(backEnabled);
    EXPECT_FALSE(runEnabled);
    // No setup file is lost: SVCPACK.IN_ is as it was, and no work copy
    // is left behind.
    EXPECT_TRUE(afterFailure["I386/SVCPACK.IN_"] == before.at("I386/SVCPACK.IN_"));
    EXPECT_EQ(afterFailure.count("I386/MSHDC.IN_"), 1u);
    for (const auto& [path, bytes] : afterFailure) {
        EXPECT_EQ(path.rfind("I386/TEMP", 0), std::string::npos) << path;
    }

    // The second build adds what was missing, and nothing twice.
    EXPECT_EQ(visibleBytes(session.logs[1]),
              visibleBytes(summary.text() + "\r\nスタート！\r\n\r\n" + kStagingLog + kPatchLog));
    const auto finished = readTree(work);
    EXPECT_EQ(visibleBytes(finished.at("I386/TXTSETUP.SIF")),
              visibleBytes(withoutLastByte(before.at("I386/TXTSETUP.SIF")) +
                           sampleTxtsetupBlocks(false) + "\r\n\x1A"));
    EXPECT_EQ(visibleBytes(finished.at("I386/DOSNET.INF")),
              visibleBytes(before.at("I386/DOSNET.INF") + kDosnetBlock));
    std::string scratch = dir.mkdir("scratch");
    EXPECT_EQ(
        visibleBytes(expandCabinet(finished.at("I386/SVCPACK.IN_"), scratch).bytes),
        visibleBytes(expandCabinet(before.at("I386/SVCPACK.IN_"), scratch).bytes + kSvcpackBlock));
}

TEST_F(FaultTest, failing_makecab_on_windows_2000_keeps_mshdc_and_the_tree_as_it_was) {
    const std::string work = dir / "work";
    ASSERT_TRUE(makeTree(work, "2000"));
    const auto before = readTree(work);
    useFailingMakecab();

    WizardSession session(tools);
    Stopped stopped = buildUntilFailure(session, {0, "", {}, true, work, "w2k.iso"});
    Summary summary{
        "Windows 2000 Professional CD-ROM", "読み込みしない", "", "", {}, true, work, "w2k.iso"};
    const std::string log =
        summary.text() + "\r\nスタート！\r\n\r\n" +
        "\r\nMSHDC.INF を修正しています。。。\r\nMSHDC.INF の修正に失敗しました\r\n" +
        kFailingMakecab;
    ASSERT_EQ(session.logs.size(), 1u);
    EXPECT_EQ(visibleBytes(session.logs[0]), visibleBytes(log));
    EXPECT_EQ(stopped.shown, asShown(log).toStdString());
    EXPECT_TRUE(stopped.backEnabled);
    EXPECT_FALSE(stopped.runEnabled);
    EXPECT_TRUE(stopped.quitEnabled);
    EXPECT_EQ(session.messages.texts(), std::vector<std::string>{"終了します。"});
    // MSHDC.IN_ is still there as it was; no image was made.
    EXPECT_TRUE(readTree(work) == before);
}

TEST_F(FaultTest, failing_makecab_without_supplied_files_stops_at_the_first_driver_file) {
    const std::string work = dir / "work";
    ASSERT_TRUE(makeTree(work, "xp"));
    const auto before = readTree(work);
    useFailingMakecab();

    WizardSession session(tools);
    Stopped stopped = buildUntilFailure(session, {0, "", {dir / "drv/OrScsi.inf"}, true, work, ""});
    Summary summary{
        "Windows XP Professional CD", "読み込みしない", "", "", {kSampleDevice}, true, work, ""};
    const std::string log = summary.text() + "\r\nスタート！\r\n\r\n" +
                            "ORSCSI.SYS をコピーしています。。。ファイルコピーに失敗しました\r\n" +
                            kFailingMakecab;
    ASSERT_EQ(session.logs.size(), 1u);
    EXPECT_EQ(visibleBytes(session.logs[0]), visibleBytes(log));
    EXPECT_TRUE(stopped.backEnabled);
    EXPECT_FALSE(stopped.runEnabled);
    EXPECT_TRUE(readTree(work) == before);
}

TEST_F(FaultTest, full_disk_during_the_cd_copy_fails_the_copy_with_nothing_half_written) {
    const std::string cd = dir / "cd";
    const std::string work = dir / "small";
    std::string refused;
    if (!mountSmallDisk(work, refused)) {
        GTEST_SKIP() << "a 2 MB tmpfs cannot be mounted here (" << refused
                     << "): the full-disk build is not tried";
    }
    ASSERT_TRUE(makeTree(cd, "xp", {"--size", "4M", "--read-only"}));
    const auto onCd = readTree(cd);

    WizardSession session(tools);
    session.drives.drives = {{"/dev/sr0", cd, std::string("WXPFPP_JA")}};
    Stopped stopped =
        buildUntilFailure(session, {1, "", {}, false, work, "xp.iso"}, {MessageAnswer::Ok});
    // The work folder is the root of the small disk: its free space is
    // shown with what the CD needs (it only informs: OK goes on), and an
    // empty root is not asked about.
    EXPECT_EQ(session.messages.texts(),
              (std::vector<std::string>{"作業フォルダに使える空き容量は 2MB です。\n"
                                        "CD の内容には約 4MB 必要です。",
                                        "終了します。"}));

    Summary summary{"Windows XP Professional CD",
                    cd + " [ WXPFPP_JA ]",
                    "WXPFPP_JA",
                    "",
                    {},
                    false,
                    work,
                    "xp.iso"};
    const std::string start = summary.text() + "\r\nスタート！\r\n\r\n" +
                              "CD の内容を作業フォルダにコピーしています。。。" +
                              "\r\nコピーに失敗しました\r\n";
    ASSERT_EQ(session.logs.size(), 1u);
    const std::string& log = session.logs[0];
    ASSERT_EQ(log.substr(0, start.size()), start) << log;
    std::smatch failed;
    const std::string reason = log.substr(start.size());
    ASSERT_TRUE(
        std::regex_match(reason, failed, std::regex("(" + work + "/.+): No space left on device")))
        << reason;
    EXPECT_TRUE(stopped.backEnabled);
    EXPECT_FALSE(stopped.runEnabled);

    // What stands in the work folder is whole: every file equals its
    // source, and the file that did not fit is not there at all.
    const auto copied = readTree(work);
    EXPECT_FALSE(copied.empty());
    EXPECT_LT(copied.size(), onCd.size());
    for (const auto& [path, bytes] : copied) {
        auto source = onCd.find(path);
        ASSERT_TRUE(source != onCd.end()) << path;
        EXPECT_TRUE(source->second == bytes) << path;
    }
    // The failure names the work folder's file that could not be written.
    EXPECT_EQ(copied.count(failed[1].str().substr(work.size() + 1)), 0u);
    EXPECT_FALSE(fs::exists(work + "/xp.iso"));
}

TEST_F(FaultTest, driver_inf_that_turned_into_a_folder_stops_the_staging_with_the_tree_intact) {
    const std::string work = dir / "work";
    ASSERT_TRUE(makeTree(work, "xp"));
    const auto before = readTree(work);
    const std::string inf = dir / "drv/OrScsi.inf";

    WizardSession session(tools);
    session.script.then(session.settingsPage(), [&] {
        session.enter({0, "", {inf}, false, work, ""});
        session.click(session.settingsPage(), "nextButton");
    });
    bool backEnabled = false;
    session.script.then(session.confirmPage(), [&] {
        // The medium changes after the summary read it.
        fs::rename(inf, dir / "OrScsi.inf.moved");
        fs::create_directory(inf);
        session.click(session.confirmPage(), "runButton");
        backEnabled = session.isEnabled(session.confirmPage(), "backButton");
        session.messages.answer(MessageAnswer::Ok);
        session.click(session.confirmPage(), "quitButton");
    });
    session.app.run();
    EXPECT_EQ(session.script.failures, QStringList());

    Summary summary{
        "Windows XP Professional CD", "読み込みしない", "", "", {kSampleDevice}, false, work, ""};
    ASSERT_EQ(session.logs.size(), 1u);
    EXPECT_EQ(visibleBytes(session.logs[0]),
              visibleBytes(summary.text() + "\r\nスタート！\r\n\r\n" +
                           "ORSCSI.SYS をコピーしています。。。完了\r\n" +
                           "OrScsi.inf をコピーしています。。。ファイルコピーに失敗しました\r\n" +
                           inf + ": Is a directory"));
    EXPECT_TRUE(backEnabled);
    // The driver file was placed; no setup file changed.
    auto after = readTree(work);
    EXPECT_EQ(after.erase("I386/ORSCSI.SY_"), 1u);
    EXPECT_TRUE(after == before);
}

TEST_F(FaultTest, file_that_is_no_inf_is_refused_on_next_before_anything_changes) {
    const std::string work = dir / "work";
    ASSERT_TRUE(makeTree(work, "xp"));
    const auto before = readTree(work);
    // A driver binary given a name ending in .inf.
    const std::string notInf = dir / "other/NotAnInf.inf";
    fs::create_directories(dir / "other");
    fs::copy_file(dir / "drv/X86/ORSCSI.SYS", notInf);

    WizardSession session(tools);
    SettingsInput input{0, "", {notInf, dir / "drv/OrScsi.inf"}, false, work, ""};
    session.script.then(session.settingsPage(), [&] {
        session.enter(input);
        session.click(session.settingsPage(), "nextButton");
        session.messages.answer(MessageAnswer::Ok);
        session.click(session.settingsPage(), "quitButton");
    });
    session.app.run();
    EXPECT_EQ(session.script.failures, QStringList());
    EXPECT_EQ(session.messages.texts(),
              (std::vector<std::string>{
                  notInf + " はドライバの INF ファイルではありません。\n"
                           "1 行目: 最初のセクション見出しより前に、コメントではない行があります。",
                  "終了します。"}));
    EXPECT_TRUE(session.logs.empty());
    EXPECT_TRUE(readTree(work) == before);
}

TEST_F(FaultTest, txtsetup_without_its_marker_gets_the_driver_and_a_new_marker_once) {
    const std::string work = dir / "work";
    ASSERT_TRUE(makeTree(work, "xp"));
    std::string sif = slurp(work + "/I386/TXTSETUP.SIF");
    ASSERT_EQ(sif.back(), '\x1A');
    sif.pop_back();
    dir.write("work/I386/TXTSETUP.SIF", sif);
    SettingsInput input{0, "", {dir / "drv/OrScsi.inf"}, false, work, ""};
    Summary summary{
        "Windows XP Professional CD", "読み込みしない", "", "", {kSampleDevice}, false, work, ""};
    const std::string log = summary.text() + "\r\nスタート！\r\n\r\n" + kStagingLog + kPatchLog;

    for (int build = 1; build <= 2; ++build) {
        SCOPED_TRACE("build " + std::to_string(build));
        WizardSession session(tools);
        session.buildOnce(input, {}, {MessageAnswer::Ok});
        EXPECT_EQ(session.messages.texts(), std::vector<std::string>{"完成です！"});
        ASSERT_EQ(session.logs.size(), 1u);
        EXPECT_EQ(visibleBytes(session.logs[0]), visibleBytes(log));
        // The text goes at the end of the file, closed by a new marker;
        // the second build finds it there and adds nothing.
        EXPECT_TRUE(
            fileHolds(work + "/I386/TXTSETUP.SIF", sif + sampleTxtsetupBlocks(false) + "\r\n\x1A"));
    }
}

} // namespace
} // namespace ornibe::test
