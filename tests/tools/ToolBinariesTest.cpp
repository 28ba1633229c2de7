#include "CommandRun.h"

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
