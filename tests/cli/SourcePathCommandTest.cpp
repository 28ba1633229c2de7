// A source path is the path itself, whatever it holds: ornibe-build reads
// "cd [ sp4 ]" and not its neighbour "cd", although the drive entry of
// the first reads "cd [ sp4 ] [  ]".
#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;

TEST(SourcePathCommandTest, a_source_folder_named_with_the_entry_brackets_is_the_one_copied) {
    TempDir dir;
    const std::string source = dir / "cd [ sp4 ]";
    fs::copy(kSampleTree, source, fs::copy_options::recursive);
    dir.write("cd [ sp4 ]/SP4.TXT", "the service pack 4 tree");
    fs::copy(kSampleTree, dir / "cd", fs::copy_options::recursive);
    dir.write("cd/OTHER.TXT", "the neighbouring tree");
    const std::string work = dir / "work";
    const std::string log = dir / "build.log";

    CommandResult result = runCommand({kProgram, "--source", source, "--work", work, "--log", log,
                                       "--iso", dir / "out.iso", "--yes"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(fileHolds(work + "/SP4.TXT", "the service pack 4 tree"));
    EXPECT_FALSE(fs::exists(work + "/OTHER.TXT"));
    // The summary names the drive by its entry, as before.
    EXPECT_THAT(slurp(log), HasSubstr("\r\n\r\nCD ドライブ：\r\n      " + source + " [  ]\r\n"));
}

} // namespace
} // namespace ornibe::test
