// The setup-file patchers on an x64 tree's AMD64 folder.

#include "patch/SetupFileEditor.h"

#include "PatchTestSupport.h"
#include "inf/DriverPackage.h"
#include "inf/InfFile.h"
#include "support/BuildTreeTools.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

using test::kVersionHeader;

TEST(X64SetupFilesTest, amd64_files_list_takes_the_driver_even_when_a_wow64_file_has_its_name) {
    test::TempDir dir;
    const std::string amd64 = dir.mkdir("AMD64");
    const std::string start = kVersionHeader +
                              "[WinntDirectories]\r\n4 = system32\\drivers\r\n20 = inf\r\n"
                              "[SourceDisksFiles.x86]\r\ndrv.sys = 55,,,,,,,2,0,0\r\n\x1a";
    const std::string sif = dir.write("AMD64/TXTSETUP.SIF", start);
    dir.write("AMD64/DOSNET.INF", kVersionHeader + "[Directories]\r\nd1 = \"\\\"\r\n"
                                                   "[Files]\r\nd1,drv.inf\r\n");
    const std::string driverFile = dir.write("drv/drv.sys", "x64");
    const std::string inf = dir.write("drv/drv.inf", kVersionHeader);
    DriverPackage package;
    package.AddFileTarget(driverFile, "C:\\WINDOWS\\system32\\drivers");
    package.AddInfFile(inf);
    package.AddServiceBinary("drv.sys");

    SetupFileEditor editor(test::buildTreeTools(dir.path()), amd64, package,
                           {WindowsVersion::WindowsXp, Architecture::Amd64, "3790"});
    editor.IntegrateTxtsetup();
    InfFile patched = InfFile::open(sif);
    auto line = patched.findFirstLine("SourceDisksFiles.amd64", "drv.sys");
    ASSERT_TRUE(line);
    EXPECT_EQ(patched.lineText(*line), "1,,,,,,,4,0,0");
    EXPECT_TRUE(patched.findFirstLine("SourceDisksFiles.amd64", "drv.inf"));
    EXPECT_FALSE(patched.findFirstLine("SourceDisksFiles", "drv.sys"));

    // DOSNET.INF gains the file it lacks, once; without catalogs no svcpack.
    editor.PatchDosnet();
    editor.PatchDosnet();
    InfFile dosnet = InfFile::open(dir / "AMD64/DOSNET.INF");
    EXPECT_EQ(dosnet.lineCount("Files"), 2);
    EXPECT_EQ(dosnet.lineCount("OptionalSrcDirs"), -1);

    // A new SVCPACK.INF names the AMD64 catalog folder and NT 5.2.
    const std::string svcpack = editor.svcpackTemplate("DRV.CAT\r\n");
    EXPECT_NE(svcpack.find("MinorVersion=2\r\nBuildNumber=3790\r\n"), std::string::npos);
    EXPECT_NE(svcpack.find("CatalogSubDir=\"\\amd64\\svcpack\"\r\n"), std::string::npos);
}

} // namespace
} // namespace ornibe
