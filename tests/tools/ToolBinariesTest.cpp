#include "TestFiles.h"
#include "support/CommandRun.h"

#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ornibe {
namespace {

using test::TempDir;
using ::testing::HasSubstr;

// The built programs, run as the build runs them: every argument one word.
TEST(ToolBinaries, run_from_the_tool_folder_with_the_build_command_lines) {
    TempDir dir;
    std::string work = dir.mkdir("work folder");
    dir.write("work folder/I386/TXTSETUP.SIF", "[Version]\r\n");
    std::string source = dir.write("media/x.sys", "driver bytes");
    chmod((dir / "work folder/I386/TXTSETUP.SIF").c_str(), 0444);
    std::string boot = dir.write("work folder/BOOTSECT.BIN", std::string(2048, 'B'));

    test::CommandResult attrib =
        test::runCommand({test::builtTool("attrib"), "-R", "/S", "/D"}, work);
    EXPECT_EQ(attrib.exitCode, 0) << attrib.output;
    struct stat st {};
    stat((dir / "work folder/I386/TXTSETUP.SIF").c_str(), &st);
    EXPECT_TRUE(st.st_mode & S_IWUSR);

    test::CommandResult makecab =
        test::runCommand({test::builtTool("makecab"), "/L", dir / "work folder/I386", source});
    EXPECT_EQ(makecab.exitCode, 0) << makecab.output;

    std::string temp = dir.mkdir("work folder/I386/TEMP");
    test::CommandResult extract = test::runCommand(
        {test::builtTool("extract"), "/Y", "/L", temp, dir / "work folder/I386/x.sy_"});
    EXPECT_EQ(extract.exitCode, 0) << extract.output;
    EXPECT_TRUE(test::fileHolds(temp + "/x.sys", "driver bytes"));

    test::CommandResult cdimage =
        test::runCommand({test::builtTool("cdimage"), "-lMY \"CD\"", "-h", "-n", "-m", "-o", "-x",
                          "-b" + boot, work, "out.iso"},
                         work);
    EXPECT_EQ(cdimage.exitCode, 0) << cdimage.output;
    EXPECT_EQ(test::slurp(work + "/out.iso").substr(16 * 2048 + 40, 9), "MY \"CD\"  ");

    test::CommandResult refused = test::runCommand(
        {test::builtTool("cdimage"), "-l" + std::string(33, 'X'), "-b" + boot, work, "bad.iso"},
        work);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.output, HasSubstr("cdimage: volume label"));
}

} // namespace
} // namespace ornibe

namespace ornibe {
namespace {

// A write that stops half-way: the file size limit makes write() fail with
// EFBIG (the signal it would raise is ignored).
TEST(ToolBinaries, write_that_fails_half_way_leaves_no_partial_output) {
    TempDir dir;
    dir.write("tree/I386/BIG.CAB", std::string(1 << 20, 'x'));
    std::string earlier = dir.write("out/cd.iso", "earlier image");
    std::string boot = dir.write("boot.bin", std::string(2048, 'B'));
    std::string big = dir.write("media/big.sys", test::noiseBytes(1 << 20, 4));
    const std::string limited = "trap '' XFSZ; ulimit -f 200; exec \"$@\"";

    test::CommandResult image =
        test::runCommand({"sh", "-c", limited, "sh", test::builtTool("cdimage"), "-lCD", "-n",
                          "-b" + boot, dir / "tree", dir / "out/cd.iso"});
    EXPECT_EQ(image.exitCode, 1) << image.output;
    EXPECT_THAT(image.output, HasSubstr("cdimage: cannot write"));
    EXPECT_TRUE(test::fileHolds(earlier, "earlier image"));

    test::CommandResult cabinet = test::runCommand(
        {"sh", "-c", limited, "sh", test::builtTool("makecab"), "/L", dir / "out", big});
    EXPECT_EQ(cabinet.exitCode, 1) << cabinet.output;
    EXPECT_THAT(cabinet.output, HasSubstr("makecab: cannot write"));

    EXPECT_THAT(test::listTree(dir / "out"), ::testing::ElementsAre("cd.iso"));
}

} // namespace
} // namespace ornibe
