// How SETUPAPI on Windows XP answers for line continuations, %dirid%
// tokens and text before the first section, case by case: each row is a
// text and what Windows reads from it.
#include "inf/InfFile.h"

#include "InfTestText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ornibe {
namespace {

const std::string& kVersion = test::kVersionSection;

// The first line of section T as "key = value|value", "-" standing for a
// line without a key.
std::string firstLine(const InfFile& inf) {
    auto line = inf.lineByIndex("T", 0);
    if (!line)
        return "<no line>";
    std::string text = inf.stringField(*line, 0).value_or("-") + " =";
    const char* separator = " ";
    for (std::size_t i = 1; i <= inf.fieldCount(*line); ++i) {
        text += separator + inf.stringField(*line, i).value_or("<no field>");
        separator = "|";
    }
    return text;
}

struct LineCase {
    std::string body;
    std::string read;
};

TEST(InfConformance, line_continuation_reads_as_setupapi_reads_it) {
    // A backslash outside quotes that only blanks, further backslashes and
    // a comment follow joins the next line, dropping the blanks on both
    // sides of the join; any other backslash is text.
    const std::vector<LineCase> cases = {
        {"xy\\\nzw=v", "xyzw = v"},
        {"xy  \\  \nzw=v", "xyzw = v"},
        {"xy\\\nzw,v", "- = xyzw|v"},
        {"xy  \\ ;note\nzw=v", "xyzw = v"},
        {"xy \\ \\ \nzw=v", "xyzw = v"},
        {"xy \\\\ \nz=v", "xyz = v"},
        {"xy \\ zw=v", "xy \\ zw = v"},
        {"k=a\\\\b", "k = a\\\\b"},
        {"k=ab \\ ", "k = ab"},
        {"k=a \\ \n \\ \n b", "k = ab"},
        {"k=a \\ \n \\ b", "k = a\\ b"},
        {"  \\ k= \\ v", "\\ k = \\ v"},
        {"k = two \\\r\n    words", "k = twowords"},
        {"k = a, \\\r\n   b,\\  \r\n c", "k = a|b|c"},
        {"k = \"a \" \\\n b", "k = a b"},
        {"k = \"dir\\\"\\ ; note\r\n,file", "k = dir\\|file"},
        {"k=ab\",cd\\\nef", "k = ab,cd\\"},
        {"k = x\\\r\n\r\ny = 2", "k = x"},
    };
    for (const LineCase& c : cases) {
        InfFile inf = InfFile::parse(kVersion + "[T]\n" + c.body);
        ASSERT_TRUE(inf.isOpen()) << c.body;
        EXPECT_EQ(firstLine(inf), c.read) << c.body;
    }
    // A quoted value's backslash at the line end is text, and the quote ends
    // with the line: the next line is a line of its own.
    EXPECT_EQ(InfFile::parse(kVersion + "[T]\nk=ab\",cd\\\nef").lineCount("T"), 2);
    // An empty line after a continuation ends the joined line.
    EXPECT_EQ(InfFile::parse(kVersion + "[T]\nk = x\\\r\n\r\ny = 2").lineCount("T"), 2);

    // Setup in text mode reads a driver floppy's TXTSETUP.OEM, where a
    // backslash at a line's end is a path's root.
    auto oem = InfFile::readBytes("[Disks]\r\nd1 = \"Disk 1\", \\disk1, \\  \r\nd2 = x\r\n",
                                  InfStyle::OemFile);
    ASSERT_TRUE(oem);
    auto d1 = oem->findFirstLine("Disks", "d1");
    ASSERT_TRUE(d1);
    EXPECT_EQ(oem->lineText(*d1), "Disk 1,\\disk1,\\");
    EXPECT_EQ(oem->lineCount("Disks"), 2);
}

struct TokenCase {
    std::string field;
    std::string read;
};

TEST(InfConformance, dirid_tokens_expand_in_every_field_unknown_ones_to_the_system_unknown) {
    // A token that is a decimal number and no string key is a DIRID: the
    // folders of Windows XP on C:\WINDOWS; DIRID 0, -1 and 65535 stand for
    // nothing, numbers the system does not know for the system folder's
    // "unknown" (as SETUPAPI expands %40%); DIRID 1, the folder the
    // file is installed from, is not known and stays. After a drive root, a
    // backslash that follows the token is not doubled; after a string key's
    // value it is kept.
    const std::vector<TokenCase> cases = {
        {"%10%", "C:\\WINDOWS"},
        {"%11%\\x.dll", "C:\\WINDOWS\\system32\\x.dll"},
        {"%012%\\d.sys", "C:\\WINDOWS\\system32\\drivers\\d.sys"},
        {"%0%", ""},
        {"%00%\\x", "\\x"},
        {"%13%", "C:\\WINDOWS\\system32\\unknown"},
        {"%40%", "C:\\WINDOWS\\system32\\unknown"},
        {"%99%\\a", "C:\\WINDOWS\\system32\\unknown\\a"},
        {"%32768%\\b", "C:\\WINDOWS\\system32\\unknown\\b"},
        {"%123456789012%x", "C:\\WINDOWS\\system32\\unknownx"},
        {"%-1%D:\\x", "D:\\x"},
        {"%65535%D:\\y", "D:\\y"},
        {"%1%\\a.inf", "%1%\\a.inf"},
        {"%01%", "%01%"},
        {"%1x%", "%1x%"},
        {"%0x0B%", "%0x0B%"},
        {"%-%", "%-%"},
        {"%24%\\fred", "C:\\fred"},
        {"%24%\\\\fred", "C:\\\\fred"},
        {"%drive%\\fred", "C:\\\\fred"},
        {"%22%", "foo"},
        {"%again%", "%11%"},
        {"%%%11%", "%C:\\WINDOWS\\system32"},
        {"a%99%b%10%c", "aC:\\WINDOWS\\system32\\unknownbC:\\WINDOWSc"},
    };
    const std::string strings = "[Strings]\r\ndrive = \"C:\\\"\r\n22 = foo\r\nagain = %11%\r\n";
    for (const TokenCase& c : cases) {
        InfFile inf = InfFile::parse(kVersion + "[T]\r\nk = " + c.field + "\r\n" + strings);
        ASSERT_TRUE(inf.isOpen()) << c.field;
        EXPECT_EQ(test::fieldOf(inf, "T", "k", 1), c.read) << c.field;
    }

    // Keys are fields too: a line is found under its expanded key.
    InfFile keys = InfFile::parse(kVersion + "[T]\r\n%11%\\k = 1\r\n%99%\\j = 2\r\n%1%\\i = 3\r\n");
    EXPECT_EQ(test::fieldOf(keys, "T", "C:\\WINDOWS\\system32\\k", 1), "1");
    EXPECT_EQ(test::fieldOf(keys, "T", "C:\\WINDOWS\\system32\\unknown\\j", 1), "2");
    EXPECT_EQ(test::fieldOf(keys, "T", "%1%\\i", 1), "3");
    EXPECT_EQ(test::fieldOf(keys, "T", "%99%\\j", 1), "<no line>");
}

struct OpenCase {
    std::string text;
    int refusedLine; // 0: the file opens
};

TEST(InfConformance, text_before_the_first_section_opens_only_with_a_strings_section) {
    // Blank lines and comments may stand before the first section. Other
    // text there is passed over when the file has a [Strings] section,
    // wherever it stands; without one the file is refused on the first
    // line of such text.
    const std::string v = kVersion;
    const std::vector<OpenCase> cases = {
        {"[abc]\n" + v, 0},
        {";aa\n;bb\n" + v, 0},
        {"stray\r\n" + v, 1},
        {";\n;\nstray\r\n" + v, 3},
        {";\n;\nab\nab\n" + v, 3},
        {"one\ntwo\n[abc]\n" + v, 1},
        {";note\none\ntwo\n[abc]\n" + v, 2},
        {" \t\none\ntwo\n[abc]\n" + v, 2},
        {"one\ntwo\n" + v + "[abc]\n", 1},
        {"one\ntwo\n[Strings]\n" + v, 0},
        {";note\none\ntwo\n[Strings]\n" + v, 0},
        {" \t\none\ntwo\n[STRINGS]\n" + v, 0},
        {"one\ntwo\n" + v + "[strings]\nk = v\n", 0},
        {"key = value, \"quoted\n" + v + "[Strings]\n", 0},
        {"one\n" + v + "[Strings.0411]\n", 1},
    };
    for (const OpenCase& c : cases) {
        Result<InfFile, InfProblem> read = InfFile::readBytes(c.text);
        if (c.refusedLine == 0) {
            EXPECT_TRUE(read) << c.text;
            continue;
        }
        ASSERT_FALSE(read) << c.text;
        EXPECT_EQ(read.failure().line, c.refusedLine) << c.text;
        EXPECT_EQ(read.failure().reason,
                  "最初のセクション見出しより前に、コメントではない行があります。")
            << c.text;
    }

    // The text passed over belongs to no section.
    auto read = InfFile::readBytes("a = 1\n" + v + "[Strings]\nb = 2\n");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->sectionNames(), (std::vector<std::string>{"Version", "Strings"}));
    EXPECT_EQ(read->lineCount("Strings"), 1);

    // Setup in text mode reads answer files and driver floppies, and
    // refuses the text even with a [Strings] section.
    for (InfStyle style : {InfStyle::AnswerFile, InfStyle::OemFile}) {
        auto refused = InfFile::readBytes(";\nstray\n[Strings]\na = 1\n", style);
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.failure().line, 2);
    }
}

} // namespace
} // namespace ornibe
