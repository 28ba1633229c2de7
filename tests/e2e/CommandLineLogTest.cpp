#include "E2eTest.h"
#include "WizardSession.h"

#include "support/CommandRun.h"
#include "support/FileAssertions.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using CommandLineLogTest = E2eTest;

// The same settings through the window and through ornibe-build, each over
// a fresh copy of the shipped sample at the same place: the two logs are
// the same bytes, and so are the two trees.
TEST_F(CommandLineLogTest, ornibe_build_writes_the_wizards_log_byte_for_byte) {
    const std::string sample = std::string(ORNIBE_SOURCE_DIR) + "/samples/xp";
    const std::string driver = std::string(ORNIBE_SOURCE_DIR) + "/samples/driver/OrScsi.inf";
    const std::string work = dir / "xp";
    const std::string iso = dir / "sample.iso";

    fs::copy(sample, work, fs::copy_options::recursive);
    WizardSession wizard(tools);
    wizard.buildOnce({0, "ORNIBE_XP", {driver}, true, work, iso}, {}, {MessageAnswer::Ok});
    ASSERT_EQ(wizard.messages.texts(), std::vector<std::string>{"完成です！"});
    ASSERT_EQ(wizard.logs.size(), 1u);

    fs::remove_all(work);
    fs::remove(iso);
    fs::copy(sample, work, fs::copy_options::recursive);
    const std::string log = dir / "build.log";
    CommandResult result =
        runCommand({ORNIBE_BUILD_PROGRAM, "--work", work, "--label", "ORNIBE_XP", "--driver",
                    driver, "--big-drive", "--iso", iso, "--log", log});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(fileHolds(log, wizard.logs[0]));
    EXPECT_TRUE(result.output.ends_with("完成です！\n"));
}

} // namespace
} // namespace ornibe::test
