#include "Extract.h"
#include "TestFiles.h"
#include "support/CommandRun.h"

#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

namespace ornibe {
namespace {

using test::TempDir;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

using Outcome = test::ToolOutcome;

Outcome extract(const std::vector<std::string>& args) {
    return test::callTool(
        [&args](std::ostream& out, std::ostream& err) { return runExtract(args, out, err); });
}

// A cabinet made by Debian's gcab with MSZIP compression, holding the
// given files (paths relative to the folder "in" of dir).
std::string gcabCabinet(const TempDir& dir, const std::vector<std::string>& files) {
    std::vector<std::string> argv = {"gcab", "-c", "-z", dir / "made.cab"};
    argv.insert(argv.end(), files.begin(), files.end());
    test::CommandResult made = test::runCommand(argv, dir / "in");
    EXPECT_EQ(made.exitCode, 0) << made.output;
    return dir / "made.cab";
}

TEST(Extract, expands_every_file_of_a_gcab_cabinet_with_its_bytes) {
    TempDir dir;
    const std::string inf = test::textBytes(120000);
    const std::string sys = test::noiseBytes(50000, 7);
    dir.write("in/svcpack.inf", inf);
    dir.write("in/drivers/si3114.sys", sys);
    std::string cabinet = gcabCabinet(dir, {"svcpack.inf", "drivers/si3114.sys"});
    std::string out = dir.mkdir("TEMP");

    Outcome run = extract({"/Y", "/L", out, cabinet});

    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_THAT(test::listTree(out), ElementsAre("drivers/", "drivers/si3114.sys", "svcpack.inf"));
    EXPECT_TRUE(test::fileHolds(out + "/svcpack.inf", inf));
    EXPECT_TRUE(test::fileHolds(out + "/drivers/si3114.sys", sys));
}

TEST(Extract, list_run_expands_each_entry_as_a_single_run_and_reports_a_bad_entry) {
    TempDir dir;
    const std::string inf = test::textBytes(90000);
    const std::string sys = test::noiseBytes(40000, 3);
    dir.write("in/drv1.inf", inf);
    dir.write("in/DRV1.SYS", sys);
    std::string both = gcabCabinet(dir, {"drv1.inf", "DRV1.SYS"});
    std::string missing = dir / "gone.cab";
    std::string one = dir.mkdir("one");
    std::string two = dir.mkdir("two");
    std::string all = dir.mkdir("all");
    dir.write("two/DRV1.SYS", "older");
    std::string list = both + '\0' + one + '\0' + "DRV1.INF" + '\0' + missing + '\0' + one + '\0' +
                       "x.sys" + '\0' + both + '\0' + two + '\0' + "drv1.sys" + '\0' + both + '\0' +
                       all + '\0' + '\0';

    Outcome run = extract({"/Y", "/F", dir.write("list", list)});

    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "extract: cannot read " + missing + ": no such file\n");
    EXPECT_THAT(test::listTree(one), ElementsAre("drv1.inf"));
    EXPECT_TRUE(test::fileHolds(one + "/drv1.inf", inf));
    // /Y holds for every entry: the older file is replaced.
    EXPECT_THAT(test::listTree(two), ElementsAre("DRV1.SYS"));
    EXPECT_TRUE(test::fileHolds(two + "/DRV1.SYS", sys));
    // An empty name takes every file.
    EXPECT_THAT(test::listTree(all), ElementsAre("DRV1.SYS", "drv1.inf"));

