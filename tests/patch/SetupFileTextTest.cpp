#include "patch/SetupFileEditor.h"

#include "PatchTestSupport.h"
#include "inf/InfFile.h"
#include "inf/InfReader.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ornibe {
namespace {

using test::fileHolds;
using test::slurp;
using test::TempDir;

using test::kVersionHeader;

const std::string kDosnetBlock = "\r\n[OptionalSrcDirs]\r\nsvcpack\r\n";

TEST(SetupFileText, append_adds_the_exact_8bit_bytes_to_any_file_not_starting_with_ff_fe) {
    TempDir dir;
    for (std::string start : {std::string("[Version]\r\n"), std::string(), std::string("\xFF"),
                              std::string("\xFE\xFF")}) {
        std::string path = dir.write("DOSNET.INF", start);
        SetupFileEditor::AppendText(path, kDosnetBlock);
        EXPECT_EQ(kDosnetBlock.size(), 30u);
        EXPECT_TRUE(fileHolds(path, start + kDosnetBlock));
    }
}

// Setup reads an 8-bit file only up to its end-of-file byte: appended text
// goes over the byte, as for TXTSETUP.SIF, and the byte follows it again;
// a UTF-16 file is appended to at its end as before.
TEST(SetupFileText, append_goes_over_an_end_of_file_byte_as_the_marker_write_does) {
    TempDir dir;
    const std::string head = kVersionHeader;
    struct Case {
        std::string start;
        std::string after;
    };
    const std::vector<Case> cases = {
        {head + "\x1A", head + kDosnetBlock + "\r\n\x1A"},
        // The marker among the last 10 bytes or the 10 before them, with
        // bytes behind it.
        {head + "\x1A" + "tail", head + kDosnetBlock + "\r\n\x1A"},
        {head + "\x1A" + std::string(14, 'B'), head + kDosnetBlock + "\r\n\x1A"},
    };
    for (const Case& c : cases) {
        std::string path = dir.write("DOSNET.INF", c.start);
        SetupFileEditor::AppendText(path, kDosnetBlock);
        EXPECT_TRUE(fileHolds(path, c.after)) << slurp(path);
        // The lines are where the parser reads them, so the next build
        // finds them.
        std::string marked = dir.write("MARKED.INF", c.start);
        SetupFileEditor::WriteAtEofMarker(marked, kDosnetBlock);
        EXPECT_EQ(slurp(marked), slurp(path));
        InfFile inf = InfFile::open(path);
        EXPECT_TRUE(inf.findFirstLine("OptionalSrcDirs", "svcpack"));
    }

    std::string utf16("\xFF\xFE[\0V\0]\0\x1A\0", 10);
    std::string path = dir.write("UNICODE.INF", utf16);
    SetupFileEditor::AppendText(path, "x");
    EXPECT_TRUE(fileHolds(path, utf16 + std::string("x\0", 2)));
}

TEST(SetupFileText, append_to_utf16_file_adds_code_units_without_byte_order_mark) {
    TempDir dir;
    std::string start("\xFF\xFE[\0V\0]\0", 8);
    std::string path = dir.write("DOSNET.INF", start);
    SetupFileEditor::AppendText(path, kDosnetBlock);
    std::string bytes = slurp(path);
    ASSERT_EQ(bytes.size(), start.size() + 60);
    std::string added = bytes.substr(start.size());
    EXPECT_EQ(added.substr(0, 6), std::string("\r\0\n\0[\0", 6));
    EXPECT_EQ(added.substr(54), std::string("k\0\r\0\n\0", 6));
}

TEST(SetupFileText, append_refuses_missing_and_read_only_files_and_changes_nothing) {
    TempDir dir;
    std::string missing = dir / "DOSNET.INF";
    try {
        SetupFileEditor::AppendText(missing, kDosnetBlock);
        FAIL() << "no error for a missing file";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), missing);
        EXPECT_FALSE(error.reason().empty());
    }
    EXPECT_FALSE(existsAsFile(missing));

    std::string readOnly = dir.write("TXTSETUP.SIF", "[Version]\r\n\x1A");
    test::makeReadOnly(readOnly);
    EXPECT_THROW(SetupFileEditor::AppendText(readOnly, kDosnetBlock), FileError);
    EXPECT_THROW(SetupFileEditor::WriteAtEofMarker(readOnly, "x"), FileError);
    EXPECT_TRUE(fileHolds(readOnly, "[Version]\r\n\x1A"));
    EXPECT_EQ(test::namesIn(dir.path()), (std::set<std::string>{"TXTSETUP.SIF"}));
}

