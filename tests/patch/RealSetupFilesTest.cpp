#include "patch/SetupFileEditor.h"

#include "PatchTestSupport.h"
#include "inf/DriverPackage.h"
#include "inf/InfFile.h"
#include "inf/InfReader.h"
#include "support/BuildTreeTools.h"
#include "support/FileAssertions.h"
#include "support/RealFixtures.h"
#include "support/TempDir.h"
#include "sys/HostPath.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ornibe {
namespace {

using test::slurp;
using test::TempDir;

const std::string kSetup = test::realFixture("setup/reactos-0.4.13/");
const std::string kDrivers = test::realFixture("drivers/");

int linesWithKey(const InfFile& inf, std::string_view section, std::string_view key) {
    int count = 0;
    for (auto line = inf.findFirstLine(section, key); line;
         line = inf.findNextMatchLine(*line, key)) {
        ++count;
    }
    return count;
}

class RealSetupFiles : public ::testing::Test {
protected:
    TempDir dir;
    std::string i386 = dir.mkdir("i386");
    DriverPackage package;

    void SetUp() override {
        if (!test::requireRealFixture("setup/reactos-0.4.13") ||
            !test::requireRealFixture("drivers/intel-iastor/iaStor.inf") ||
            !test::requireRealFixture("drivers/virtio-viostor-xp/wxp.inf")) {
            return;
        }
        for (std::string inf : {kDrivers + "intel-iastor/iaStor.inf",
                                kDrivers + "virtio-viostor-xp/wxp.inf", kSetup + "scsi.inf"}) {
            InfReader(inf).ReadDriverPackage(package, WindowsVersion::WindowsXp);
        }
        ASSERT_FALSE(package.hardwareIdToService().empty());
        ASSERT_FALSE(package.serviceBinaries().empty());
    }
};

TEST_F(RealSetupFiles, txtsetup_is_extended_and_its_parser_sees_every_new_key) {
    std::string original = slurp(kSetup + "txtsetup.sif");
    std::string path = dir.write("i386/txtsetup.sif", original);
    {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386, package,
                               {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        editor.IntegrateTxtsetup();
    }
    std::string patched = slurp(path);
    ASSERT_GT(patched.size(), original.size());
    EXPECT_EQ(patched.substr(0, original.size()), original);
    EXPECT_TRUE(test::fileEndsWith(path, "\r\n\r\n\x1A"));

    InfFile inf = InfFile::open(path);
    ASSERT_TRUE(inf.isOpen());
    for (const auto& [id, service] : package.hardwareIdToService()) {
        auto line = inf.findFirstLine("HardwareIdsDatabase", id);
        ASSERT_TRUE(line) << id;
        EXPECT_EQ(linesWithKey(inf, "HardwareIdsDatabase", id), 1) << id;
    }
    for (const std::string& binary : package.serviceBinaries()) {
        std::string service = binary.substr(0, binary.rfind('.'));
        EXPECT_EQ(linesWithKey(inf, "SCSI.Load", service), 1) << service;
    }
    // Lines the file had keep their place; the sections it lacked exist now.
    EXPECT_EQ(linesWithKey(inf, "SCSI.Load", "buslogic"), 1);
    EXPECT_GT(inf.lineCount("SCSI"), 0);
    for (const auto& [source, target] : package.fileToTargetDir()) {
        EXPECT_TRUE(inf.findFirstLine("SourceDisksFiles", fileName(source))) << source;
    }
    // The file's own sections still read as before.
    EXPECT_TRUE(inf.findFirstLine("SourceDisksFiles", "acpi.sys"));
    EXPECT_TRUE(inf.findFirstLine("SetupData", "DefaultPath"));

    {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386, package,
                               {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        EXPECT_EQ(editor.BuildTxtsetupText(), "");
        editor.IntegrateTxtsetup();
    }
    EXPECT_TRUE(test::fileHolds(path, patched));
    EXPECT_EQ(test::namesIn(i386), std::set<std::string>{"txtsetup.sif"});
}

TEST_F(RealSetupFiles, hdc_inf_as_mshdc_gets_the_big_drive_line_once) {
    std::string staged = dir.write("staging/mshdc.inf", slurp(kSetup + "hdc.inf"));
    test::makeCabinet(staged, i386);
    for (int build = 0; build < 2; ++build) {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386);
        ASSERT_TRUE(editor.PatchMshdc()) << build;
    }
    EXPECT_EQ(test::namesIn(i386), std::set<std::string>{"mshdc.in_"});
    std::string out = dir.mkdir("out");
    test::expandCabinet(dir / "i386/mshdc.in_", out);
    std::string bytes = slurp(joinPath(out, "mshdc.inf"));
    EXPECT_EQ(bytes, slurp(kSetup + "hdc.inf") + "\r\n[atapi_parameters_AddReg]\r\n"
                                                 "HKR,Parameters,EnableBigLba,%REG_DWORD%,1\r\n");
    InfFile inf = InfFile::parse(bytes);
    ASSERT_TRUE(inf.isOpen());
    EXPECT_EQ(inf.lineCount("atapi_parameters_AddReg"), 1);
    EXPECT_TRUE(inf.findFirstLine("Manufacturer"));
}

TEST_F(RealSetupFiles, layout_inf_as_dosnet_gets_the_catalog_folder_once) {
    std::string original = slurp(kSetup + "layout.inf");
    std::string path = dir.write("i386/dosnet.inf", original);
    for (int build = 0; build < 2; ++build) {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386, package,
                               {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        editor.PatchDosnet();
    }
    EXPECT_TRUE(test::fileHolds(path, original + "\r\n[OptionalSrcDirs]\r\nsvcpack\r\n"));
    EXPECT_TRUE(InfFile::open(path).findFirstLine("OptionalSrcDirs", "svcpack"));
}

} // namespace
} // namespace ornibe