    // Without /Y an existing file is refused; a list cut short is refused
    // whole.
    EXPECT_EQ(
        extract({"/F", dir.write("list2", both + '\0' + two + '\0' + "DRV1.SYS" + '\0')}).code, 1);
    EXPECT_TRUE(test::fileHolds(two + "/DRV1.SYS", sys));
    Outcome cut = extract({"/Y", "/F", dir.write("list3", both + '\0' + one + '\0')});
    EXPECT_EQ(cut.code, 1);
    EXPECT_THAT(cut.err, HasSubstr("an entry without its name"));
    EXPECT_THAT(extract({"/F", dir / "list", both}).err, HasSubstr("usage: extract"));
}

TEST(Extract, replaces_existing_files_and_their_case_twins_with_y) {
    TempDir dir;
    dir.write("in/mshdc.inf", "new inf");
    dir.write("in/Drivers/x.sys", "new sys");
    std::string cabinet = gcabCabinet(dir, {"mshdc.inf", "Drivers/x.sys"});
    dir.write("out/MSHDC.INF", "old inf");
    dir.write("out/DRIVERS/X.SYS", "old sys");

    Outcome run = extract({"/y", "/l", dir / "out", cabinet});

    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_THAT(test::listTree(dir / "out"), ElementsAre("DRIVERS/", "DRIVERS/X.SYS", "MSHDC.INF"));
    EXPECT_TRUE(test::fileHolds(dir / "out/MSHDC.INF", "new inf"));
    EXPECT_TRUE(test::fileHolds(dir / "out/DRIVERS/X.SYS", "new sys"));
}

TEST(Extract, damaged_or_refused_cabinet_changes_nothing) {
    TempDir dir;
    dir.write("in/a.inf", test::textBytes(300000));
    dir.write("in/b.sys", test::noiseBytes(300000, 9));
    std::string cabinet = gcabCabinet(dir, {"a.inf", "b.sys"});
    std::string whole = test::slurp(cabinet);
    std::string truncated = dir.write("truncated.cab", whole.substr(0, whole.size() / 2));
    std::string corrupt = whole;
    corrupt[whole.size() - 1000] ^= 0x55;
    std::string corrupted = dir.write("corrupt.cab", corrupt);
    std::string text = dir.write("text.in_", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
    dir.write("out/a.inf", "old a");
    dir.write("readonly/b.sys", "old b");
    chmod((dir / "readonly/b.sys").c_str(), 0444);
    dir.mkdir("folder/b.sys");
    struct Case {
        std::vector<std::string> args;
        std::string folder;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"/Y", "/L", dir / "out", truncated}, "out", "truncated.cab"},
        {{"/Y", "/L", dir / "out", corrupted}, "out", "corrupt.cab"},
        {{"/Y", "/L", dir / "out", text}, "out", "text.in_ is not a readable cabinet"},
        {{"/Y", "/L", dir / "out", dir / "missing.cab"}, "out", "missing.cab: no such file"},
        {{"/Y", "/L", dir / "nowhere", cabinet}, "out", "nowhere does not exist"},
        {{"/L", dir / "out", cabinet}, "out", "a.inf exists; give /Y to replace it"},
        {{"/Y", "/L", dir / "readonly", cabinet}, "readonly", "b.sys: it is read-only"},
        {{"/Y", "/L", dir / "folder", cabinet}, "folder", "b.sys: it is a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        std::vector<std::string> before = test::listTree(dir / c.folder);
        Outcome run = extract(c.args);
        EXPECT_NE(run.code, 0);
        EXPECT_THAT(run.err, HasSubstr(c.says));
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(test::listTree(dir / c.folder), before);
    }
    EXPECT_TRUE(test::fileHolds(dir / "out/a.inf", "old a"));
    EXPECT_TRUE(test::fileHolds(dir / "readonly/b.sys", "old b"));
}

TEST(Extract, refuses_a_stored_name_that_climbs_out_of_the_folder) {
    TempDir dir;
    dir.write("in/zz/evil.txt", "evil");
    std::string cabinet = gcabCabinet(dir, {"zz/evil.txt"});
    std::string bytes = test::slurp(cabinet);
    size_t at = bytes.find("zz\\evil.txt");
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 2, "..");
    dir.write("climbing.cab", bytes);
    std::string out = dir.mkdir("deep/out");

    Outcome run = extract({"/Y", "/L", out, dir / "climbing.cab"});

    EXPECT_NE(run.code, 0);
    EXPECT_THAT(run.err, HasSubstr("points outside the destination folder: ..\\evil.txt"));
    EXPECT_THAT(test::listTree(dir / "deep"), ElementsAre("out/"));
}

TEST(Extract, names_on_the_command_line_pick_files_ignoring_case) {
    TempDir dir;
    dir.write("in/a.inf", "a");
    dir.write("in/b.sys", "b");
    std::string cabinet = gcabCabinet(dir, {"a.inf", "b.sys"});
    std::string out = dir.mkdir("out");

    Outcome run = extract({"/Y", "/L", out, cabinet, "B.SYS"});

    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_THAT(test::listTree(out), ElementsAre("b.sys"));
}

} // namespace
} // namespace ornibe
