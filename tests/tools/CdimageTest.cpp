#include "Cdimage.h"
#include "TestFiles.h"
#include "support/CommandRun.h"

#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sstream>

namespace ornibe {
namespace {

using test::TempDir;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

using Outcome = test::ToolOutcome;

Outcome cdimage(const std::vector<std::string>& args) {
    return test::callTool([&args](std::ostream& out, std::ostream& err) {
        return runCdimage(args, HostEnvironment(), out, err);
    });
}

// Paths of the image's files (or, with type "d", folders) as recorded in
// its ISO 9660 directory, version suffix and all.
std::vector<std::string> imageEntries(const std::string& image, const std::string& type = "f") {
    test::CommandResult found = test::runCommand(
        {"xorriso", "-ecma119_map", "unmapped", "-indev", image, "-find", "/", "-type", type});
    EXPECT_EQ(found.exitCode, 0) << found.output;
    std::vector<std::string> entries;
    std::istringstream lines(found.output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() > 2 && line.front() == '\'' && line.back() == '\'' && line != "'/'") {
            entries.push_back(line.substr(1, line.size() - 2));
        }
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string volumeIdentifier(const std::string& image) {
    return test::slurp(image).substr(16 * 2048 + 40, 32);
}

// A Windows setup tree as it lands on Linux: lower-case names, a long
// driver name, a name without extension, deep folders, hidden entries.
class CdimageTree : public ::testing::Test {
protected:
    void SetUp() override {
        put("i386/setupldr.bin", test::noiseBytes(5000, 1), "/I386/SETUPLDR.BIN");
        put("i386/SiI3114r5.sy_", test::noiseBytes(3000, 2), "/I386/SII3114R5.SY_");
        put("i386/txtsetup.sif", test::textBytes(40000), "/I386/TXTSETUP.SIF");
        put("WIN51", "\r\n", "/WIN51");
        put("WIN51IP.SP2", "\r\n", "/WIN51IP.SP2");
        put("$OEM$/$1/drivers/abcdefghijklmnopqrstuvwxyz0123456.inf", "long",
            "/$OEM$/$1/DRIVERS/ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456.INF");
        put("a/b/c/d/e/f/g/h/i/j/deep.txt", "deep", "/A/B/C/D/E/F/G/H/I/J/DEEP.TXT");
        put(".hidden/.secret", "hidden", "/.HIDDEN/.SECRET");
        put("i386/empty.dat", "", "/I386/EMPTY.DAT");
        // Files are read and the image is handed on in pieces of some
        // hundred kilobytes; these cross their edges.
        put("i386/driver.cab", test::noiseBytes(256 * 1024 + 1, 3), "/I386/DRIVER.CAB");
        put("i386/sp2.cab", test::noiseBytes(600 * 1024 + 2048 + 7, 4), "/I386/SP2.CAB");
        boot = dir.write("BOOTSECT.BIN", test::noiseBytes(2048, 99));
        std::sort(expected.begin(), expected.end());
    }

    void put(const std::string& relative, const std::string& bytes, const std::string& inImage) {
        dir.write("tree/" + relative, bytes);
        expected.push_back(inImage);
        contents.emplace_back(relative, bytes);
    }

    Outcome makeImage(const std::string& label = "WXPFPP_JA") {
        return cdimage({"-l" + label, "-h", "-n", "-m", "-o", "-x", "-b" + boot, dir / "tree",
                        dir / "out.iso"});
    }

    TempDir dir;
    std::string boot;
    std::vector<std::string> expected;
    std::vector<std::pair<std::string, std::string>> contents;
};

TEST_F(CdimageTree, image_lists_every_file_under_the_name_windows_setup_looks_for) {
    Outcome run = makeImage();

    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    // Upper case, long names whole, no ";1", no trailing dot, deep
    // folders in place, hidden entries included; neither the boot file nor
    // the boot catalog shows.
    EXPECT_THAT(imageEntries(dir / "out.iso"), ElementsAreArray(expected));
    EXPECT_THAT(test::listTree(dir.path()), Not(::testing::Contains(HasSubstr(".out.iso"))));
}

TEST_F(CdimageTree, image_holds_every_file_byte_for_byte) {
    ASSERT_EQ(makeImage().code, 0);

    test::CommandResult extracted = test::runCommand(
        {"xorriso", "-osirrox", "on", "-indev", dir / "out.iso", "-extract", "/", dir / "back"});
    ASSERT_EQ(extracted.exitCode, 0) << extracted.output;
    for (size_t i = 0; i < contents.size(); ++i) {
        std::string relative = contents[i].first;
        std::string upper = relative;
        for (char& c : upper) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        SCOPED_TRACE(upper);
        EXPECT_TRUE(test::fileHolds(dir / ("back/" + upper), contents[i].second));
    }
}

TEST_F(CdimageTree, boot_entry_is_no_emulation_at_07c0_loading_four_sectors) {
    ASSERT_EQ(makeImage().code, 0);

    test::CommandResult report =
        test::runCommand({"xorriso", "-indev", dir / "out.iso", "-report_el_torito", "plain"});
    ASSERT_EQ(report.exitCode, 0) << report.output;
    std::istringstream lines(report.output);
    std::string line;
    std::vector<std::string> entry;
    while (std::getline(lines, line)) {
        if (line.rfind("El Torito boot img :", 0) == 0) {
            std::istringstream words(line.substr(20));
            std::string word;
            while (words >> word) {
                entry.push_back(word);
            }
        }
    }
    // N, platform, bootable, emulation, load segment, partition type, load
    // size, block address.
    ASSERT_EQ(entry.size(), 8u) << report.output;
    EXPECT_EQ(entry[1], "BIOS");
    EXPECT_EQ(entry[2], "y");
    EXPECT_EQ(entry[3], "none");
    EXPECT_EQ(entry[4], "0x07c0");
    EXPECT_EQ(entry[6], "4");
    size_t block = std::stoul(entry[7]);
    EXPECT_EQ(test::slurp(dir / "out.iso").substr(block * 2048, 2048), test::slurp(boot));
}

TEST_F(CdimageTree, label_with_blanks_and_quotes_arrives_intact) {
    const std::vector<std::string> labels = {"MY \"WINDOWS\" CD 'SP2'", "", "lower case",
                                             std::string(32, 'L')};
    for (const std::string& label : labels) {
        SCOPED_TRACE(label);
        ASSERT_EQ(makeImage(label).code, 0);
        std::string padded = label + std::string(32 - label.size(), ' ');
        EXPECT_EQ(volumeIdentifier(dir / "out.iso"), padded);
        if (!label.empty()) {
            test::CommandResult info =
                test::runCommand({"xorriso", "-indev", dir / "out.iso", "-pvd_info"});
            EXPECT_THAT(info.output, HasSubstr("Volume Id    : " + label + "\n"));
        }
    }
}

TEST_F(CdimageTree, refuses_bad_input_and_leaves_earlier_image_alone) {
    dir.write("out.iso", "earlier image");
    dir.write("tree/Setup.exe", "case twin one");
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    std::string tree = dir / "tree";
    std::string out = dir / "out.iso";
    const std::vector<Case> cases = {
        {{"-l" + std::string(33, 'A'), "-n", "-b" + boot, tree, out}, "cannot be used"},
        {{"-lウィンドウズ", "-n", "-b" + boot, tree, out}, "cannot be used"},
        {{"-lTAB\tLABEL", "-n", "-b" + boot, tree, out}, "cannot be used"},
        {{"-lCD", "-n", "-b" + (dir / "missing.bin"), tree, out}, "missing.bin does not exist"},
        {{"-lCD", "-n", "-b" + boot, dir / "missing", out}, "missing does not exist"},
        {{"-lCD", "-n", "-b" + boot, tree, dir / "nowhere/out.iso"}, "nowhere/out.iso"},
        {{"-lCD", "-n", "-b", tree, out}, "-b needs a boot file"},
        {{"-lCD", "-n", "-q", tree, out}, "unknown option -q"},
        {{"-lCD", "-n", tree}, "usage"},
    };
    const std::vector<std::string> before = test::listTree(dir.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        Outcome run = cdimage(c.args);
        EXPECT_NE(run.code, 0);
        EXPECT_THAT(run.err, HasSubstr(c.says));
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_TRUE(test::fileHolds(out, "earlier image"));
        EXPECT_EQ(test::listTree(dir.path()), before);
    }

    // Two names of one folder that differ only in case cannot both be
    // found by Windows: refused rather than one silently renamed.
    dir.write("tree/SETUP.EXE", "case twin two");
    Outcome twins = cdimage({"-lCD", "-n", "-b" + boot, tree, out});
    EXPECT_NE(twins.code, 0);
    EXPECT_THAT(twins.err, HasSubstr("differ only in letter case"));
    EXPECT_TRUE(test::fileHolds(out, "earlier image"));
}

TEST_F(CdimageTree, image_written_inside_the_tree_never_holds_itself) {
    // The second run finds the first one's image in the tree and replaces it.
    Outcome first =
        cdimage({"-lCD", "-h", "-n", "-o", "-b" + boot, dir / "tree", dir / "tree/WORK.ISO"});
    ASSERT_EQ(first.code, 0) << first.err;
    Outcome second =
        cdimage({"-lCD", "-h", "-n", "-o", "-b" + boot, dir / "tree", dir / "tree/WORK.ISO"});
    ASSERT_EQ(second.code, 0) << second.err;

    EXPECT_THAT(imageEntries(dir / "tree/WORK.ISO"), ElementsAreArray(expected));
    // The image it replaces goes without a word: a rebuild logs as before.
    EXPECT_THAT(second.out, Not(HasSubstr("leaving out")));

    // Under another name the earlier image is still no content, and says so.
    Outcome other =
        cdimage({"-lCD", "-h", "-n", "-o", "-b" + boot, dir / "tree", dir / "tree/OTHER.ISO"});
    ASSERT_EQ(other.code, 0) << other.err;
    EXPECT_THAT(imageEntries(dir / "tree/OTHER.ISO"), ElementsAreArray(expected));
    EXPECT_THAT(other.out, HasSubstr("cdimage: leaving out " + dir / "tree/WORK.ISO" +
                                     ": an earlier ISO image\n"));
}

TEST(Cdimage, twins_are_stored_once_with_o) {
    TempDir dir;
    const std::string big = test::noiseBytes(1 << 20, 5);
    dir.write("tree/I386/DRIVER.CAB", big);
    dir.write("tree/I386/LANG/DRIVER.CAB", big);
    dir.write("tree/OTHER.BIN", test::noiseBytes(1 << 20, 6));
    std::string boot = dir.write("boot.bin", test::noiseBytes(2048, 1));

    ASSERT_EQ(cdimage({"-lCD", "-n", "-b" + boot, dir / "tree", dir / "plain.iso"}).code, 0);
    ASSERT_EQ(cdimage({"-lCD", "-n", "-o", "-b" + boot, dir / "tree", dir / "once.iso"}).code, 0);

    struct stat plain {};
    struct stat once {};
    stat((dir / "plain.iso").c_str(), &plain);
    stat((dir / "once.iso").c_str(), &once);
    EXPECT_EQ(plain.st_size - once.st_size, 1 << 20);
    test::CommandResult extracted = test::runCommand(
        {"xorriso", "-osirrox", "on", "-indev", dir / "once.iso", "-extract", "/", dir / "back"});
    ASSERT_EQ(extracted.exitCode, 0) << extracted.output;
    EXPECT_TRUE(test::fileHolds(dir / "back/I386/DRIVER.CAB", big));
    EXPECT_TRUE(test::fileHolds(dir / "back/I386/LANG/DRIVER.CAB", big));
    EXPECT_THAT(test::slurp(dir / "back/OTHER.BIN"), Not(IsEmpty()));
}

TEST(Cdimage, without_h_and_n_hidden_entries_stay_out_and_names_are_short) {
    TempDir dir;
    dir.write("tree/.hidden", "h");
    dir.write("tree/longfilename.text", "l");

    Outcome run = cdimage({"-lCD", dir / "tree", dir / "out.iso"});
    ASSERT_EQ(run.code, 0) << run.err;

    std::vector<std::string> entries = imageEntries(dir / "out.iso");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_THAT(run.out, HasSubstr("longfilename.text: the name is longer than 8.3"));
    EXPECT_LE(entries[0].size(), std::string("/12345678.123").size());
}

} // namespace
} // namespace ornibe
