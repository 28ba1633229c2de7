// ornibe-build --check over generated CD trees that nothing has touched,
// among them one whose TXTSETUP.SIF is shaped as a retail CD's (every
// .Load section, [Mouse] and [Keyboard], the traits setup tolerates):
// they pass, a build with a good driver keeps them passing with its log as
// it always was, and a damaged copy is still found.

#include "E2eTest.h"
#include "TreeFiles.h"

#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The note on the ID a retail CD gives to two of its own services.
constexpr const char* kTwiceNote =
    "  注意  PCI\\VEN_1234&DEV_0A02 が 2 つのサービス（smpide、vxsata）に与えられています。"
    "テキストモード セットアップは最初の行の smpide を使います。\n";

// Puts text after the first from in the file.
void insertAfter(const std::string& path, const std::string& from, const std::string& text) {
    std::string bytes = slurp(path);
    const std::size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    bytes.insert(at + from.size(), text);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

using UntouchedTreeCheckTest = E2eTest;

TEST_F(UntouchedTreeCheckTest, an_untouched_cd_passes_its_check_and_a_damaged_copy_does_not) {
    struct Tree {
        std::string name;
        std::string target;
        std::vector<std::string> options;
    };
    const std::vector<Tree> trees = {
        {"xp", "xp", {}},   {"w2k", "2000", {"--case", "lower"}}, {"s3", "2003", {"--read-only"}},
        {"x64", "x64", {}}, {"retail", "xp", {"--retail-shape"}},
    };
    for (const Tree& tree : trees) {
        SCOPED_TRACE(tree.name);
        const std::string work = dir / tree.name;
        ASSERT_TRUE(makeTree(work, tree.target, tree.options));
        CommandResult result = runBuild({"--check", "--work", work});
        EXPECT_EQ(result.exitCode, 0) << result.output;
        EXPECT_THAT(result.output, Not(HasSubstr("  問題  ")));
    }

    // The retail shape: every service its [HardwareIdsDatabase] names is
    // loaded somewhere, the ".sys" spelling is no finding, the ID given
    // twice is a note, and the generic IDE controller of a PIIX machine is
    // claimed by the class-code line as an ordinary match.
    const std::string retail = dir / "retail";
    CommandResult result = runBuild({"--check", "--work", retail, "--machine", "qemu-pc"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(result.output, HasSubstr(kTwiceNote + std::string("問題 0 件、注意 1 件\n")));
    EXPECT_THAT(result.output,
                HasSubstr("]: サービス pciide（CD の標準ドライバ）、PCI\\CC_0101 で一致\n"));

    // Damaged copies: a file of the CD's own storage driver gone, and a
    // line whose service nothing loads.
    const std::string missing = dir / "missing";
    fs::copy(retail, missing, fs::copy_options::recursive);
    fs::remove(missing + "/I386/QRSCSI.SY_");
    const std::string unloaded = dir / "unloaded";
    fs::copy(retail, unloaded, fs::copy_options::recursive);
    insertAfter(unloaded + "/I386/TXTSETUP.SIF", "[HardwareIdsDatabase]\r\n",
                "GenTape = \"tape\"\r\n");
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {missing, "  問題  qrscsi.sys（サービス qrscsi）が I386 にありません（圧縮された形も"
                  "ありません）。\n"},
        {unloaded, "  問題  GenTape のサービス tape は TXTSETUP.SIF のどの Load セクションにも "
                   "[Mouse]・[Keyboard] にもありません。\n"},
    };
    for (const auto& [work, finding] : damaged) {
        SCOPED_TRACE(work);
        result = runBuild({"--check", "--work", work});
        EXPECT_EQ(result.exitCode, 1) << result.output;
        EXPECT_THAT(result.output, HasSubstr(finding + std::string(kTwiceNote)));
        EXPECT_THAT(result.output, HasSubstr("問題 1 件、注意 1 件\n"));
    }
}

TEST_F(UntouchedTreeCheckTest,
       a_build_with_a_good_driver_passes_its_check_with_its_log_as_designed) {
    const std::string work = dir / "retail";
    const std::string iso = dir / "retail.iso";
    const std::string log = dir / "build.log";
    ASSERT_TRUE(makeTree(work, "xp", {"--retail-shape"}));
    CommandResult build = runBuild({"--work", work, "--label", "RETAIL_XP", "--driver",
                                    kSampleDriverInf, "--big-drive", "--iso", iso, "--log", log});
    ASSERT_EQ(build.exitCode, 0) << build.output;

    const Summary summary{"Windows XP Professional CD",
                          "読み込みしない",
                          "RETAIL_XP",
                          "",
                          {kSampleDevice},
                          true,
                          work,
                          iso};
    EXPECT_TRUE(fileHolds(
        log, summary.text() + "\r\nスタート！\r\n\r\n" + kStagingLog + kPatchLog +
                 "Windows2000 ではないので、Big Drive 対応化はされません。\r\n\r\n" +
                 isoLog("RETAIL_XP", work, iso, readTree(work).size(), foldersOf(work).size())));

    CommandResult check = runBuild({"--check", "--work", work, "--iso", iso});
    EXPECT_EQ(check.exitCode, 0) << check.output;
    EXPECT_THAT(check.output, HasSubstr("問題 0 件"));
}

} // namespace
} // namespace ornibe::test
