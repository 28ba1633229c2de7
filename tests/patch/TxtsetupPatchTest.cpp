#include "patch/SetupFileEditor.h"

#include "PatchTestSupport.h"
#include "inf/DriverPackage.h"
#include "inf/InfFile.h"
#include "inf/InfReader.h"
#include "support/BuildTreeTools.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"
#include "sys/FileError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ornibe {
namespace {

using test::fileHolds;
using test::kVersionHeader;
using test::slurp;
using test::TempDir;

const std::string kTxtsetup = kVersionHeader + "[WinntDirectories]\r\n"
                                               "1  = \"\\\"\r\n"
                                               "2  = system32\r\n"
                                               "4  = system32\\drivers\r\n"
                                               "20 = inf\r\n"
                                               "[SourceDisksFiles]\r\n"
                                               "atapi.sys = 1,,,,,,3_,4,1\r\n"
                                               "[SourceDisksFiles.x86]\r\n"
                                               "known.sys = 1,,,,,,,4,1\r\n"
                                               "[HardwareIdsDatabase]\r\n"
                                               "PCI\\VEN_0000 = \"atapi\"\r\n"
                                               "[SCSI.Load]\r\n"
                                               "atapi = atapi.sys,4\r\n"
                                               "[SCSI]\r\n"
                                               "\x1A";

class TxtsetupPatch : public ::testing::Test {
protected:
    TempDir dir;
    std::string i386 = dir.mkdir("I386");
    DriverPackage package;

