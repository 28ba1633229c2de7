#include "Makecab.h"
#include "Extract.h"
#include "TestFiles.h"
#include "support/CommandRun.h"
#include "sys/HostPath.h"
#include "sys/PendingFile.h"

#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <algorithm>
#include <sstream>

namespace ornibe {
namespace {

using test::TempDir;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;

using Outcome = test::ToolOutcome;

Outcome makecab(const std::vector<std::string>& args) {
    return test::callTool([&args](std::ostream& out, std::ostream& err) {
        return runMakecab(args, HostEnvironment(), out, err);
    });
}

Outcome extract(const std::vector<std::string>& args) {
    return test::callTool(
        [&args](std::ostream& out, std::ostream& err) { return runExtract(args, out, err); });
}

TEST(Makecab, writes_compressed_name_that_cabextract_lists_and_tests_clean) {
    TempDir dir;
    std::string source = dir.write("media/SiI3114r5.sys", test::noiseBytes(70000, 1));
    std::string i386 = dir.mkdir("I386");

    Outcome run = makecab({"/L", i386, source});

    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_THAT(test::listTree(i386), ElementsAre("SiI3114r5.sy_"));
    test::CommandResult tested = test::runCommand({"cabextract", "-t", dir / "I386/SiI3114r5.sy_"});
    EXPECT_EQ(tested.exitCode, 0) << tested.output;
    EXPECT_THAT(tested.output, HasSubstr("SiI3114r5.sys  OK"));
    EXPECT_THAT(tested.output, HasSubstr("All done, no errors."));
    test::CommandResult listed = test::runCommand({"cabextract", "-l", dir / "I386/SiI3114r5.sy_"});
    EXPECT_THAT(listed.output, HasSubstr("     70000 | "));
    EXPECT_EQ(test::slurp(dir / "I386/SiI3114r5.sy_").substr(0, 4), "MSCF");
}

TEST(Makecab, round_trip_through_extract_keeps_every_byte) {
    const std::vector<std::string> contents = {
        "", "x", test::textBytes(200000), test::noiseBytes(32768 * 3 + 5, 2),
        std::string(100000, '\0') + test::noiseBytes(1000, 3)};
    for (size_t i = 0; i < contents.size(); ++i) {
        SCOPED_TRACE("content " + std::to_string(i));
        TempDir dir;
        std::string source = dir.write("src/mshdc.inf", contents[i]);
        std::string packed = dir.mkdir("packed");
        std::string unpacked = dir.mkdir("unpacked");

        ASSERT_EQ(makecab({"/L", packed, source}).code, 0);
        Outcome run = extract({"/Y", "/L", unpacked, dir / "packed/mshdc.in_"});

        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_TRUE(test::fileHolds(dir / "unpacked/mshdc.inf", contents[i]));
        test::CommandResult theirs =
            test::runCommand({"cabextract", "-q", "-d", dir / "theirs", dir / "packed/mshdc.in_"});
        EXPECT_EQ(theirs.exitCode, 0) << theirs.output;
        EXPECT_TRUE(test::fileHolds(dir / "theirs/mshdc.inf", contents[i]));
    }
}

TEST(Makecab, names_follow_windows_setup_and_letter_case_of_what_exists) {
    TempDir dir;
    std::string plain = dir.write("src/DRIVER", "plain");
    std::string upper = dir.write("src/svcpack.inf", "new content");
    std::string i386 = dir.mkdir("I386");
    dir.write("I386/SVCPACK.IN_", "old content");

    ASSERT_EQ(makecab({"/l", i386, plain}).code, 0);
    ASSERT_EQ(makecab({"/L", i386, upper}).code, 0);

    // The last character is replaced, nothing is appended; the existing
    // upper-case cabinet is replaced rather than joined by a second name.
    EXPECT_THAT(test::listTree(i386), ElementsAre("DRIVE_", "SVCPACK.IN_"));
    TempDir out;
    ASSERT_EQ(extract({"/Y", "/L", out.path(), dir / "I386/SVCPACK.IN_"}).code, 0);
    EXPECT_TRUE(test::fileHolds(out / "svcpack.inf", "new content"));
}

// One /F run makes, for every entry, the cabinet a run of its own makes,
// byte for byte, in the letter case of what the folder holds and the later
// of two entries for one cabinet standing; an entry it cannot make is
// reported on its own line and the others still stand.
TEST(Makecab, list_run_gives_the_cabinets_of_single_runs_and_reports_a_bad_entry) {
    TempDir dir;
    const std::vector<std::pair<std::string, std::string>> files = {
        {"EMPTY.SYS", ""},
        {"tiny.inf", "x"},
        {"Mixed.Dll", test::noiseBytes(32768 * 2 + 7, 4)},
        {"big.sys", test::textBytes(150000)},
        {"again/TINY.INF", "the later one"}};
    std::string single = dir.mkdir("single");
    std::string batch = dir.mkdir("batch");
    dir.write("single/BIG.SY_", "old");
    dir.write("batch/BIG.SY_", "old");
    std::string list;
    for (const auto& [name, content] : files) {
        std::string source = dir.write("media/" + name, content);
        Outcome run = makecab({"/L", single, source});
        ASSERT_EQ(run.code, 0) << run.err;
        list += source + '\0' + '\0';
    }
    std::string missing = dir / "media/GONE.SYS";
    list = list.substr(0, list.find('\0', list.find('\0') + 1) + 1) + missing + '\0' + '\0' +
           list.substr(list.find('\0', list.find('\0') + 1) + 1);
    std::string listFile = dir.write("list", list);

    Outcome run = makecab({"/L", batch, "/F", listFile});

    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "makecab: cannot read " + missing + ": no such file\n");
    EXPECT_EQ(test::listTree(batch), test::listTree(single));
    for (const std::string& cabinet : test::listTree(single)) {
        SCOPED_TRACE(cabinet);
        EXPECT_EQ(test::slurp(batch + "/" + cabinet), test::slurp(single + "/" + cabinet));
    }
    EXPECT_THAT(test::listTree(batch),
                ElementsAre("BIG.SY_", "EMPTY.SY_", "Mixed.Dl_", "tiny.in_"));
    TempDir out;
    ASSERT_EQ(extract({"/Y", "/L", out.path(), batch + "/tiny.in_"}).code, 0);
    EXPECT_TRUE(test::fileHolds(out / "TINY.INF", "the later one"));
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), static_cast<long>(files.size()));
}