TEST(SetupFileText, text_replaces_a_marker_that_is_the_last_byte) {
    TempDir dir;
    std::string start = kVersionHeader + "[SCSI]\r\n\x1A";
    std::string path = dir.write("TXTSETUP.SIF", start);
    SetupFileEditor::WriteAtEofMarker(path, "\r\n[SCSI]\r\na = \"b\"\r\n");
    std::string bytes = slurp(path);
    EXPECT_EQ(bytes.size(), start.size() + 19 + 2);
    EXPECT_EQ(bytes, start.substr(0, start.size() - 1) + "\r\n[SCSI]\r\na = \"b\"\r\n\r\n\x1A");
    // A second write finds the new marker and the parser sees both lines.
    SetupFileEditor::WriteAtEofMarker(path, "\r\n[SCSI]\r\nc = \"d\"\r\n");
    InfFile inf = InfFile::open(path);
    EXPECT_TRUE(inf.findFirstLine("SCSI", "a"));
    EXPECT_TRUE(inf.findFirstLine("SCSI", "c"));
    EXPECT_TRUE(test::fileEndsWith(path, "c = \"d\"\r\n\r\n\x1A"));
}

TEST(SetupFileText, marker_15th_from_the_end_is_found_and_overwritten_as_far_as_text_reaches) {
    TempDir dir;
    std::string head(30, 'A');
    std::string path = dir.write("TXTSETUP.SIF", head + "\x1A" + std::string(14, 'B'));
    SetupFileEditor::WriteAtEofMarker(path, "0123456789");
    // Thirteen new bytes cover the marker and twelve of the fourteen behind.
    EXPECT_TRUE(fileHolds(path, head + "0123456789\r\n\x1A" + "BB"));

    std::string longer = dir.write("LONG.SIF", head + "\x1A" + std::string(14, 'B'));
    SetupFileEditor::WriteAtEofMarker(longer, std::string(20, 'x'));
    EXPECT_TRUE(fileHolds(longer, head + std::string(20, 'x') + "\r\n\x1A"));
}

TEST(SetupFileText, file_without_marker_gets_text_and_a_new_marker_at_its_end) {
    TempDir dir;
    std::string start = kVersionHeader + "[SCSI]\r\n; EOF\r\n";
    std::string path = dir.write("TXTSETUP.SIF", start);
    SetupFileEditor::WriteAtEofMarker(path, "\r\n[SCSI]\r\nx = \"y\"\r\n");
    EXPECT_TRUE(fileHolds(path, start + "\r\n[SCSI]\r\nx = \"y\"\r\n\r\n\x1A"));
    EXPECT_TRUE(InfFile::open(path).findFirstLine("SCSI", "x"));

    for (std::string tiny : {std::string(), std::string("abc"), std::string(15, 'z')}) {
        std::string small = dir.write("SMALL.SIF", tiny);
        SetupFileEditor::WriteAtEofMarker(small, "t");
        EXPECT_TRUE(fileHolds(small, tiny + "t\r\n\x1A"));
    }
}

TEST(SetupFileText, short_file_keeps_one_marker_when_its_marker_is_the_last_byte) {
    TempDir dir;
    std::string path = dir.write("SMALL.SIF", "ab\x1A");
    SetupFileEditor::WriteAtEofMarker(path, "t");
    EXPECT_TRUE(fileHolds(path, "abt\r\n\x1A"));
}

TEST(SetupFileText, marker_far_from_the_end_receives_the_text_so_readers_see_it) {
    TempDir dir;
    std::string before = kVersionHeader + "[SCSI]\r\n";
    std::string trailer(40, ' ');
    std::string path = dir.write("TXTSETUP.SIF", before + "\x1A" + trailer);
    SetupFileEditor::WriteAtEofMarker(path, "\r\n[SCSI]\r\nnew = \"n\"\r\n");
    EXPECT_TRUE(InfFile::open(path).findFirstLine("SCSI", "new"));
    std::string bytes = slurp(path);
    EXPECT_EQ(bytes.substr(0, before.size()), before);
    EXPECT_EQ(bytes.find('\x1A'), before.size() + 21 + 2);
}

TEST(SetupFileText, write_at_marker_on_a_missing_file_throws_and_creates_nothing) {
    TempDir dir;
    EXPECT_THROW(SetupFileEditor::WriteAtEofMarker(dir / "TXTSETUP.SIF", "x"), FileError);
    EXPECT_TRUE(test::namesIn(dir.path()).empty());
}

TEST(SetupFileText, file_signatures_read_only_the_first_bytes) {
    TempDir dir;
    EXPECT_TRUE(SetupFileEditor::IsUnicodeFile(dir.write("u", "\xFF\xFE")));
    EXPECT_FALSE(SetupFileEditor::IsUnicodeFile(dir.write("one", "\xFF")));
    EXPECT_FALSE(SetupFileEditor::IsUnicodeFile(dir.write("empty", "")));
    EXPECT_FALSE(SetupFileEditor::IsUnicodeFile(dir.write("be", "\xFE\xFF")));
    EXPECT_TRUE(SetupFileEditor::IsCabinet(dir.write("cab", "MSCF\0\0\0\0")));
    EXPECT_FALSE(SetupFileEditor::IsCabinet(dir.write("short", "MSC")));
    EXPECT_FALSE(SetupFileEditor::IsCabinet(dir.write("other", "MSCX")));
    EXPECT_FALSE(SetupFileEditor::IsCabinet(dir.write("lower", "mscf")));
    EXPECT_THROW(SetupFileEditor::IsCabinet(dir / "missing"), FileError);
    EXPECT_THROW(SetupFileEditor::IsUnicodeFile(dir / "missing"), FileError);
}