    std::string writeTxtsetup(const std::string& bytes, const std::string& name = "TXTSETUP.SIF") {
        return dir.write("I386/" + name, bytes);
    }
    SetupFileEditor editor() {
        return SetupFileEditor(test::buildTreeTools(dir.path()), i386, package,
                               {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
    }
};

TEST_F(TxtsetupPatch, adds_the_four_sections_in_order_with_their_exact_lines) {
    std::string path = writeTxtsetup(kTxtsetup);
    package.AddFileTarget("/media/drv/drv.sys", "C:\\WINDOWS\\system32\\drivers");
    package.AddInfFile("/media/drv/drv.inf");
    package.AddServiceBinary("drv.sys");
    package.AddHardwareId("PCI\\VEN_1234&DEV_0001", "drv");
    package.AddHardwareId("PCI\\VEN_1234&DEV_0002", "drv");
    package.AddDescription("Drive Controller", "drv");
    {
        SetupFileEditor e = editor();
        e.IntegrateTxtsetup();
    }
    std::string added = "\r\n[SourceDisksFiles]\r\n"
                        "drv.sys = 1,,,,,,,4,0,0\r\n"
                        "drv.inf = 1,,,,,,,20,0,0\r\n"
                        "\r\n[HardwareIdsDatabase]\r\n"
                        "PCI\\VEN_1234&DEV_0001 = \"drv\"\r\n"
                        "PCI\\VEN_1234&DEV_0002 = \"drv\"\r\n"
                        "\r\n[SCSI.Load]\r\n"
                        "drv = drv.sys,4\r\n"
                        "\r\n[SCSI]\r\n"
                        "drv = \"Drive Controller\"\r\n"
                        "\r\n\x1A";
    EXPECT_TRUE(fileHolds(path, kTxtsetup.substr(0, kTxtsetup.size() - 1) + added));

    InfFile inf = InfFile::open(path);
    ASSERT_TRUE(inf.isOpen());
    auto file = inf.findFirstLine("SourceDisksFiles", "drv.sys");
    ASSERT_TRUE(file);
    EXPECT_EQ(inf.stringField(*file, 8), "4");
    EXPECT_TRUE(inf.findFirstLine("SourceDisksFiles", "atapi.sys"));
    auto id = inf.findFirstLine("HardwareIdsDatabase", "PCI\\VEN_1234&DEV_0002");
    ASSERT_TRUE(id);
    EXPECT_EQ(inf.stringField(*id, 1), "drv");
    auto load = inf.findFirstLine("SCSI.Load", "drv");
    ASSERT_TRUE(load);
    EXPECT_EQ(inf.lineText(*load), "drv.sys,4");
    auto name = inf.findFirstLine("SCSI", "drv");
    ASSERT_TRUE(name);
    EXPECT_EQ(inf.stringField(*name, 1), "Drive Controller");
}

TEST_F(TxtsetupPatch, second_build_and_empty_package_leave_the_file_byte_for_byte) {
    std::string path = writeTxtsetup(kTxtsetup);
    {
        SetupFileEditor e = editor();
        e.IntegrateTxtsetup();
    }
    EXPECT_TRUE(fileHolds(path, kTxtsetup));

    package.AddFileTarget("/m/a.sys", "C:\\WINDOWS\\system32\\drivers");
    package.AddInfFile("/m/a.inf");
    package.AddServiceBinary("a.sys");
    package.AddHardwareId("ID_A", "a");
    package.AddDescription("A", "a");
    {
        SetupFileEditor e = editor();
        e.IntegrateTxtsetup();
    }
    std::string once = slurp(path);
    ASSERT_NE(once, kTxtsetup);
    SetupFileEditor e = editor();
    EXPECT_EQ(e.BuildTxtsetupText(), "");
    e.IntegrateTxtsetup();
    EXPECT_TRUE(fileHolds(path, once));
}

TEST_F(TxtsetupPatch, directory_numbers_fall_back_to_the_windows_folder_but_not_for_inf_files) {
    writeTxtsetup(kVersionHeader + "[WinntDirectories]\r\n1 = \"\\\"\r\n2 = system32\r\n\x1A");
    package.AddFileTarget("/m/odd.sys", "C:\\WINDOWS\\elsewhere");
    package.AddFileTarget("/m/lib.dll", "C:\\WINDOWS\\SYSTEM32");
    package.AddInfFile("/m/odd.inf");
    EXPECT_EQ(editor().BuildTxtsetupText(), "\r\n[SourceDisksFiles]\r\n"
                                            "odd.sys = 1,,,,,,,1,0,0\r\n"
                                            "lib.dll = 1,,,,,,,2,0,0\r\n"
                                            "odd.inf = 1,,,,,,,,0,0\r\n");
}

TEST_F(TxtsetupPatch, files_listed_in_either_file_list_are_skipped_and_twins_give_one_line) {
    writeTxtsetup(kTxtsetup);
    package.AddFileTarget("/m/KNOWN.SYS", "C:\\WINDOWS\\system32\\drivers");
    package.AddFileTarget("/m/atapi.sys", "C:\\WINDOWS\\system32\\drivers");
    // One name stands for one file in I386: the first one stored.
    package.AddFileTarget("/m/a/twin.sys", "C:\\WINDOWS\\system32\\drivers");
    package.AddFileTarget("/m/b/TWIN.SYS", "C:\\WINDOWS\\system32");
    package.AddInfFile("/m/a/twin.sys");
    EXPECT_EQ(editor().BuildTxtsetupText(), "\r\n[SourceDisksFiles]\r\n"
                                            "twin.sys = 1,,,,,,,4,0,0\r\n");
}

TEST_F(TxtsetupPatch, load_and_display_name_lines_are_tested_independently) {
    writeTxtsetup(kTxtsetup);
    package.AddServiceBinary("atapi.sys");
    package.AddServiceBinary("nodesc.sys");
    package.AddServiceBinary("NODOT");
    package.AddDescription("Other", "other");
    package.AddDescription("ATAPI Controller", "ATAPI");
    package.AddDescription("Second name", "atapi");
    package.AddHardwareId("PCI\\VEN_0000", "atapi");
    EXPECT_EQ(editor().BuildTxtsetupText(), "\r\n[SCSI.Load]\r\n"
                                            "nodesc = nodesc.sys,4\r\n"
                                            " = NODOT,4\r\n"
                                            "\r\n[SCSI]\r\n"
                                            "ATAPI = \"ATAPI Controller\"\r\n");
}

// Service and file names that could hold a separator are quoted in the
// SCSI.Load lines and read back exactly; plain names stay bare.
TEST_F(TxtsetupPatch, load_lines_quote_names_that_need_it_and_read_back_exactly) {
    std::string path = writeTxtsetup(kTxtsetup);
    for (const char* binary : {"plain.sys", "semi;colon.sys", "a,b.sys", "x=y.sys"}) {
        package.AddServiceBinary(binary);
    }
    editor().IntegrateTxtsetup();
    EXPECT_TRUE(test::fileEndsWith(path, "\r\n[SCSI.Load]\r\n"
                                         "plain = plain.sys,4\r\n"
                                         "\"semi;colon\" = \"semi;colon.sys\",4\r\n"
                                         "\"a,b\" = \"a,b.sys\",4\r\n"
                                         "\"x=y\" = \"x=y.sys\",4\r\n\r\n\x1A"));
    InfFile sif = InfFile::open(path);
    for (const std::string service : {"plain", "semi;colon", "a,b", "x=y"}) {
        auto line = sif.findFirstLine("SCSI.Load", service);
        ASSERT_TRUE(line) << service;
        EXPECT_EQ(sif.stringField(*line, 1).value_or(""), service + ".sys");
        EXPECT_EQ(sif.stringField(*line, 2).value_or(""), "4");
        EXPECT_EQ(sif.fieldCount(*line), 2u);
    }
    // A second build finds every line.
    EXPECT_EQ(editor().BuildTxtsetupText(), "");
}

TEST_F(TxtsetupPatch, file_without_winnt_directories_or_marker_gets_empty_numbers_at_its_end) {
    std::string start = kVersionHeader + "[Directories]\r\n1 = \"\\\"\r\n; EOF\r\n";
    std::string path = writeTxtsetup(start);
    package.AddFileTarget("/m/x.sys", "C:\\WINDOWS\\system32\\drivers");
    editor().IntegrateTxtsetup();
    EXPECT_TRUE(
        fileHolds(path, start + "\r\n[SourceDisksFiles]\r\nx.sys = 1,,,,,,,,0,0\r\n\r\n\x1A"));
    InfFile inf = InfFile::open(path);
    auto line = inf.findFirstLine("SourceDisksFiles", "x.sys");
    ASSERT_TRUE(line);
    EXPECT_EQ(inf.stringField(*line, 8), "");
    EXPECT_EQ(inf.fieldCount(*line), 10u);
}

TEST_F(TxtsetupPatch, lower_case_tree_is_patched_in_place_without_a_second_name) {
    std::string path = writeTxtsetup(kTxtsetup, "txtsetup.sif");
    package.AddServiceBinary("drv.sys");
    editor().IntegrateTxtsetup();
    EXPECT_TRUE(test::fileEndsWith(path, "\r\n[SCSI.Load]\r\ndrv = drv.sys,4\r\n\r\n\x1A"));
    EXPECT_EQ(test::namesIn(i386), (std::set<std::string>{"txtsetup.sif"}));
}

TEST_F(TxtsetupPatch, file_the_parser_cannot_open_gets_every_line) {
    std::string start = "[SCSI.Load]\r\natapi = atapi.sys,4\r\n\x1A";
    std::string path = writeTxtsetup(start);
    package.AddServiceBinary("atapi.sys");
    editor().IntegrateTxtsetup();
    EXPECT_TRUE(fileHolds(path, "[SCSI.Load]\r\natapi = atapi.sys,4\r\n"
                                "\r\n[SCSI.Load]\r\natapi = atapi.sys,4\r\n\r\n\x1A"));
}

TEST_F(TxtsetupPatch, read_only_or_missing_file_throws_and_nothing_changes) {
    package.AddServiceBinary("drv.sys");
    try {
        editor().IntegrateTxtsetup();
        FAIL() << "no error for a missing TXTSETUP.SIF";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), dir / "I386/TXTSETUP.SIF");
    }
    EXPECT_EQ(test::namesIn(i386), std::set<std::string>{});

