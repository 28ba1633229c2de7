#include "runner/DriverStaging.h"

#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "patch/SetupFileEditor.h"
#include "runner/MemoryProgressLog.h"
#include "support/BuildTreeTools.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"
#include "support/TestEnvironment.h"
#include "sys/HostPath.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace ornibe {
namespace {

using test::fileHolds;
using test::slurp;
using test::TempDir;

std::set<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names = folderEntries(folder).value_or(std::vector<std::string>{});
    return {names.begin(), names.end()};
}

const std::string kCopying = " をコピーしています。。。";
const std::string kDone = "完了\r\n";

class DriverStaging : public ::testing::Test {
protected:
    TempDir dir;
    std::string i386 = dir.mkdir("WORK/I386");
    std::string medium = dir.mkdir("medium");
    std::string noTools = dir.mkdir("no-tools");
    ToolSearch tools = test::buildTreeTools(dir.path());
    DriverPackage package;
    MemoryProgressLog log;

    std::string onMedium(const std::string& name, const std::string& bytes) {
        return dir.write("medium/" + name, bytes);
    }
    Outcome stage() { return stageDriverFiles(tools, i386, package, log); }
    // The line under the failure message when staging fails.
    std::string reasonLine() {
        Outcome staged = stage();
        return staged ? std::string("(staged)") : staged.failure().line();
    }
};

TEST_F(DriverStaging, empty_package_logs_nothing_and_succeeds) {
    EXPECT_TRUE(stage());
    EXPECT_EQ(log.text(), "");
    EXPECT_EQ(log.appendCount(), 0);
}

TEST_F(DriverStaging, files_are_compressed_into_i386_and_catalogs_copied_to_svcpack) {
    package.AddFileTarget(onMedium("x.sys", "driver"), "C:\\WINDOWS\\system32\\drivers");
    package.AddInfFile(onMedium("x.inf", "[Version]\r\n"));
    package.AddCatalogFile(onMedium("x.cat", "catalog"));
    ASSERT_TRUE(stage());
    EXPECT_EQ(log.text(),
              "x.sys" + kCopying + kDone + "x.inf" + kCopying + kDone + "x.cat" + kCopying + kDone);
    std::string cabinet = slurp(joinPath(i386, "x.sy_"));
    EXPECT_EQ(cabinet.substr(0, 4), "MSCF");
    EXPECT_EQ(slurp(joinPath(i386, "x.in_")).substr(0, 4), "MSCF");
    EXPECT_TRUE(fileHolds(joinPath(i386, "SVCPACK/x.cat"), "catalog"));
    EXPECT_FALSE(existsAsFile(joinPath(i386, "x.sys")));
}

TEST_F(DriverStaging, paths_with_blanks_and_quotes_reach_makecab_whole) {
    package.AddFileTarget(dir.write("my \"disk\" 1\\/x y.sys", "driver"),
                          "C:\\WINDOWS\\system32\\drivers");
    std::string spaced = dir.mkdir("work folder/I386");
    ASSERT_TRUE(stageDriverFiles(tools, spaced, package, log));
    EXPECT_EQ(slurp(joinPath(spaced, "x y.sy_")).substr(0, 4), "MSCF");
    EXPECT_EQ(log.text(), "x y.sys" + kCopying + kDone);
}

TEST_F(DriverStaging, without_makecab_the_supplied_compressed_file_is_copied) {
    package.AddFileTarget(onMedium("x.sys", "driver"), "C:\\WINDOWS\\system32\\drivers");
    onMedium("x.sy_", "supplied");
    package.AddFileTarget(onMedium("DRIVER", "plain"), "C:\\WINDOWS\\system32\\drivers");
    onMedium("DRIVE_", "supplied driver");
    dir.write("WORK/I386/x.sy_", "older");
    tools = test::toolSearch(noTools, dir.path(), test::withoutSearchPath());
    ASSERT_TRUE(stage());
    EXPECT_TRUE(fileHolds(joinPath(i386, "x.sy_"), "supplied"));
    EXPECT_TRUE(fileHolds(joinPath(i386, "DRIVE_"), "supplied driver"));
    EXPECT_EQ(log.text(), "x.sys" + kCopying + kDone + "DRIVER" + kCopying + kDone);
}

