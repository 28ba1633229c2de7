// The names a driver brings into the tree, through ornibe-build: a file
// named like one of the CD's own setup files, or too long for the image,
// is refused before anything changes; a rebuild with the same driver is
// not taken for such a clash.

#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;

class DriverNamesCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(kSampleTree, cd, fs::copy_options::recursive);
        fs::copy(kSampleTree, work, fs::copy_options::recursive);
    }

    // The sample driver in folder, its INF called infName and its driver
    // file called driverName, the INF's text following.
    std::string driver(const std::string& folder, const std::string& infName,
                       const std::string& driverName) const {
        const std::string inf = slurp(kSampleDriverInf);
        dir.write(
            folder + "/" + infName,
            std::regex_replace(inf, std::regex("OrScsi\\.sys", std::regex::icase), driverName));
        dir.write(folder + "/ORSCSI.CAT", slurp(kSampleDriverFolder + "/ORSCSI.CAT"));
        dir.write(folder + "/X86/" + driverName, slurp(kSampleDriverFolder + "/X86/ORSCSI.SYS"));
        return dir / folder + "/" + infName;
    }

    TempDir dir;
    const std::string cd = dir / "cd";
    const std::string work = dir / "xp";
};

TEST_F(DriverNamesCommandTest, a_driver_never_replaces_a_file_of_the_cd_or_loses_its_name) {
    // An INF called like the CD's SVCPACK.INF, which the CD holds as
    // SVCPACK.IN_; a driver file called like one the tree holds plain.
    const std::string svcpack = driver("svcpack", "svcpack.inf", "OrScsi.sys");
    const std::string plain = driver("plain", "OrScsi.inf", "Bootfont.bin");
    const std::string longName = "ornibe-sample-scsi-miniport-driver.sys";
    const std::string along = driver("long", "OrScsi.inf", longName);
    const std::string replaces = " と同じ名前で、組み込むとその CD のファイルを置き換えます。";
    expectRefusedLeavingAsItWas(
        dir.path(),
        {
            {{"--work", work, "--driver", svcpack},
             "ドライバのファイル " + svcpack + " は使えません。\nCD のファイル I386\\SVCPACK.IN_" +
                 replaces},
            {{"--work", dir / "new", "--source", cd, "--driver", svcpack, "--yes"},
             "CD のファイル I386\\SVCPACK.IN_" + replaces},
            {{"--work", work, "--driver", plain},
             "ドライバのファイル " + dir / "plain/X86/Bootfont.bin" +
                 " は使えません。\nCD のファイル I386\\BOOTFONT.BIN" + replaces},
            {{"--work", work, "--driver", along, "--iso", dir / "out.iso"},
             "ドライバのファイル " + dir / "long/X86/" + longName + " は使えません。\n名前 " +
                 longName + " が 38 バイトで、ISO イメージに書ける長さ (37 バイト) を超えます。"},
        });

    // The same bytes replace nothing: the tree's own copy of the driver
    // file, plain and in a cabinet, is no clash.
    fs::copy_file(kSampleDriverFolder + "/X86/ORSCSI.SYS", work + "/I386/ORSCSI.SYS");
    ASSERT_EQ(runCommand({builtTool("makecab"), "/L", work + "/I386", work + "/I386/ORSCSI.SYS"})
                  .exitCode,
              0);
    const std::string sample = driver("sample", "OrScsi.inf", "OrScsi.sys");
    CommandResult first = runBuild({"--work", work, "--driver", sample});
    ASSERT_EQ(first.exitCode, 0) << first.output;
    // A rebuild over the tree, with and without the CD, finds the driver's
    // earlier copy, not the CD's file.
    CommandResult again = runBuild({"--work", work, "--driver", sample});
    EXPECT_EQ(again.exitCode, 0) << again.output;
    CommandResult copied =
        runBuild({"--work", dir / "new", "--source", cd, "--driver", sample, "--yes"});
    ASSERT_EQ(copied.exitCode, 0) << copied.output;
    CommandResult rebuilt = runBuild({"--work", dir / "new", "--driver", sample});
    EXPECT_EQ(rebuilt.exitCode, 0) << rebuilt.output;
    // Without an image the long name stays in the tree as it is.
    CommandResult treeOnly = runBuild({"--work", dir / "new", "--driver", along});
    EXPECT_EQ(treeOnly.exitCode, 0) << treeOnly.output;
}

} // namespace
} // namespace ornibe::test
