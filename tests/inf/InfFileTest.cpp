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
    auto two = inf.findFirstLine("S", "2");
    auto quoted = inf.findFirstLine("S", "quoted");
    ASSERT_TRUE(two);
    ASSERT_TRUE(quoted);
    EXPECT_EQ(inf.fieldCount(*two), 2u);
    EXPECT_EQ(inf.fieldCount(*quoted), 1u);
}

TEST(InfFile, empty_values_and_lines_without_a_key_answer_as_setupapi) {
    // SetupGetStringField gives field 0 only when the line has a key. A key
    // followed by "=" and nothing has one empty value, like "key = """. A
    // line of several values without "=", or one that starts with a comma,
    // has no key; a line of one value is found under that value.
    InfFile inf = parseInf("[S]\r\nnone =\r\n= only\r\na, b\r\n,c\r\n,\r\nsingle\r\n");
    auto none = inf.findFirstLine("S", "none");
    ASSERT_TRUE(none);
    EXPECT_EQ(inf.fieldCount(*none), 1u);
    EXPECT_EQ(inf.stringField(*none, 1), "");
    EXPECT_EQ(inf.lineText(*none), "");
    auto emptyKey = inf.findFirstLine("S", "");
    ASSERT_TRUE(emptyKey);
    EXPECT_EQ(inf.stringField(*emptyKey, 0), "");
    EXPECT_EQ(inf.stringField(*emptyKey, 1), "only");
    for (std::size_t i : {2u, 3u, 4u}) {
        auto line = inf.lineByIndex("S", i);
        ASSERT_TRUE(line);
        EXPECT_FALSE(inf.stringField(*line, 0)) << i;
        EXPECT_EQ(inf.fieldCount(*line), 2u) << i;
    }
    EXPECT_EQ(text(inf, "S", 3), ",c");
    EXPECT_FALSE(inf.findFirstLine("S", "a"));
    EXPECT_EQ(fieldOf(inf, "S", "SINGLE", 0), "single");
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
    EXPECT_FALSE(inf.stringField(*two, 0));
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

TEST(InfFile, one_strings_section_is_chosen_for_the_japanese_locale_and_values_are_cut) {
    // The INF Strings section page: Windows uses a single Strings section,
    // the one of the exact language and sublanguage (0411), else the one of
    // the language with the neutral sublanguage (0011), else [Strings]; keys
    // of the other sections are not used. SetupGetStringField's remarks: a
    // Strings value holds at most 512 characters with its NUL, the rest is
    // cut without error (a double-byte character counts as one).
    const std::string english = "[Strings]\r\nDesc = \"English\"\r\nOnlyEnglish = fallback\r\n";
    const std::string japanese = "[Strings.0411]\r\ndesc = \"\x93\xfa\x96\x7b\x8c\xea\"\r\n";
    const std::string neutral = "[strings.0011]\r\nDesc = neutral\r\nOnlyEnglish = n\r\n";
    const std::string uses = "[S]\r\na = %Desc%\r\nb = %OnlyEnglish%, x%desc%y\r\n";
    InfFile exact = parseInf(uses + english + neutral + japanese);
    EXPECT_EQ(fieldOf(exact, "S", "a", 1), "\x93\xfa\x96\x7b\x8c\xea");
    EXPECT_EQ(fieldOf(exact, "S", "b", 1), "%OnlyEnglish%");
    EXPECT_EQ(fieldOf(exact, "S", "b", 2), "x\x93\xfa\x96\x7b\x8c\xeay");
    InfFile language = parseInf(uses + english + neutral + "[Strings.0409]\r\nDesc = us\r\n");
    EXPECT_EQ(fieldOf(language, "S", "a", 1), "neutral");
    EXPECT_EQ(fieldOf(language, "S", "b", 1), "n");
    InfFile plain = parseInf(uses + english + "[Strings.0407]\r\nDesc = de\r\n");
    EXPECT_EQ(fieldOf(plain, "S", "a", 1), "English");
    EXPECT_EQ(fieldOf(plain, "S", "b", 1), "fallback");

    const std::string wide = "\x93\xfa"; // one double-byte character
    InfFile cut = parseInf("[S]\r\nlong = <%Long%>\r\nkanji = %Kanji%\r\nfits = %Fits%\r\n"
                           "[Strings]\r\nLong = \"" +
                           std::string(600, 'x') + "\"\r\nKanji = " + std::string(1, 'k') +
                           [&] {
                               std::string s;
                               for (int i = 0; i < 600; ++i)
                                   s += wide;
                               return s;
                           }() +
                           "\r\nFits = " + std::string(511, 'f') + "\r\n");
    EXPECT_EQ(fieldOf(cut, "S", "long", 1), "<" + std::string(511, 'x') + ">");
    std::string kanji = fieldOf(cut, "S", "kanji", 1);
    EXPECT_EQ(kanji.size(), 1u + 2 * 510);
    EXPECT_EQ(kanji.substr(kanji.size() - 2), wide);
    EXPECT_EQ(fieldOf(cut, "S", "fits", 1), std::string(511, 'f'));
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

TEST(InfFile, backslash_at_line_end_joins_lines_as_windows_setup_does) {
    // General Syntax Rules for INF Files: a backslash that ends a line,
    // outside quotes, joins the next line; a comment may follow it. Of two
    // backslashes at the end, the first is ignored and the second joins. A
    // backslash inside quotes is text. Blanks before the backslash and
    // blanks that begin the next line are dropped. A continued line that
    // is a comment or empty ends the joined line.
    InfFile inf = parseInf("[S]\r\n"
                           "chain = a, \\\r\n   b,\\  \r\n c\r\n"
                           "words = two \\\r\n    words\r\n"
                           "quoted = \"SomeDirectory\\\"\\ ; comment\r\n,SomeFile\r\n"
                           "doubled = SomeDirectory\\\\\r\n,SomeFile\r\n"
                           "ends = \"path\\\"\r\n"
                           "commented = a, \\\r\n; a comment line\r\n"
                           "empty = x\\\r\n\r\n"
                           "inner = a\\b\r\n"
                           "last = 1 \\");
    EXPECT_EQ(text(inf, "S", 0), "a,b,c");
    EXPECT_EQ(fieldOf(inf, "S", "words", 1), "twowords");
    EXPECT_EQ(text(inf, "S", 2), "SomeDirectory\\,SomeFile");
    EXPECT_EQ(text(inf, "S", 3), "SomeDirectory,SomeFile");
    EXPECT_EQ(fieldOf(inf, "S", "ends", 1), "path\\");
    EXPECT_EQ(text(inf, "S", 5), "a,");
    EXPECT_EQ(fieldOf(inf, "S", "empty", 1), "x");
    EXPECT_EQ(fieldOf(inf, "S", "inner", 1), "a\\b");
    EXPECT_EQ(fieldOf(inf, "S", "last", 1), "1");
    EXPECT_EQ(inf.lineCount("S"), 9);
}

TEST(InfFile, dirid_tokens_are_replaced_by_the_folders_of_windows_xp) {
    // Using Dirids: %dirid% stands for the DIRID's folder in any field. On
    // the virtual system the Windows folder is C:\WINDOWS on drive C:. The
    // drive roots 24, 30 and 54 end in a backslash, so a backslash written
    // after them is not doubled. DIRID -1 (and 65535) is an absolute path:
    // the token stands for nothing; a number Windows XP does not know as a
    // DIRID stands for the system folder's "unknown"; a token that is no number, like a key the
    // Strings section lacks, stays as written. A key of the Strings section is taken before a DIRID
    // of the same name.
    InfFile inf = parseInf("[S]\r\n"
                           "p = %10%,%11%\\x.dll,%12%\\drv.sys,%17%,%18%,%20%,%50%,%55%\r\n"
                           "root = %24%\\Tools,%24%,%30%boot.ini,%54%\\\\ntldr\r\n"
                           "abs = %-1%\\D:\\x,%65535%D:\\y\r\n"
                           "unknown = %99%\\a,%13%,%32768%,%1x%\r\n"
                           "shell = %16422%\\Vendor,%012%\r\n"
                           "defined = %25%\r\n"
                           "[Strings.0411]\r\n"
                           "25 = shared\r\n");
    EXPECT_EQ(text(inf, "S", 0), "C:\\WINDOWS,C:\\WINDOWS\\system32\\x.dll,"
                                 "C:\\WINDOWS\\system32\\drivers\\drv.sys,C:\\WINDOWS\\inf,"
                                 "C:\\WINDOWS\\help,C:\\WINDOWS\\Fonts,C:\\WINDOWS\\system,"
                                 "C:\\WINDOWS\\system32\\spool\\prtprocs");
    EXPECT_EQ(text(inf, "S", 1), "C:\\Tools,C:\\,C:\\boot.ini,C:\\\\ntldr");
    EXPECT_EQ(text(inf, "S", 2), "\\D:\\x,D:\\y");
    EXPECT_EQ(text(inf, "S", 3), "C:\\WINDOWS\\system32\\unknown\\a,C:\\WINDOWS\\system32\\unknown,"
                                 "C:\\WINDOWS\\system32\\unknown,%1x%");
    EXPECT_EQ(text(inf, "S", 4), "C:\\Program Files\\Vendor,C:\\WINDOWS\\system32\\drivers");
    EXPECT_EQ(fieldOf(inf, "S", "defined", 1), "shared");
}

TEST(InfFile, trail_byte_0x5C_at_line_end_does_not_continue_the_line) {
    // "\x95\x5C" is one double-byte character whose trail byte is 0x5C.
    InfFile inf = parseInf("[S]\r\na = \x95\x5C\r\nb = 2\r\n");
    EXPECT_EQ(fieldOf(inf, "S", "a", 1), "\x95\x5C");
    EXPECT_EQ(fieldOf(inf, "S", "b", 1), "2");
}

TEST(InfFile, reads_crlf_and_lf_line_ends) {
    for (const char* end : {"\r\n", "\n"}) {
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
    // Windows setup refuses a section header without its closing bracket.
    EXPECT_FALSE(InfFile::parse(kVersion + "[Broken\na=1\n").isOpen());
}

TEST(InfFile, characters_that_setupapi_reads_its_own_way) {
    // A carriage return not followed by a line feed is white space, not a
    // line break: a file with lone CRs for line ends is one line. A NUL
    // byte inside a line reads as a space. Section names are taken as
    // written between the brackets, blanks, quotes, backslashes and
    // semicolons included (General Syntax Rules: a quoted reference matches
    // the declaration exactly). A section name holds at most 255
    // characters: a longer one makes the open fail (a double-byte
    // character counts as one). Before the first section only blank lines,
    // blanks and comments may stand; any other text makes the open fail.
    InfFile inf = parseInf("[S]\r\na = x\ry\r\nb =\r 1 \r\r\nc = \"q\rr\"\r\n"
                           "k" +
                           std::string(1, '\0') + "ey = v" + std::string(1, '\0') +
                           "1\r\n"
                           "[ Spaced  Name ]\r\nd = 2\r\n[\";; odd\\name\"]\r\ne = 3\r\n");
    ASSERT_TRUE(inf.isOpen());
    EXPECT_EQ(fieldOf(inf, "S", "a", 1), "x\ry");
    EXPECT_EQ(fieldOf(inf, "S", "b", 1), "1");
    EXPECT_EQ(fieldOf(inf, "S", "c", 1), "q\rr");
    EXPECT_EQ(fieldOf(inf, "S", "k ey", 1), "v 1");
    EXPECT_EQ(fieldOf(inf, " spaced  name ", "d", 1), "2");
    EXPECT_EQ(inf.lineCount("Spaced  Name"), -1);
    EXPECT_EQ(fieldOf(inf, "\";; odd\\name\"", "e", 1), "3");
    EXPECT_FALSE(InfFile::parse("[Version]\rSignature=$Chicago$\r[S]\ra=1\r").isOpen());

    const std::string wide = "\x93\xfa";
    std::string longest;
    for (int i = 0; i < 255; ++i)
        longest += i % 2 ? wide : "n";
    EXPECT_EQ(parseInf("[" + longest + "]\r\na=1\r\n").lineCount(longest), 1);
    EXPECT_FALSE(parseInf("[" + longest + "x]\r\na=1\r\n").isOpen());
    EXPECT_FALSE(parseInf("[" + std::string(256, 'n') + "]\r\n").isOpen());

    std::string before = std::string("  \t\r\r\n; comment\r\n") + '\0' + " \r\n\r\n";
    EXPECT_TRUE(InfFile::parse(before + kVersion).isOpen());
    EXPECT_FALSE(InfFile::parse("stray = 1\r\n" + kVersion).isOpen());
    EXPECT_FALSE(InfFile::parse("text\r\n" + kVersion).isOpen());
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
        EXPECT_FALSE(inf.destinationFolder(std::nullopt));
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
    // SetupGetTargetPath: the folder never ends in a backslash; DIRID -1
    // and its synonym 65535 take the subfolder as the absolute path; a
    // DIRID Windows XP does not know (13 came later) resolves to nothing.
    InfFile inf = parseInf("[DestinationDirs]\r\nDefaultDestDir = 12\r\nfiles = 11\r\n"
                           "infs = 17\r\nsub = 10, \\Web\\Wallpaper\r\nwin = 10\r\n"
                           "odd = 99999\r\nabs = -1, D:\\Tools\r\nhex = 0xB\r\n"
                           "synonym = 65535, E:\\Data\r\nroot = 24\r\nrootsub = 24, \\Tools\r\n"
                           "store = 13\r\nnoabs = -1\r\n");
    EXPECT_EQ(inf.destinationFolder(std::nullopt), "C:\\WINDOWS\\system32\\drivers");
    EXPECT_EQ(inf.destinationFolder("FILES"), "C:\\WINDOWS\\system32");
    EXPECT_EQ(inf.destinationFolder("infs"), "C:\\WINDOWS\\inf");
    EXPECT_EQ(inf.destinationFolder("sub"), "C:\\WINDOWS\\Web\\Wallpaper");
    EXPECT_EQ(inf.destinationFolder("win"), "C:\\WINDOWS");
    EXPECT_EQ(inf.destinationFolder("abs"), "D:\\Tools");
    EXPECT_EQ(inf.destinationFolder("hex"), "C:\\WINDOWS\\system32");
    EXPECT_FALSE(inf.destinationFolder("odd"));
    EXPECT_EQ(inf.destinationFolder("synonym"), "E:\\Data");
    EXPECT_EQ(inf.destinationFolder("root"), "C:");
    EXPECT_EQ(inf.destinationFolder("rootsub"), "C:\\Tools");
    EXPECT_FALSE(inf.destinationFolder("store"));
    EXPECT_FALSE(inf.destinationFolder("noabs"));
    // A section without an entry takes the default destination.
    EXPECT_EQ(inf.destinationFolder("unlisted"), "C:\\WINDOWS\\system32\\drivers");
}

TEST(InfFile, target_path_without_destination_dirs_is_the_system_folder) {
    InfFile inf = parseInf("[S]\r\na=1\r\n");
    EXPECT_EQ(inf.destinationFolder(std::nullopt), "C:\\WINDOWS\\system32");
    EXPECT_EQ(inf.destinationFolder("files"), "C:\\WINDOWS\\system32");
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
