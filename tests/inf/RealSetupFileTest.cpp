// Setup files of a real text-mode setup tree, read where they stand.
#include "inf/DriverPackage.h"
#include "inf/InfFile.h"
#include "inf/InfReader.h"
#include "support/RealFixtures.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

namespace ornibe {
namespace {

const std::string kSetup = test::realFixture("setup/reactos-0.4.13/");

class RealSetupFile : public ::testing::Test {
protected:
    void SetUp() override { test::requireRealFixture("setup/reactos-0.4.13"); }
};

TEST_F(RealSetupFile, txtsetup_sections_and_values) {
    InfReader reader(kSetup + "txtsetup.sif");
    ASSERT_TRUE(reader.file().isOpen());
    EXPECT_EQ(reader.GetValue("SourceDisksNames", "", "1", 4), "\\reactos");
    EXPECT_EQ(reader.GetValue("SourceDisksNames", "", "1", 1), "%cdname%");
    EXPECT_EQ(reader.GetValue("SCSI.Load", "", "BUSLOGIC", 1), "buslogic.sys");
    EXPECT_EQ(reader.file().lineCount("SourceDisksFiles.x86"), 0);
    EXPECT_EQ(reader.FindDecoratedSection("SourceDisksFiles", ""), "SourceDisksFiles.X86");
    EXPECT_EQ(reader.file().lineCount("WinntDirectories"), -1);
}

TEST_F(RealSetupFile, hdc_inf_models_and_a_model_line_without_hardware_id) {
    InfFile inf = InfFile::open(kSetup + "hdc.inf");
    ASSERT_TRUE(inf.isOpen());
    EXPECT_EQ(inf.lineCount("GenericMfg"), 226);
    EXPECT_FALSE(inf.findFirstLine("atapi_parameters_AddReg"));
}

TEST_F(RealSetupFile, scsi_inf_read_as_a_driver_inf) {
    std::string path = kSetup + "scsi.inf";
    InfReader reader(path);
    DriverPackage package;
    reader.ReadDriverPackage(package, WindowsVersion::WindowsXp);
    EXPECT_EQ(package.serviceBinaries().entries(), std::vector<std::string>{"buslogic.sys"});
    EXPECT_THAT(package.hardwareIdToService().find("PCI\\VEN_104B&CC_0100"),
                ::testing::Pointee(::testing::Eq("buslogic")));
    // BusLogic_Inst.NT copies the miniport and scsiport, both to DIRID 12;
    // there is no SourceDisksFiles, so both sit beside the INF.
    ASSERT_EQ(package.fileToTargetDir().size(), 2u);
    EXPECT_EQ(package.fileToTargetDir()[0],
              (OrderedTextMap::Entry{kSetup + "buslogic.sys", "system32\\drivers"}));
    EXPECT_EQ(package.fileToTargetDir()[1].first, kSetup + "scsiport.sys");
    EXPECT_EQ(package.GetInfFile(0), path);
    EXPECT_EQ(package.GetInfFile(1), "");
}

} // namespace
} // namespace ornibe
