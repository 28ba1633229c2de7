#include "sys/SearchPath.h"

#include "support/TempDir.h"
#include "sys/HostPath.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace ornibe;
using namespace ornibe::test;

namespace {

// A tool folder, a current folder and two PATH folders, all fresh.
class SearchPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const std::string& folder : {tools, here, first, second}) {
            dir.mkdir(fileName(folder));
        }
    }

    std::string program(const std::string& path) {
        writeScript(path, "exit 0\n");
        return path;
    }

    TempDir dir;
    std::string tools = dir / "tools";
    std::string here = dir / "here";
    std::string first = dir / "first";
    std::string second = dir / "second";
    ToolSearch search{tools, here, HostEnvironment({"PATH=" + first + ":" + second})};
};

} // namespace

TEST_F(SearchPathTest, searches_tool_folder_then_current_folder_then_path) {
    std::string onSecond = dir.write("second/BOOTSECT.BIN", "2");
    EXPECT_EQ(search.findOnSearchPath("BOOTSECT.BIN"), onSecond);
    std::string onFirst = dir.write("first/BOOTSECT.BIN", "1");
    EXPECT_EQ(search.findOnSearchPath("BOOTSECT.BIN"), onFirst);
    std::string inHere = dir.write("here/BOOTSECT.BIN", "h");
    EXPECT_EQ(search.findOnSearchPath("BOOTSECT.BIN"), inHere);
    std::string inTools = dir.write("tools/BOOTSECT.BIN", "t");
    EXPECT_EQ(search.findOnSearchPath("BOOTSECT.BIN"), inTools);
}

TEST_F(SearchPathTest, names_match_ignoring_case_with_exe_optional) {
    std::string cdimage = program(tools + "/cdimage");
    EXPECT_EQ(search.findOnSearchPath("CDIMAGE.EXE"), cdimage);
    EXPECT_EQ(search.findOnSearchPath("CdImage"), cdimage);
    std::string boot = dir.write("here/bootsect.bin", "b");
    EXPECT_EQ(search.findOnSearchPath("BOOTSECT.BIN"), boot);
    // ".EXE" is only dropped as a whole ending.
    EXPECT_EQ(search.findOnSearchPath("CDIMAGE.EX"), "");
    EXPECT_EQ(search.findOnSearchPath(".EXE"), "");
}

TEST_F(SearchPathTest, exact_spelling_wins_over_a_case_twin_and_over_dropping_exe) {
    dir.write("here/Setup.exe", "twin");
    std::string exact = dir.write("here/SETUP.EXE", "exact");
    dir.write("here/setup", "no ending");
    EXPECT_EQ(search.findOnSearchPath("SETUP.EXE"), exact);
    // Of several twins the answer does not depend on directory order.
    EXPECT_EQ(search.findOnSearchPath("setup.EXE"), dir / "here/SETUP.EXE");
}

TEST_F(SearchPathTest, nothing_found_gives_the_empty_text) {
    dir.mkdir("here/MAKECAB.EXE"); // a folder is not a file
    EXPECT_EQ(search.findOnSearchPath("MAKECAB.EXE"), "");
    EXPECT_EQ(search.findOnSearchPath(""), "");
    EXPECT_EQ(search.findProgram("MAKECAB.EXE"), "");
}

TEST_F(SearchPathTest, programs_come_from_tool_folder_or_path_executable_ones_first) {
    // The current folder is not searched for programs.
    program(here + "/attrib");
    EXPECT_EQ(search.findProgram("ATTRIB"), "");
    // A file without execute permission on PATH is passed over.
    dir.write("first/extract", "not executable");
    std::string runnable = program(second + "/extract");
    EXPECT_EQ(search.findProgram("EXTRACT"), runnable);
    std::string own = program(tools + "/extract");
    EXPECT_EQ(search.findProgram("EXTRACT"), own);
    // With no executable one anywhere, the file that is there is named so
    // that starting it reports why it cannot run.
    std::string plain = dir.write("second/makecab", "not executable");
    EXPECT_EQ(search.findProgram("MAKECAB.EXE"), plain);
}

TEST_F(SearchPathTest, name_with_a_folder_is_looked_up_where_it_points) {
    std::string sp = dir.write("media/SP4/W2KSP4.EXE", "sp");
    EXPECT_EQ(search.findOnSearchPath(dir / "media/SP4/W2KSP4.EXE"), sp);
    EXPECT_EQ(search.findOnSearchPath(dir / "MEDIA/sp4/w2ksp4.exe"), sp);
    EXPECT_EQ(search.findProgram(dir / "Media/Sp4/W2ksp4.Exe"), sp);
    EXPECT_EQ(search.findOnSearchPath("../media/SP4/W2KSP4.EXE"), sp);
    EXPECT_EQ(search.findOnSearchPath(dir / "media/SP4/OTHER.EXE"), "");
    EXPECT_EQ(search.findOnSearchPath(dir / "media/SP4/"), "");
}
