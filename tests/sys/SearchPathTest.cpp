#include "sys/SearchPath.h"
#include "sys/ToolFolder.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

using namespace ornibe;
using namespace ornibe::test;

namespace {

// A tool folder, a current folder and two PATH folders, all fresh.
class SearchPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedTools_ = toolFolder();
        const char* path = std::getenv("PATH");
        savedPath_ = path != nullptr ? path : "";
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        savedCwd_ = cwd;
        tools = dir.mkdir("tools");
        here = dir.mkdir("here");
        first = dir.mkdir("first");
        second = dir.mkdir("second");
        setToolFolder(tools);
        setenv("PATH", (first + ":" + second).c_str(), 1);
        ASSERT_EQ(chdir(here.c_str()), 0);
    }
    void TearDown() override {
        EXPECT_EQ(chdir(savedCwd_.c_str()), 0);
        setToolFolder(savedTools_);
        setenv("PATH", savedPath_.c_str(), 1);
    }

    std::string program(const std::string& path) {
        writeScript(path, "exit 0\n");
        return path;
    }

    TempDir dir;
    std::string tools;
    std::string here;
    std::string first;
    std::string second;

private:
    std::string savedTools_;
    std::string savedPath_;
    std::string savedCwd_;
};

} // namespace

TEST_F(SearchPathTest, searches_tool_folder_then_current_folder_then_path) {
    std::string onSecond = dir.write("second/BOOTSECT.BIN", "2");
    EXPECT_EQ(findOnSearchPath("BOOTSECT.BIN"), onSecond);
    std::string onFirst = dir.write("first/BOOTSECT.BIN", "1");
    EXPECT_EQ(findOnSearchPath("BOOTSECT.BIN"), onFirst);
    std::string inHere = dir.write("here/BOOTSECT.BIN", "h");
    EXPECT_EQ(findOnSearchPath("BOOTSECT.BIN"), inHere);
    std::string inTools = dir.write("tools/BOOTSECT.BIN", "t");
    EXPECT_EQ(findOnSearchPath("BOOTSECT.BIN"), inTools);
}

TEST_F(SearchPathTest, names_match_ignoring_case_with_exe_optional) {
    std::string cdimage = program(tools + "/cdimage");
    EXPECT_EQ(findOnSearchPath("CDIMAGE.EXE"), cdimage);
    EXPECT_EQ(findOnSearchPath("CdImage"), cdimage);
    std::string boot = dir.write("here/bootsect.bin", "b");
    EXPECT_EQ(findOnSearchPath("BOOTSECT.BIN"), boot);
    // ".EXE" is only dropped as a whole ending.
    EXPECT_EQ(findOnSearchPath("CDIMAGE.EX"), "");
    EXPECT_EQ(findOnSearchPath(".EXE"), "");
}

TEST_F(SearchPathTest, exact_spelling_wins_over_a_case_twin_and_over_dropping_exe) {
    dir.write("here/Setup.exe", "twin");
    std::string exact = dir.write("here/SETUP.EXE", "exact");
    dir.write("here/setup", "no ending");
    EXPECT_EQ(findOnSearchPath("SETUP.EXE"), exact);
    // Of several twins the answer does not depend on directory order.
    EXPECT_EQ(findOnSearchPath("setup.EXE"), dir / "here/SETUP.EXE");
}

TEST_F(SearchPathTest, nothing_found_gives_the_empty_text) {
    dir.mkdir("here/MAKECAB.EXE"); // a folder is not a file
    EXPECT_EQ(findOnSearchPath("MAKECAB.EXE"), "");
    EXPECT_EQ(findOnSearchPath(""), "");
    EXPECT_EQ(findProgram("MAKECAB.EXE"), "");
}

TEST_F(SearchPathTest, programs_come_from_tool_folder_or_path_executable_ones_first) {
    // The current folder is not searched for programs.
    program(here + "/attrib");
    EXPECT_EQ(findProgram("ATTRIB"), "");
    // A file without execute permission on PATH is passed over.
    dir.write("first/extract", "not executable");
    std::string runnable = program(second + "/extract");
    EXPECT_EQ(findProgram("EXTRACT"), runnable);
    std::string own = program(tools + "/extract");
    EXPECT_EQ(findProgram("EXTRACT"), own);
    // With no executable one anywhere, the file that is there is named so
    // that starting it reports why it cannot run.
    std::string plain = dir.write("second/makecab", "not executable");
    EXPECT_EQ(findProgram("MAKECAB.EXE"), plain);
}

TEST_F(SearchPathTest, name_with_a_folder_is_looked_up_where_it_points) {
    std::string sp = dir.write("media/SP4/W2KSP4.EXE", "sp");
    EXPECT_EQ(findOnSearchPath(dir / "media/SP4/W2KSP4.EXE"), sp);
    EXPECT_EQ(findOnSearchPath(dir / "MEDIA/sp4/w2ksp4.exe"), sp);
    EXPECT_EQ(findProgram(dir / "Media/Sp4/W2ksp4.Exe"), sp);
    EXPECT_EQ(findOnSearchPath("../media/SP4/W2KSP4.EXE"), sp);
    EXPECT_EQ(findOnSearchPath(dir / "media/SP4/OTHER.EXE"), "");
    EXPECT_EQ(findOnSearchPath(dir / "media/SP4/"), "");
}
