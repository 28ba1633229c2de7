// Setup files and driver INFs past the limits within which INF files are
// read, met by ornibe-build: each is refused with the program's message and
// its reason, at the check of the settings or in the driver stage, never
// with an exception or by running out of memory.
#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/IsoFixtures.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// One byte past the 64 MiB an INF may have.
constexpr std::uintmax_t kPastLimit = (64u << 20) + 1;
const std::string kTooLarge = "ファイルが大きすぎます（67108865 バイト）。INF "
                              "ファイルとして読むのは 64 MB までです。";

// Every entry below root with its kind, size and modification time: a file
// written, made or removed changes it. The files here are too large to
// compare by content.
std::map<std::string, std::string> entriesOf(const std::string& root) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat st {};
        ::lstat(entry.path().c_str(), &st);
        entries[fs::relative(entry.path(), root).string()] =
            std::to_string(st.st_mode) + " " + std::to_string(st.st_size) + " " +
            std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    }
    return entries;
}

// A copy of the sample CD whose file at relative is made kPastLimit bytes
// long, the rest a hole.
std::string sampleWithLargeFile(const TempDir& dir, const std::string& name,
                                const std::string& relative) {
    const std::string tree = dir / name;
    fs::copy(kSampleTree, tree, fs::copy_options::recursive);
    fs::resize_file(tree + "/" + relative, kPastLimit);
    return tree;
}

TEST(InfLimitCommandTest, files_past_the_limit_are_refused_at_the_settings_check) {
    TempDir dir;
    const std::string driver = dir.write("drivers/huge.inf", "[Version]\r\n");
    fs::resize_file(driver, 64ull << 30);
    const std::string work = dir / "work";
    fs::copy(kSampleTree, work, fs::copy_options::recursive);
    const std::string bigWork = sampleWithLargeFile(dir, "big-work", "I386/TXTSETUP.SIF");
    const std::string bigCd = sampleWithLargeFile(dir, "big-cd", "I386/TXTSETUP.SIF");
    const std::string image = dir / "big.iso";
    ASSERT_TRUE(makeIsoImage(bigCd, image, labelled("WXPVOL_JA")));
    auto before = entriesOf(dir.path());

    struct Case {
        std::vector<std::string> arguments;
        std::string message;
        std::string reason;
    };
    const std::vector<Case> cases = {
        // A sparse driver INF of 64 GiB.
        {{"--work", work, "--driver", driver},
         driver + " はドライバの INF ファイルではありません。",
         "ファイルが大きすぎます（68719476736 バイト）。INF ファイルとして読むのは 64 MB "
         "までです。"},
        // The tree the work folder holds, a CD folder and an image file.
        {{"--work", bigWork},
         bigWork + "/I386/TXTSETUP.SIF はセットアップ情報ファイルとして読めません。",
         kTooLarge},
        {{"--source", bigCd, "--work", dir / "new", "--yes"},
         bigCd + "/I386/TXTSETUP.SIF はセットアップ情報ファイルとして読めません。",
         kTooLarge},
        {{"--source", image, "--work", dir / "new", "--yes"},
         image + "/I386/TXTSETUP.SIF はセットアップ情報ファイルとして読めません。",
         kTooLarge},
    };
    for (const Case& c : cases) {
        CommandResult result = runBuild(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << result.output;
        EXPECT_THAT(result.output, HasSubstr(c.message + "\n" + c.reason)) << result.output;
        EXPECT_THAT(result.output, Not(HasSubstr("スタート！")));
    }
    EXPECT_EQ(entriesOf(dir.path()), before);
}

TEST(InfLimitCommandTest, a_setup_file_past_the_limit_ends_the_driver_stage_with_its_reason) {
    // DOSNET.INF is read only when the driver stage patches it.
    TempDir dir;
    const std::string cd = sampleWithLargeFile(dir, "cd", "I386/DOSNET.INF");
    const std::string work = dir / "work";
    CommandResult result =
        runBuild({"--source", cd, "--work", work, "--driver", kSampleDriverInf, "--yes"});
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_THAT(result.output, HasSubstr("DOSNET.INF の修正に失敗しました\n" + work +
                                         "/I386/DOSNET.INF: " + kTooLarge));
    EXPECT_THAT(result.output, Not(HasSubstr("完成です！")));
    EXPECT_EQ(fs::file_size(work + "/I386/DOSNET.INF"), kPastLimit);
}

} // namespace
} // namespace ornibe::test