// A name of the list that a caller reserved as a pending file is filled in
// place, adding no entry of its own; one that is not there is made anew.
TEST(Makecab, a_reserved_place_is_filled_where_it_stands) {
    TempDir dir;
    std::string source = dir.write("media/disk.sys", test::textBytes(20000));
    std::string i386 = dir.mkdir("I386");
    std::string reserved = reservePendingFile(i386 + "/DISK.SY_");
    struct stat before {};
    ASSERT_EQ(::stat(reserved.c_str(), &before), 0);
    std::string absent = fileName(reservePendingFile(i386 + "/OTHER.SY_"));
    ::unlink((i386 + "/" + absent).c_str());
    std::string listFile = dir.write("list", source + '\0' + fileName(reserved) + '\0' + source +
                                                 '\0' + absent + '\0');

    Outcome run = makecab({"/L", i386, "/F", listFile});

    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_THAT(test::listTree(i386), UnorderedElementsAre(absent, fileName(reserved)));
    struct stat after {};
    ASSERT_EQ(::stat(reserved.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(test::slurp(reserved), test::slurp(i386 + "/" + absent));
    TempDir out;
    ASSERT_EQ(extract({"/Y", "/L", out.path(), reserved}).code, 0);
    EXPECT_TRUE(test::fileHolds(out / "disk.sys", test::textBytes(20000)));
}

TEST(Makecab, refuses_bad_input_with_one_line_and_writes_nothing) {
    TempDir dir;
    std::string source = dir.write("x.sys", "driver");
    std::string out = dir.mkdir("out");
    dir.mkdir("folder.sys");
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"/L", out, dir / "missing.sys"}, "missing.sys: no such file"},
        {{"/L", out, dir / "folder.sys"}, "folder.sys: it is a folder"},
        {{"/L", dir / "nowhere", source}, "nowhere does not exist"},
        {{"/L", out}, "usage"},
        {{"/Q", source}, "unknown option /Q"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        Outcome run = makecab(c.args);
        EXPECT_NE(run.code, 0);
        EXPECT_THAT(run.err, HasSubstr(c.says));
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
        EXPECT_TRUE(test::listTree(out).empty());
    }
}

TEST(Makecab, leaves_read_only_cabinet_as_it_was) {
    TempDir dir;
    std::string source = dir.write("x.sys", "driver");
    std::string target = dir.write("out/x.sy_", "old bytes");
    chmod(target.c_str(), 0444);

    Outcome run = makecab({"/L", dir / "out", source});

    EXPECT_NE(run.code, 0);
    EXPECT_THAT(run.err, HasSubstr("x.sy_"));
    EXPECT_TRUE(test::fileHolds(target, "old bytes"));
    EXPECT_THAT(test::listTree(dir / "out"), ElementsAre("x.sy_"));
}

// A cabinet dates a file in the DOS form, whose years run from 1980 to
// 2107: an earlier or later file date, or SOURCE_DATE_EPOCH, is stored as
// the first or last date it holds instead of wrapping round to another year.
TEST(Makecab, dates_outside_the_dos_years_are_stored_as_their_first_or_last_day) {
    TempDir dir;
    struct Case {
        std::time_t modified;
        std::string epoch;
        std::string listed;
    };
    const std::vector<Case> cases = {
        {157766400, "", "01.01.1980 00:00:00"},            // 1975-01-01
        {645451200, "", "15.06.1990 12:00:00"},            // kept as it is
        {645451200, "0", "01.01.1980 00:00:00"},           // later than the epoch
        {157766400, "86400", "01.01.1980 00:00:00"},       // both before 1980
        {645451200, "946684800", "15.06.1990 12:00:00"},   // earlier than the epoch
        {4417977600, "", "31.12.2107 23:59:58"},           // 2110-01-01
        {4417977600, "5000000000", "31.12.2107 23:59:58"}, // both after 2107
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.listed + " for epoch " + c.epoch);
        const std::string name = "d" + std::to_string(i) + ".sys";
        std::string source = dir.write("media/" + name, "driver bytes");
        const utimbuf times{c.modified, c.modified};
        ASSERT_EQ(::utime(source.c_str(), &times), 0);
        std::string out = dir.mkdir("out" + std::to_string(i));

        std::vector<std::string> argv = {"env", "TZ=UTC"};
        if (!c.epoch.empty()) {
            argv.push_back("SOURCE_DATE_EPOCH=" + c.epoch);
        }
        argv.insert(argv.end(), {test::builtTool("makecab"), "/L", out, source});
        test::CommandResult run = test::runCommand(argv);
        ASSERT_EQ(run.exitCode, 0) << run.output;

        test::CommandResult listed =
            test::runCommand({"cabextract", "-l", out + "/d" + std::to_string(i) + ".sy_"});
        EXPECT_THAT(listed.output, HasSubstr("| " + c.listed + " | " + name));
    }
}

} // namespace
} // namespace ornibe
