#include "runner/BuildRunner.h"

#include "runner/MemoryProgressLog.h"
#include "runner/Summary.h"
#include "support/BuildTreeTools.h"
#include "support/FakeBuildPage.h"
#include "support/FileAssertions.h"
#include "support/StandIns.h"
#include "support/TempDir.h"
#include "support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;

// Builds over a generated Windows XP tree with a hotfix package and an
// $OEM$ folder, whose files the checks of "次へ >" have read into the
// settings' snapshots; the attribute tool does nothing.
class SetupAdditionsStageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ORNIBE_REQUIRE_STAND_INS();
        linkBuildTreeTools(dir / "tools");
        std::string command = "python3 " + std::string(ORNIBE_SOURCE_DIR) +
                              "/tests/e2e/tree_generator/make_tree.py --target xp --tree '" +
                              dir / "work" + "' >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        settings.SetWorkFolder(dir / "work");
        settings.SetBigDrive(0);
        AnswerFileFields fields;
        fields.mode = AnswerFileFields::Mode::UserFile;
        fields.userFile = dir.write("own.sif", "[Unattended]\r\nOemPreinstall = Yes\r\n");
        settings.setAnswerFile(fields);
        SetupAdditions additions;
        additions.hotfixes.push_back(
            {dir.write("pkg/KB900001.EXE", slurp(standIn("X86/PACKAGE.EXE")) + "checked"), {}});
        additions.oemFolder = dir / "oem";
        dir.write("oem/$1/Install/setup.cmd", "@echo checked\r\n");
        settings.setSetupAdditions(additions);
        // What the checks of "次へ >" read.
        for (const std::string& path :
             {dir / "pkg/KB900001.EXE", dir / "oem/$1/Install/setup.cmd"}) {
            ASSERT_TRUE(settings.inputSnapshots().read(path, kCdBytes));
        }
    }

    void run() {
        MemoryProgressLog summary;
        ConfirmData fresh;
        data = fresh;
        writeSummary(settings, data, summary, tools);
        page = std::make_unique<FakeBuildPage>();
        BuildRunner(settings, data, *page, tools).runBuild();
    }

    TempDir dir;
    ToolSearch tools = toolSearch(dir / "tools", dir.path());
    BuildSettings settings;
    ConfirmData data;
    std::unique_ptr<FakeBuildPage> page;
};

// A package or an $OEM$ file changed after the checks goes in as it was
// checked; a file that came into the folder after them is refused before
// anything of the step is copied, until the checks read the folder again.
TEST_F(SetupAdditionsStageTest, the_build_takes_what_the_checks_read_and_refuses_what_came_later) {
    const std::string checkedPackage = slurp(dir / "pkg/KB900001.EXE");
    dir.write("pkg/KB900001.EXE", "changed meanwhile");
    dir.write("oem/$1/Install/setup.cmd", "@echo changed\r\n");
    run();
    ASSERT_EQ(page->pageCode(), 0) << page->logText();
    EXPECT_EQ(slurp(dir / "work/I386/SVCPACK/KB900001.EXE"), checkedPackage);
    EXPECT_EQ(slurp(dir / "work/$OEM$/$1/Install/setup.cmd"), "@echo checked\r\n");

    dir.write("oem/$1/Install/later.cmd", "@echo later\r\n");
    run();
    EXPECT_FALSE(page->pageCode().has_value());
    EXPECT_THAT(page->logText(),
                HasSubstr(dir / "oem/$1/Install/later.cmd" +
                          ": 「次へ >」で確かめた後にフォルダに加わったファイルです。"));
    EXPECT_FALSE(fs::exists(dir / "work/$OEM$/$1/Install/later.cmd"));

    // The checks again: the folder as it is now.
    settings.inputSnapshots().forget();
    for (const std::string& path : {dir / "pkg/KB900001.EXE", dir / "oem/$1/Install/setup.cmd",
                                    dir / "oem/$1/Install/later.cmd"}) {
        ASSERT_TRUE(settings.inputSnapshots().read(path, kCdBytes));
    }
    run();
    ASSERT_EQ(page->pageCode(), 0) << page->logText();
    EXPECT_EQ(slurp(dir / "work/$OEM$/$1/Install/later.cmd"), "@echo later\r\n");
    EXPECT_EQ(slurp(dir / "work/$OEM$/$1/Install/setup.cmd"), "@echo changed\r\n");
}

} // namespace
} // namespace ornibe::test