// Two drivers, each with its own INF named oem.inf and a driver file
// drv.sys (spelt DRV.SYS by the second): the first INF wins for the IDs and
// the service, so its files are the ones placed, each once, and
// TXTSETUP.SIF names each once.
TEST_F(DriverStaging, files_of_one_name_from_two_drivers_are_those_of_the_first_inf) {
    auto driverInf = [](const std::string& binary, const std::string& ids) {
        return "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
               "[SourceDisksNames]\r\n1 = Disk,,,\r\n"
               "[SourceDisksFiles]\r\n" +
               binary +
               " = 1\r\n"
               "[DestinationDirs]\r\nDefaultDestDir = 12\r\n"
               "[Manufacturer]\r\nM = Models\r\n"
               "[Models]\r\nDevice = Inst, " +
               ids +
               "\r\n"
               "[Inst]\r\nCopyFiles = Files\r\n"
               "[Files]\r\n" +
               binary +
               "\r\n"
               "[Inst.Services]\r\nAddService = drv, 2, Svc\r\n"
               "[Svc]\r\nServiceBinary = %12%\\" +
               binary + "\r\nLoadOrderGroup = \"SCSI Miniport\"\r\n";
    };
    const std::string first = onMedium("a/oem.inf", driverInf("drv.sys", "PCI\\VEN_1"));
    onMedium("a/drv.sys", "first driver");
    onMedium("a/drv.sy_", "first driver, compressed");
    onMedium("a/oem.in_", "first inf, compressed");
    const std::string second =
        onMedium("b/oem.inf", driverInf("DRV.SYS", "PCI\\VEN_1, PCI\\VEN_2"));
    onMedium("b/DRV.SYS", "second driver");
    onMedium("b/DRV.SY_", "second driver, compressed");
    onMedium("b/OEM.IN_", "second inf, compressed");
    InfReader(first).ReadDriverPackage(package, WindowsVersion::WindowsXp);
    InfReader(second).ReadDriverPackage(package, WindowsVersion::WindowsXp);
    ASSERT_EQ(package.serviceBinaries().entries(), std::vector<std::string>{"drv.sys"});

    // Without makecab the compressed files that the media supply are
    // copied as they are, which tells whose file was placed.
    tools = test::toolSearch(noTools, dir.path(), test::withoutSearchPath());
    ASSERT_TRUE(stage());
    EXPECT_EQ(log.text(), "drv.sys" + kCopying + kDone + "oem.inf" + kCopying + kDone);
    EXPECT_EQ(namesIn(i386), (std::set<std::string>{"drv.sy_", "oem.in_"}));
    EXPECT_TRUE(fileHolds(joinPath(i386, "drv.sy_"), "first driver, compressed"));
    EXPECT_TRUE(fileHolds(joinPath(i386, "oem.in_"), "first inf, compressed"));

    dir.write("WORK/I386/TXTSETUP.SIF", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                                        "[WinntDirectories]\r\n1 = \"\\\"\r\n"
                                        "4 = system32\\drivers\r\n20 = inf\r\n\x1A");
    SetupFileEditor editor(tools, i386, package,
                           {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
    const std::string text = editor.BuildTxtsetupText();
    EXPECT_TRUE(text.starts_with("\r\n[SourceDisksFiles]\r\n"
                                 "drv.sys = 1,,,,,,,4,0,0\r\n"
                                 "oem.inf = 1,,,,,,,20,0,0\r\n"
                                 "\r\n[HardwareIdsDatabase]\r\n"))
        << text;
}

TEST_F(DriverStaging, failing_makecab_falls_back_to_the_supplied_file) {
    test::writeScript(joinPath(noTools, "makecab"), "exit 1\n");
    package.AddFileTarget(onMedium("x.sys", "driver"), "C:\\WINDOWS\\system32\\drivers");
    onMedium("x.sy_", "supplied");
    tools = test::toolSearch(noTools, dir.path(), test::withoutSearchPath());
    ASSERT_TRUE(stage());
    EXPECT_TRUE(fileHolds(joinPath(i386, "x.sy_"), "supplied"));
}

// Without a supplied file the tool's failure is the reason: its exit code
// and the last line it wrote.
TEST_F(DriverStaging, failing_makecab_without_a_supplied_file_gives_its_reason) {
    test::writeScript(joinPath(noTools, "makecab"),
                      "echo 'compressing x.sys'\necho 'makecab: disk is full' >&2\nexit 3\n");
    package.AddFileTarget(onMedium("x.sys", "driver"), "C:\\WINDOWS\\system32\\drivers");
    tools = test::toolSearch(noTools, dir.path(), test::withoutSearchPath());
    EXPECT_EQ(reasonLine(),
              joinPath(noTools, "makecab") + ": 終了コード 3（makecab: disk is full）");
    EXPECT_EQ(log.text(), "x.sys" + kCopying);

    // A tool that cannot be started says why.
    ::chmod(joinPath(noTools, "makecab").c_str(), 0644);
    EXPECT_EQ(reasonLine(), joinPath(noTools, "makecab") + ": Permission denied");
}

TEST_F(DriverStaging, file_missing_on_the_medium_stops_with_its_line_open) {
    package.AddFileTarget(medium + "/gone.sys", "C:\\WINDOWS\\system32\\drivers");
    package.AddFileTarget(onMedium("later.sys", "x"), "C:\\WINDOWS\\system32\\drivers");
    package.AddCatalogFile(onMedium("later.cat", "c"));
    EXPECT_EQ(reasonLine(), medium + "/gone.sys: No such file or directory");
    EXPECT_EQ(log.text(), "gone.sys" + kCopying);
    EXPECT_EQ(namesIn(i386), std::set<std::string>{});

    // A file that has turned into a folder, in another letter case.
    dir.mkdir("medium/FOLDER.SYS");
    DriverPackage turned;
    turned.AddFileTarget(medium + "/folder.sys", "C:\\WINDOWS\\system32\\drivers");
    Outcome staged = stageDriverFiles(tools, i386, turned, log);
    ASSERT_FALSE(staged);
    EXPECT_EQ(staged.failure().line(), medium + "/folder.sys: Is a directory");
    EXPECT_EQ(namesIn(i386), std::set<std::string>{});
}

TEST_F(DriverStaging, neither_makecab_nor_supplied_file_fails) {
    package.AddFileTarget(onMedium("x.sys", "driver"), "C:\\WINDOWS\\system32\\drivers");
    tools = test::toolSearch(noTools, dir.path(), test::withoutSearchPath());
    EXPECT_EQ(reasonLine(), medium + "/x.sys: MAKECAB.EXE が見つかりません。");
    EXPECT_EQ(log.text(), "x.sys" + kCopying);
}

TEST_F(DriverStaging, supplied_compressed_file_that_is_a_link_is_never_read_through) {
    const std::string secret = dir.write("secret", "not the driver's");
    ASSERT_EQ(::symlink(secret.c_str(), (medium + "/x.sy_").c_str()), 0);
    package.AddFileTarget(medium + "/x.sys", "C:\\WINDOWS\\system32\\drivers");
    EXPECT_EQ(reasonLine(), medium + "/x.sys: " + medium + "/x.sy_ はリンクです");
    EXPECT_EQ(namesIn(i386), std::set<std::string>{});
}

TEST_F(DriverStaging, second_catalog_of_the_same_name_replaces_the_first) {
    package.AddCatalogFile(dir.write("medium/a/drv.cat", "first"));
    package.AddCatalogFile(dir.write("medium/b/drv.cat", "second"));
    ASSERT_TRUE(stage());
    EXPECT_TRUE(fileHolds(joinPath(i386, "SVCPACK/drv.cat"), "second"));
}

TEST_F(DriverStaging, missing_catalog_fails_after_the_folder_was_made) {
    package.AddCatalogFile(medium + "/gone.cat");
    EXPECT_EQ(reasonLine(), medium + "/gone.cat: No such file or directory");
    EXPECT_EQ(log.text(), "gone.cat" + kCopying);
    EXPECT_TRUE(existsAsFolder(joinPath(i386, "SVCPACK")));
}

TEST_F(DriverStaging, lower_case_tree_gets_no_second_name) {
    std::string lower = dir.mkdir("lower/i386");
    dir.mkdir("lower/i386/svcpack");
    dir.write("lower/i386/X.SY_", "older");
    package.AddFileTarget(onMedium("x.sys", "driver"), "C:\\WINDOWS\\system32\\drivers");
    package.AddCatalogFile(onMedium("x.cat", "catalog"));
    ASSERT_TRUE(stageDriverFiles(tools, lower, package, log));
    EXPECT_EQ(namesIn(lower), (std::set<std::string>{"X.SY_", "svcpack"}));
    EXPECT_EQ(slurp(joinPath(lower, "X.SY_")).substr(0, 4), "MSCF");
    EXPECT_TRUE(fileHolds(joinPath(lower, "svcpack/x.cat"), "catalog"));
}

TEST_F(DriverStaging, read_only_file_in_i386_makes_the_fallback_fail) {
    package.AddFileTarget(onMedium("x.sys", "driver"), "C:\\WINDOWS\\system32\\drivers");
    onMedium("x.sy_", "supplied");
    std::string old = dir.write("WORK/I386/x.sy_", "older");
    ::chmod(old.c_str(), 0444);
    tools = test::toolSearch(noTools, dir.path(), test::withoutSearchPath());
    EXPECT_EQ(reasonLine(), old + ": Permission denied");
    EXPECT_TRUE(fileHolds(old, "older"));
}

} // namespace
} // namespace ornibe
