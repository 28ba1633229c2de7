#include "inf/InfFile.h"

#include "InfTestText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace ornibe {
namespace {

using test::fieldOf;

const std::string& kVersion = test::kVersionSection;

InfFile parseInf(const std::string& body) {
    return InfFile::parse(kVersion + body);
}

std::string text(const InfFile& inf, std::string_view section, std::size_t index) {
    auto line = inf.lineByIndex(section, index);
    if (!line)
        return "<no line>";
    return inf.lineText(*line).value_or("<no text>");
}

TEST(InfFile, comments_start_at_semicolon_outside_quotes_only) {
    InfFile inf = parseInf("; leading comment\r\n[S] ; after header\r\n"
                           "a = x ; note\r\nb = \"x;y\" ; note\r\n;c = z\r\n");
    ASSERT_TRUE(inf.isOpen());
    EXPECT_EQ(inf.lineCount("S"), 2);
    EXPECT_EQ(fieldOf(inf, "S", "a", 1), "x");
    EXPECT_EQ(fieldOf(inf, "S", "b", 1), "x;y");
    EXPECT_FALSE(inf.findFirstLine("S", "c"));
}

TEST(InfFile, quotes_are_removed_keeping_blanks_and_doubled_quotes_inside) {
    InfFile inf = parseInf("[S]\r\n"
                           "a = \"  padded  \"\r\n"
                           "b = \"\"\"quoted\"\"\"\r\n"
                           "c = pre\"mid\"post\r\n"
                           "\"quoted key\" = v\r\n"
                           "d = \"a,b\",c\r\n");
    EXPECT_EQ(fieldOf(inf, "S", "a", 1), "  padded  ");
    EXPECT_EQ(fieldOf(inf, "S", "b", 1), "\"quoted\"");
    EXPECT_EQ(fieldOf(inf, "S", "c", 1), "premidpost");
    EXPECT_EQ(fieldOf(inf, "S", "quoted key", 1), "v");
    EXPECT_EQ(fieldOf(inf, "S", "d", 1), "a,b");
    EXPECT_EQ(fieldOf(inf, "S", "d", 2), "c");
}

TEST(InfFile, blanks_around_keys_values_and_equals_are_trimmed_inner_blanks_kept) {
    InfFile inf = parseInf("[S]\r\n  \t LoadOrderGroup \t=\t SCSI  Miniport \t,  x  \r\n");
    auto line = inf.findFirstLine("S", "LoadOrderGroup");
    ASSERT_TRUE(line);
    EXPECT_EQ(inf.stringField(*line, 0), "LoadOrderGroup");
    EXPECT_EQ(inf.stringField(*line, 1), "SCSI  Miniport");
    EXPECT_EQ(inf.stringField(*line, 2), "x");
    EXPECT_EQ(inf.lineText(*line), "SCSI  Miniport,x");
}

TEST(InfFile, empty_fields_between_commas_count_and_read_empty) {
    InfFile inf = parseInf("[S]\r\n1 = Disk,,,\\x86\r\n2 = ,\r\nnone =\r\nquoted = \"\"\r\n");
    auto line = inf.findFirstLine("S", "1");
    ASSERT_TRUE(line);
    EXPECT_EQ(inf.fieldCount(*line), 4u);
    EXPECT_EQ(inf.stringField(*line, 2), "");
    EXPECT_EQ(inf.stringField(*line, 4), "\\x86");
    EXPECT_FALSE(inf.stringField(*line, 5));
    EXPECT_EQ(inf.lineText(*line), "Disk,,,\\x86");
    EXPECT_EQ(inf.fieldCount(*inf.findFirstLine("S", "2")), 2u);
    // A key with nothing after "=" has no value; an empty quoted value is one.
    EXPECT_EQ(inf.fieldCount(*inf.findFirstLine("S", "none")), 0u);
    EXPECT_EQ(inf.fieldCount(*inf.findFirstLine("S", "quoted")), 1u);
}

TEST(InfFile, line_without_equals_is_found_under_its_single_value) {
    InfFile inf = parseInf("[SetupData]\r\nnvgts.sys\r\nfirst,second\r\n");
    auto single = inf.findFirstLine("SetupData", "NVGTS.SYS");
    ASSERT_TRUE(single);
    EXPECT_EQ(inf.fieldCount(*single), 1u);
    EXPECT_EQ(inf.stringField(*single, 0), "nvgts.sys");
    EXPECT_EQ(inf.stringField(*single, 1), "nvgts.sys");
    // Two values without "=": no key, not found under its first value.
    EXPECT_FALSE(inf.findFirstLine("SetupData", "first"));
    auto two = inf.lineByIndex("SetupData", 1);
    ASSERT_TRUE(two);
    EXPECT_EQ(inf.stringField(*two, 0), "");
    EXPECT_EQ(inf.lineText(*two), "first,second");
}

TEST(InfFile, equals_after_a_comma_or_a_second_equals_is_text) {
    InfFile inf = parseInf("[S]\r\nk = a=b\r\nx,y=z\r\n");
    EXPECT_EQ(fieldOf(inf, "S", "k", 1), "a=b");
    EXPECT_EQ(text(inf, "S", 1), "x,y=z");
}

TEST(InfFile, section_names_and_keys_compare_ignoring_case) {
    InfFile inf = parseInf("[inst.NTx86.Services]\r\nAddService = drv,2,drvinst\r\n");
    EXPECT_EQ(inf.lineCount("INST.NTX86.SERVICES"), 1);
    EXPECT_EQ(fieldOf(inf, "inst.ntx86.services", "addservice", 3), "drvinst");
}

TEST(InfFile, letter_case_folds_only_single_byte_letters_in_code_page_932) {
    // "\x82\x61" is a double-byte character whose trail byte is "a"; it is
    // not the same text as "\x82\x41".
    InfFile inf = parseInf("[S\x82\x61]\r\nk\x82\x61 = 1\r\n");
    EXPECT_EQ(inf.lineCount("s\x82\x61"), 1);
    EXPECT_EQ(inf.lineCount("S\x82\x41"), -1);
    EXPECT_EQ(fieldOf(inf, "S\x82\x61", "K\x82\x61", 1), "1");
    EXPECT_EQ(fieldOf(inf, "S\x82\x61", "k\x82\x41", 1), "<no line>");
}

TEST(InfFile, sections_of_one_name_merge_in_file_order) {
    InfFile inf = parseInf("[Files]\r\na = 1\r\nk = first\r\n[Other]\r\nz = 0\r\n"
                           "[FILES]\r\nb = 2\r\nk = second\r\n");
    EXPECT_EQ(inf.lineCount("files"), 4);
    EXPECT_EQ(text(inf, "Files", 0), "1");
    EXPECT_EQ(text(inf, "Files", 2), "2");
    EXPECT_EQ(fieldOf(inf, "Files", "b", 1), "2");
    auto first = inf.findFirstLine("Files", "K");
    ASSERT_TRUE(first);
    EXPECT_EQ(inf.stringField(*first, 1), "first");
    auto second = inf.findNextMatchLine(*first, "k");
    ASSERT_TRUE(second);
    EXPECT_EQ(inf.stringField(*second, 1), "second");
    EXPECT_FALSE(inf.findNextMatchLine(*second, "k"));
}

TEST(InfFile, next_line_walks_the_section_and_stops_after_the_last) {
    InfFile inf = parseInf("[S]\r\na = 1\r\nb = 2\r\n[T]\r\nc = 3\r\n");
    auto line = inf.findFirstLine("S");
    ASSERT_TRUE(line);
    line = inf.findNextLine(*line);
    ASSERT_TRUE(line);
    EXPECT_EQ(inf.stringField(*line, 0), "b");
    EXPECT_FALSE(inf.findNextLine(*line));
    EXPECT_FALSE(inf.lineByIndex("S", 2));
}

TEST(InfFile, next_match_line_from_a_line_with_another_key_finds_the_following_match) {
    InfFile inf = parseInf("[S]\r\nCopyFiles = a\r\nx = 1\r\nCopyFiles = b\r\nCopyFiles = c\r\n");
    auto x = inf.findFirstLine("S", "x");
    ASSERT_TRUE(x);
    auto next = inf.findNextMatchLine(*x, "copyfiles");
    ASSERT_TRUE(next);
    EXPECT_EQ(inf.stringField(*next, 1), "b");
    next = inf.findNextMatchLine(*next, "CopyFiles");
    ASSERT_TRUE(next);
    EXPECT_EQ(inf.stringField(*next, 1), "c");
    EXPECT_FALSE(inf.findNextMatchLine(*x, "missing"));
}

TEST(InfFile, empty_section_exists_with_no_lines) {
    InfFile inf = parseInf("[Empty]\r\n[Full]\r\na=1\r\n");
    EXPECT_EQ(inf.lineCount("Empty"), 0);
    EXPECT_FALSE(inf.findFirstLine("Empty"));
    EXPECT_EQ(inf.lineCount("Missing"), -1);
}

TEST(InfFile, string_keys_come_from_japanese_strings_section_then_strings) {
    InfFile inf = parseInf("[S]\r\na = %Desc%\r\nb = %OnlyEnglish%, x%desc%y\r\n"
                           "[Strings]\r\nDesc = \"English\"\r\nOnlyEnglish = fallback\r\n"
                           "[Strings.0411]\r\ndesc = \"\x93\xfa\x96\x7b\x8c\xea\"\r\n");
    EXPECT_EQ(fieldOf(inf, "S", "a", 1), "\x93\xfa\x96\x7b\x8c\xea");
    EXPECT_EQ(fieldOf(inf, "S", "b", 1), "fallback");
    EXPECT_EQ(fieldOf(inf, "S", "b", 2), "x\x93\xfa\x96\x7b\x8c\xeay");
}

TEST(InfFile, string_keys_are_replaced_in_keys_and_line_text) {
    InfFile inf = parseInf("[ToAdd]\r\nHKR,Parameters,EnableBigLba,%REG_DWORD%,1\r\n"
                           "[Models]\r\n%Dev% = inst, PCI\\VEN_1000\r\n"
                           "[Strings]\r\nreg_dword = 0x00010001\r\nDev = \"My Controller\"\r\n");
    EXPECT_EQ(text(inf, "ToAdd", 0), "HKR,Parameters,EnableBigLba,0x00010001,1");
    EXPECT_EQ(fieldOf(inf, "Models", "My Controller", 1), "inst");
}

TEST(InfFile, percent_rules_double_percent_unknown_and_unterminated_tokens) {
    InfFile inf = parseInf("[S]\r\na = 100%%\r\nb = %Nope%\r\nc = %open\r\nd = %%Key%%\r\n"
                           "[Strings]\r\nKey = value\r\n");
    EXPECT_EQ(fieldOf(inf, "S", "a", 1), "100%");
    EXPECT_EQ(fieldOf(inf, "S", "b", 1), "%Nope%");
    EXPECT_EQ(fieldOf(inf, "S", "c", 1), "%open");
    EXPECT_EQ(fieldOf(inf, "S", "d", 1), "%Key%");
}

TEST(InfFile, string_key_referring_to_itself_is_replaced_once) {
    InfFile inf = parseInf("[S]\r\na = %Loop%\r\n[Strings]\r\nLoop = x%Loop%y\r\n");
    EXPECT_EQ(fieldOf(inf, "S", "a", 1), "x%Loop%y");
}

TEST(InfFile, strings_section_value_keeps_its_commas) {
    InfFile inf = parseInf("[S]\r\na = %Mfg%\r\n[Strings]\r\nMfg = Adaptec, Inc.\r\n");
    EXPECT_EQ(fieldOf(inf, "S", "a", 1), "Adaptec, Inc.");
}

TEST(InfFile, backslash_at_line_end_continues_the_line) {
    InfFile inf = parseInf("[S]\r\nCopyFiles = a, \\\r\n   b,\\  \r\n c\r\nnext = 1\r\n");
    auto line = inf.findFirstLine("S", "CopyFiles");
    ASSERT_TRUE(line);
    EXPECT_EQ(inf.lineText(*line), "a,b,c");
    EXPECT_EQ(inf.lineCount("S"), 2);
    // Inside a value a backslash is text.
    InfFile paths = parseInf("[S]\r\np = %12%\\drv.sys\r\n");
    EXPECT_EQ(fieldOf(paths, "S", "p", 1), "%12%\\drv.sys");
}

TEST(InfFile, trail_byte_0x5C_at_line_end_does_not_continue_the_line) {
    // "\x95\x5C" is one double-byte character whose trail byte is 0x5C.
    InfFile inf = parseInf("[S]\r\na = \x95\x5C\r\nb = 2\r\n");
    EXPECT_EQ(fieldOf(inf, "S", "a", 1), "\x95\x5C");
    EXPECT_EQ(fieldOf(inf, "S", "b", 1), "2");
}

TEST(InfFile, reads_crlf_lf_and_cr_line_ends) {
    for (const char* end : {"\r\n", "\n", "\r"}) {
        std::string e = end;
        InfFile inf = InfFile::parse("[Version]" + e + "Signature=$Chicago$" + e + "[S]" + e +
                                     "a=1" + e + e + "b=2" + e);
        ASSERT_TRUE(inf.isOpen());
        EXPECT_EQ(inf.lineCount("S"), 2);
        EXPECT_EQ(fieldOf(inf, "S", "b", 1), "2");
    }
}

TEST(InfFile, end_of_file_byte_ends_the_text) {
    InfFile inf = parseInf("[S]\r\na = 1\r\n\x1A[T]\r\nb = 2\r\n");
    EXPECT_EQ(inf.lineCount("S"), 1);
    EXPECT_EQ(inf.lineCount("T"), -1);
}

TEST(InfFile, reads_utf16le_and_utf8_files_with_byte_order_mark_as_code_page_932) {
    std::string body = kVersion + "[S]\r\nd = \xE6\x97\xA5\xE6\x9C\xAC\r\n"; // UTF-8 "日本"
    InfFile utf8 = InfFile::parse("\xEF\xBB\xBF" + body);
    EXPECT_EQ(fieldOf(utf8, "S", "d", 1), "\x93\xfa\x96\x7b");

    std::string utf16 = "\xFF\xFE";
    for (char c : kVersion + "[S]\r\nd = ") {
        utf16 += c;
        utf16 += '\0';
    }
    utf16 += std::string("\xE5\x65\x2C\x67\r\0\n\0", 8); // U+65E5 U+672C CR LF
    InfFile wide = InfFile::parse(utf16);
    ASSERT_TRUE(wide.isOpen());
    EXPECT_EQ(fieldOf(wide, "S", "d", 1), "\x93\xfa\x96\x7b");
}

TEST(InfFile, opens_only_files_that_declare_a_windows_signature) {
    EXPECT_TRUE(InfFile::parse("[version]\nsignature = \"$WINDOWS NT$\"\n").isOpen());
    EXPECT_TRUE(InfFile::parse("[Version]\nSignature=$Chicago$\n").isOpen());
    EXPECT_TRUE(InfFile::parse("[Version]\nSignature=\"$Windows 95$\"\n").isOpen());
    EXPECT_FALSE(InfFile::parse("[Version]\nSignature=\"$Windows 3.1$\"\n").isOpen());
    EXPECT_FALSE(InfFile::parse("[Strings]\na=b\n").isOpen());
    EXPECT_FALSE(InfFile::parse("").isOpen());
    // Windows setup refuses a value line before the first section and a
    // section header without its closing bracket.
    EXPECT_FALSE(InfFile::parse("stray = 1\n" + kVersion).isOpen());
    EXPECT_FALSE(InfFile::parse(kVersion + "[Broken\na=1\n").isOpen());
}

TEST(InfFile, closing_bracket_as_trail_byte_does_not_end_section_name) {
    // "\x83\x5D" is one character ("ミ") whose trail byte is "]".
    InfFile inf = parseInf("[A\x83\x5D]\r\nk = v\r\n");
    EXPECT_EQ(inf.lineCount("A\x83\x5D"), 1);
}

TEST(InfFile, file_that_is_not_open_answers_every_lookup_as_absent) {
    test::TempDir dir;
    for (const InfFile& inf : {InfFile(), InfFile::open(dir / "missing.inf")}) {
        EXPECT_FALSE(inf.isOpen());
        EXPECT_EQ(inf.lineCount("Version"), -1);
        EXPECT_FALSE(inf.findFirstLine("Version"));
        EXPECT_FALSE(inf.findFirstLine("Version", "Signature"));
        EXPECT_FALSE(inf.lineByIndex("Version", 0));
        EXPECT_FALSE(inf.findNextLine(InfPosition{}));
        EXPECT_FALSE(inf.findNextMatchLine(InfPosition{}, "a"));
        EXPECT_EQ(inf.fieldCount(InfPosition{}), 0u);
        EXPECT_FALSE(inf.stringField(InfPosition{}, 0));
        EXPECT_FALSE(inf.lineText(InfPosition{}));
        EXPECT_FALSE(inf.targetPath(std::nullopt));
    }
}

TEST(InfFile, opens_a_file_from_disk) {
    test::TempDir dir;
    std::string path = dir.write("disk.inf", kVersion + "[S]\r\na=1\r\n");
    InfFile inf = InfFile::open(path);
    ASSERT_TRUE(inf.isOpen());
    EXPECT_EQ(fieldOf(inf, "S", "a", 1), "1");
}

TEST(InfFile, positions_outside_the_file_find_nothing) {
    InfFile inf = parseInf("[S]\r\na=1\r\n");
    InfPosition outside{99, 0};
    EXPECT_FALSE(inf.stringField(outside, 0));
    EXPECT_FALSE(inf.findNextLine(outside));
    EXPECT_FALSE(inf.findNextLine(InfPosition{0, 99}));
    EXPECT_EQ(inf.fieldCount(InfPosition{0, 99}), 0u);
}

TEST(InfFile, target_path_follows_destination_dirs_and_the_dirid_table) {
    InfFile inf = parseInf("[DestinationDirs]\r\nDefaultDestDir = 12\r\nfiles = 11\r\n"
                           "infs = 17\r\nsub = 10, \\Web\\Wallpaper\r\nwin = 10\r\n"
                           "odd = 99999\r\nabs = -1, D:\\Tools\r\nhex = 0xB\r\n");
    EXPECT_EQ(inf.targetPath(std::nullopt), "C:\\WINDOWS\\system32\\drivers");
    EXPECT_EQ(inf.targetPath("FILES"), "C:\\WINDOWS\\system32");
    EXPECT_EQ(inf.targetPath("infs"), "C:\\WINDOWS\\inf");
    EXPECT_EQ(inf.targetPath("sub"), "C:\\WINDOWS\\Web\\Wallpaper");
    EXPECT_EQ(inf.targetPath("win"), "C:\\WINDOWS");
    EXPECT_EQ(inf.targetPath("abs"), "D:\\Tools");
    EXPECT_EQ(inf.targetPath("hex"), "C:\\WINDOWS\\system32");
    EXPECT_FALSE(inf.targetPath("odd"));
    // A section without an entry takes the default destination.
    EXPECT_EQ(inf.targetPath("unlisted"), "C:\\WINDOWS\\system32\\drivers");
}

TEST(InfFile, target_path_without_destination_dirs_is_the_system_folder) {
    InfFile inf = parseInf("[S]\r\na=1\r\n");
    EXPECT_EQ(inf.targetPath(std::nullopt), "C:\\WINDOWS\\system32");
    EXPECT_EQ(inf.targetPath("files"), "C:\\WINDOWS\\system32");
}

TEST(InfFile, copies_share_the_parsed_text) {
    InfFile copy;
    {
        InfFile inf = parseInf("[S]\r\na = %x%\r\n[Strings]\r\nx = y\r\n");
        copy = inf;
    }
    EXPECT_EQ(fieldOf(copy, "S", "a", 1), "y");
}

} // namespace
} // namespace ornibe
