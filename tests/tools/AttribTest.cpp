#include "Attrib.h"

#include "support/CommandRun.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

namespace ornibe {
namespace {

using test::TempDir;
using ::testing::HasSubstr;

bool ownerMayWrite(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return (st.st_mode & S_IWUSR) != 0;
}

void makeReadOnly(const std::string& path) {
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    ASSERT_EQ(chmod(path.c_str(), st.st_mode & ~S_IWUSR & 07777), 0);
}

using Outcome = test::ToolOutcome;

Outcome attrib(const std::vector<std::string>& args, const std::string& folder) {
    return test::callTool([&args, &folder](std::ostream& out, std::ostream& err) {
        return runAttrib(args, folder, out, err);
    });
}

// A tree copied from a CD: everything read-only, folders included.
class ReadOnlyTree : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("work/WIN51", "x");
        dir.write("work/I386/TXTSETUP.SIF", "x");
        dir.write("work/I386/SVCPACK/a.cat", "x");
        outside = dir.write("outside.txt", "x");
        ASSERT_EQ(symlink(outside.c_str(), (dir / "work/link.txt").c_str()), 0);
        for (const char* path : {"outside.txt", "work/I386/SVCPACK/a.cat", "work/I386/SVCPACK",
                                 "work/I386/TXTSETUP.SIF", "work/I386", "work/WIN51"}) {
            makeReadOnly(dir / path);
        }
    }

    TempDir dir;
    std::string outside;
};

TEST_F(ReadOnlyTree, minus_r_with_s_and_d_gives_write_to_everything_below) {
    Outcome run = attrib({"-R", "/S", "/D"}, dir / "work");

    EXPECT_EQ(run.code, 0) << run.err;
    for (const char* path : {"work/WIN51", "work/I386", "work/I386/TXTSETUP.SIF",
                             "work/I386/SVCPACK", "work/I386/SVCPACK/a.cat"}) {
        EXPECT_TRUE(ownerMayWrite(dir / path)) << path;
    }
    // A link is not followed out of the tree.
    EXPECT_FALSE(ownerMayWrite(outside));
}

TEST_F(ReadOnlyTree, without_s_or_d_only_files_of_the_folder_itself_change) {
    ASSERT_EQ(attrib({"-r"}, dir / "work").code, 0);
    EXPECT_TRUE(ownerMayWrite(dir / "work/WIN51"));
    EXPECT_FALSE(ownerMayWrite(dir / "work/I386"));
    EXPECT_FALSE(ownerMayWrite(dir / "work/I386/TXTSETUP.SIF"));

    ASSERT_EQ(attrib({"-R", "/S"}, dir / "work").code, 0);
    EXPECT_TRUE(ownerMayWrite(dir / "work/I386/SVCPACK/a.cat"));
    EXPECT_FALSE(ownerMayWrite(dir / "work/I386/SVCPACK"));
}

TEST_F(ReadOnlyTree, plus_r_sets_and_a_bare_call_lists_the_attribute) {
    ASSERT_EQ(attrib({"-R", "/S", "/D"}, dir / "work").code, 0);
    ASSERT_EQ(attrib({"+R"}, dir / "work").code, 0);
    EXPECT_FALSE(ownerMayWrite(dir / "work/WIN51"));

    Outcome listed = attrib({}, dir / "work");
    EXPECT_EQ(listed.code, 0);
    EXPECT_THAT(listed.out, HasSubstr("  R  " + (dir / "work/WIN51") + "\n"));
}

TEST(Attrib, reports_a_folder_it_cannot_read_and_an_unknown_option) {
    TempDir dir;
    Outcome missing = attrib({"-R", "/S", "/D"}, dir / "missing");
    EXPECT_NE(missing.code, 0);
    EXPECT_THAT(missing.err, HasSubstr("missing"));

    Outcome unknown = attrib({"-H"}, dir.path());
    EXPECT_NE(unknown.code, 0);
    EXPECT_THAT(unknown.err, HasSubstr("unknown argument -H"));
}

} // namespace
} // namespace ornibe
