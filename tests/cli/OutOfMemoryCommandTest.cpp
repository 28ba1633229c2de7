// An exception that no step catches ends ornibe-build and the tools with
// their message and a failure status, never with std::terminate: here
// too little memory, given by running them under a small address-space
// limit while they read a large driver INF.
#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;

// Runs the program with at most 64 MB of address space.
CommandResult runWithLittleMemory(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"bash", "-c", "ulimit -v 65536 && exec \"$0\" \"$@\""});
    return runCommand(arguments);
}

TEST(OutOfMemoryCommandTest, too_little_memory_ends_with_the_message_and_a_failure_status) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "AddressSanitizer needs more address space than the limit leaves";
#endif
    TempDir dir;
    const std::string work = dir / "xp";
    fs::copy(kSampleTree, work, fs::copy_options::recursive);
    // 48 MB of lines shaped like TXTSETUP.SIF's: within the limits of INF
    // reading, beyond the memory given.
    const std::string inf = dir / "big.inf";
    {
        std::ofstream out(inf, std::ios::binary);
        out << "[Version]\r\nSignature=\"$Windows NT$\"\r\n[SourceDisksFiles]\r\n";
        std::string lines;
        for (int i = 0; i < 1400000; ++i)
            lines += "file" + std::to_string(i) + ".sys = 1,,,,,,4_,4,1,,,1,4\r\n";
        out << lines;
    }
    ASSERT_GT(fs::file_size(inf), 48u << 20);
    auto before = snapshotTree(work);

    CommandResult build = runWithLittleMemory({kProgram, "--work", work, "--driver", inf});
    EXPECT_EQ(build.exitCode, 1) << build.output;
    EXPECT_EQ(build.output, "ornibe-build: 予期しないエラーが起きたため、処理を中止しました。\n"
                            "メモリが足りません。\n");
    EXPECT_EQ(snapshotTree(work), before);

    CommandResult query = runWithLittleMemory({builtTool("infquery"), inf, "open"});
    EXPECT_EQ(query.exitCode, 2) << query.output;
    EXPECT_EQ(query.output, "infquery: out of memory\n");
}

} // namespace
} // namespace ornibe::test