TEST(SetupFileText, file_exists_matches_names_ignoring_letter_case) {
    TempDir dir;
    dir.write("i386/svcpack.in_", "x");
    EXPECT_TRUE(SetupFileEditor::FileExists(dir / "i386/SVCPACK.IN_"));
    EXPECT_TRUE(SetupFileEditor::FileExists(dir / "I386/svcpack.in_"));
    EXPECT_FALSE(SetupFileEditor::FileExists(dir / "i386/SVCPACK.INF"));
}

TEST(SetupFileText, find_tool_implies_exe_and_answers_empty_when_missing) {
    TempDir dir;
    test::writeScript(dir / "makecab", "exit 0\n");
    const ToolSearch tools =
        test::toolSearch(dir.path(), dir / "current", test::withoutSearchPath());
    EXPECT_EQ(SetupFileEditor::FindTool(tools, "MAKECAB"), dir / "makecab");
    EXPECT_EQ(SetupFileEditor::FindTool(tools, "EXTRACT"), "");
}

class SetupFileQueries : public ::testing::Test {
protected:
    TempDir dir;
    std::string path =
        dir.write("TXTSETUP.SIF", kVersionHeader + "[WinntDirectories]\r\n"
                                                   "1 = \"\\\"\r\n"
                                                   "2 = system32\r\n"
                                                   "4 = SYSTEM32\\Drivers\r\n"
                                                   "[SourceDisksFiles]\r\n"
                                                   "a.sys = 1,,,,,,,4,0,0\r\n"
                                                   "[Strings]\r\nflag = 0x00010001\r\n"
                                                   "[AddReg]\r\nHKR, P , V, %flag%, 1\r\n"
                                                   "\r\n[SourceDisksFiles]\r\n"
                                                   "b.sys = 1,,,,,,,4,0,0\r\n\x1A");
};

TEST_F(SetupFileQueries, find_key_by_field_compares_the_field_ignoring_case) {
    InfReader reader(path);
    EXPECT_EQ(SetupFileEditor::FindKeyByField(reader, "WinntDirectories", 1, "\\"), "1");
    EXPECT_EQ(SetupFileEditor::FindKeyByField(reader, "winntdirectories", 1, "system32\\drivers"),
              "4");
    EXPECT_EQ(SetupFileEditor::FindKeyByField(reader, "WinntDirectories", 1, "inf"), "");
    EXPECT_EQ(SetupFileEditor::FindKeyByField(reader, "WinntDirectories", 2, ""), "1");
    EXPECT_EQ(SetupFileEditor::FindKeyByField(reader, "Missing", 1, "\\"), "");
}

TEST_F(SetupFileQueries, has_line_sees_keys_of_a_repeated_section) {
    InfReader reader(path);
    EXPECT_TRUE(SetupFileEditor::HasLine(reader, "SourceDisksFiles", "B.SYS"));
    EXPECT_TRUE(SetupFileEditor::HasLine(reader, "SourceDisksFiles", "a.sys"));
    EXPECT_FALSE(SetupFileEditor::HasLine(reader, "SourceDisksFiles", "c.sys"));
    EXPECT_TRUE(SetupFileEditor::HasLine(reader, "WinntDirectories"));
    EXPECT_FALSE(SetupFileEditor::HasLine(reader, "SCSI"));
}

TEST_F(SetupFileQueries, has_line_text_compares_the_substituted_text_ignoring_case) {
    InfReader reader(path);
    EXPECT_TRUE(SetupFileEditor::HasLineText(reader, "AddReg", "hkr,p,v,0x00010001,1"));
    EXPECT_FALSE(SetupFileEditor::HasLineText(reader, "AddReg", "HKR,P,V,%flag%,1"));
    EXPECT_FALSE(SetupFileEditor::HasLineText(reader, "AddReg", "HKR,P,V,0x00010001,0"));
}

TEST(SetupFileText, queries_on_a_file_the_parser_cannot_open_find_nothing) {
    TempDir dir;
    for (std::string path : {dir / "missing.sif", dir.write("plain.txt", "[S]\r\na = 1\r\n")}) {
        InfReader reader(path);
        EXPECT_FALSE(SetupFileEditor::HasLine(reader, "S"));
        EXPECT_FALSE(SetupFileEditor::HasLine(reader, "S", "a"));
        EXPECT_EQ(SetupFileEditor::FindKeyByField(reader, "S", 1, "1"), "");
        EXPECT_FALSE(SetupFileEditor::HasLineText(reader, "S", "1"));
    }
}

} // namespace
} // namespace ornibe
