#include "patch/SetupFileEditor.h"

#include "PatchTestSupport.h"
#include "inf/DriverPackage.h"
#include "inf/InfFile.h"
#include "support/BuildTreeTools.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"
#include "sys/FileError.h"
#include "sys/TextEncoding.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

using test::fileHolds;
using test::kVersionHeader;
using test::TempDir;

class DosnetPatch : public ::testing::Test {
protected:
    TempDir dir;
    std::string i386 = dir.mkdir("I386");
    DriverPackage package;

    void patch() {
        SetupFileEditor editor(test::buildTreeTools(dir.path()), i386, package,
                               {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        editor.PatchDosnet();
    }
};

TEST_F(DosnetPatch, folder_already_named_in_any_letter_case_leaves_the_file_unchanged) {
    std::string start = kVersionHeader + "[OptionalSrcDirs]\r\nuniproc\r\nSVCPACK\r\n";
    std::string path = dir.write("I386/DOSNET.INF", start);
    patch();
    EXPECT_TRUE(fileHolds(path, start));
}

TEST_F(DosnetPatch, second_section_is_added_once_and_the_first_stays) {
    std::string start = kVersionHeader + "[OptionalSrcDirs]\r\nuniproc";
    std::string path = dir.write("I386/DOSNET.INF", start);
    patch();
    EXPECT_TRUE(fileHolds(path, start + "\r\n[OptionalSrcDirs]\r\nsvcpack\r\n"));
    patch();
    EXPECT_TRUE(fileHolds(path, start + "\r\n[OptionalSrcDirs]\r\nsvcpack\r\n"));
    InfFile inf = InfFile::open(path);
    EXPECT_EQ(inf.lineCount("OptionalSrcDirs"), 2);
    EXPECT_TRUE(inf.findFirstLine("OptionalSrcDirs", "uniproc"));
}

TEST_F(DosnetPatch, utf16_file_gets_utf16_text_that_the_parser_reads_back) {
    std::string start = "\xFF\xFE" + cp932ToUtf16le(kVersionHeader + "[OptionalSrcDirs]\r\nx\r\n");
    std::string path = dir.write("I386/dosnet.inf", start);
    patch();
    EXPECT_TRUE(fileHolds(path, start + cp932ToUtf16le("\r\n[OptionalSrcDirs]\r\nsvcpack\r\n")));
    EXPECT_TRUE(InfFile::open(path).findFirstLine("OptionalSrcDirs", "svcpack"));
    EXPECT_EQ(test::namesIn(i386), std::set<std::string>{"dosnet.inf"});
}

TEST_F(DosnetPatch, file_the_parser_cannot_open_gets_the_section) {
    std::string path = dir.write("I386/DOSNET.INF", "not an inf");
    patch();
    EXPECT_TRUE(fileHolds(path, "not an inf\r\n[OptionalSrcDirs]\r\nsvcpack\r\n"));
}

TEST_F(DosnetPatch, read_only_file_throws_with_its_path_and_stays_unchanged) {
    std::string start = kVersionHeader + "[OptionalSrcDirs]\r\n";
    std::string path = dir.write("I386/DOSNET.INF", start);
    test::makeReadOnly(path);
    try {
        patch();
        FAIL() << "no error for a read-only DOSNET.INF";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), path);
        EXPECT_FALSE(error.reason().empty());
    }
    EXPECT_TRUE(fileHolds(path, start));
}

} // namespace
} // namespace ornibe
