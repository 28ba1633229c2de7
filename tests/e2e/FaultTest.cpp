#include "E2eTest.h"
#include "TreeFiles.h"
#include "WizardSession.h"

#include "CommandRun.h"
#include "support/FileAssertions.h"
#include "sys/ToolFolder.h"

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

    // A tool folder with the project's tools, makecab replaced by a
    // program that fails as a full or broken disk makes it fail.
    void useFailingMakecab() {
        std::string tools = dir / "tools";
        fs::create_directories(tools);
        for (const char* tool : {"extract", "cdimage", "attrib"}) {
            fs::create_symlink(std::string(ORNIBE_BUILD_TOOL_DIR) + "/" + tool, tools + "/" + tool);
        }
        writeScript(tools + "/makecab", "echo 'makecab: cannot write the cabinet' >&2\nexit 1\n");
        setToolFolder(tools);
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

    WizardSession session;
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
        setToolFolder(ORNIBE_BUILD_TOOL_DIR);
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
                           "SVCPACK.INF の修正に失敗しました"));
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

} // namespace
} // namespace ornibe::test
