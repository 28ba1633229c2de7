#include "E2eTest.h"
#include "TreeFiles.h"

#include "support/CommandRun.h"
#include "support/FileAssertions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

using AnswerFileBuildTest = E2eTest;

// ornibe-build with --unattended over a copy of the shipped XP sample: the
// image it writes holds I386/WINNT.SIF, and xorriso reads back the bytes
// the writer's tests expect for these fields.
TEST_F(AnswerFileBuildTest, the_image_holds_the_answer_file_that_the_options_asked_for) {
    const std::string work = dir / "xp";
    const std::string iso = dir / "xp.iso";
    fs::copy(std::string(ORNIBE_SOURCE_DIR) + "/samples/xp", work, fs::copy_options::recursive);
    CommandResult result =
        runCommand({ORNIBE_BUILD_PROGRAM, "--work", work, "--label", "WXP_AUTO", "--iso", iso,
                    "--unattended", "--full-name", "Taro Yamada", "--language", "en",
                    "--admin-password", "pw-never-shown", "--quiet"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    // The terminal shows the log with LF line ends.
    EXPECT_THAT(result.output, HasSubstr("\n\n無人インストール：\n      I386\\WINNT.SIF："
                                         "入力した内容から作ります\n      コンピュータ名：*\n"
                                         "      言語：英語（米国）\n"));
    EXPECT_THAT(result.output,
                HasSubstr("\n\nWINNT.SIF（無人インストールの応答ファイル）を書き込んで"
                          "います。。。完了\n\n"));
    EXPECT_THAT(result.output, Not(HasSubstr("pw-never-shown")));

    ImageReport report = readImage(iso);
    EXPECT_THAT(report.files, Contains("/I386/WINNT.SIF")) << report.output;
    const std::string back = dir / "back";
    ASSERT_TRUE(extractImage(iso, back));
    EXPECT_EQ(visibleBytes(slurp(back + "/I386/WINNT.SIF")),
              visibleBytes(slurp(std::string(ORNIBE_SOURCE_DIR) +
                                 "/tests/answer/data/winnt-xp-defaults.sif")));
}

} // namespace
} // namespace ornibe::test