    std::string path = writeTxtsetup(kTxtsetup);
    test::makeReadOnly(path);
    EXPECT_THROW(editor().IntegrateTxtsetup(), FileError);
    EXPECT_TRUE(fileHolds(path, kTxtsetup));
    EXPECT_EQ(test::namesIn(i386), (std::set<std::string>{"TXTSETUP.SIF"}));
}

} // namespace
} // namespace ornibe

namespace ornibe {
namespace {

// A driver INF whose hardware IDs need quoting (a ";", a "=", a leading "[",
// a "," and a double quote): the patched TXTSETUP.SIF, read back by the
// project's own parser, lists exactly the IDs integrated, all in their
// section, and the lines after them are intact.
TEST_F(TxtsetupPatch, hardware_ids_that_need_quoting_read_back_exactly) {
    std::string path = writeTxtsetup(kTxtsetup);
    dir.write("drv/q.inf", kVersionHeader + "[Manufacturer]\r\n"
                                            "Maker = Models\r\n"
                                            "[Models]\r\n"
                                            "Controller = Inst, \"PCI\\VEN_1;DEV_2\"\r\n"
                                            "Controller = Inst, \"PCI\\VEN_1=DEV_3\"\r\n"
                                            "Controller = Inst, \"[Strings]\"\r\n"
                                            "Controller = Inst, \"ID,WITH,COMMAS\"\r\n"
                                            "Controller = Inst, \"SAYS \"\"HI\"\"\"\r\n"
                                            "Controller = Inst, PCI\\VEN_1&DEV_5\r\n"
                                            "[Inst.Services]\r\n"
                                            "AddService = q, 2, Service\r\n"
                                            "[Service]\r\n"
                                            "ServiceBinary = %12%\\q.sys\r\n"
                                            "LoadOrderGroup = \"SCSI Miniport\"\r\n");
    InfReader(dir / "drv/q.inf").ReadDriverPackage(package, WindowsVersion::WindowsXp);
    std::vector<std::string> integrated;
    for (const auto& [id, service] : package.hardwareIdToService()) {
        integrated.push_back(id);
    }
    ASSERT_EQ(integrated,
              (std::vector<std::string>{"PCI\\VEN_1;DEV_2", "PCI\\VEN_1=DEV_3", "[Strings]",
                                        "ID,WITH,COMMAS", "SAYS \"HI\"", "PCI\\VEN_1&DEV_5"}));
    {
        SetupFileEditor e = editor();
        e.IntegrateTxtsetup();
    }

    InfFile sif = InfFile::open(path);
    ASSERT_TRUE(sif.isOpen());
    std::vector<std::string> readBack;
    for (std::size_t i = 0;; ++i) {
        auto line = sif.lineByIndex("HardwareIdsDatabase", i);
        if (!line) {
            break;
        }
        readBack.push_back(sif.stringField(*line, 0).value_or(""));
        EXPECT_EQ(sif.stringField(*line, 1).value_or(""), i == 0 ? "atapi" : "q");
    }
    std::vector<std::string> expected{"PCI\\VEN_0000"};
    expected.insert(expected.end(), integrated.begin(), integrated.end());
    EXPECT_EQ(readBack, expected);
    // No section was started by an ID, and what follows is still read.
    EXPECT_EQ(sif.lineCount("Strings"), -1);
    auto load = sif.findFirstLine("SCSI.Load", "q");
    ASSERT_TRUE(load);
    EXPECT_EQ(sif.stringField(*load, 1), "q.sys");
}

} // namespace
} // namespace ornibe
