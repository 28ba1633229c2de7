// Input that no sane INF holds: the parser must neither crash nor hang nor
// take more than linear time, and must answer absent where nothing
// sensible exists.
#include "inf/DriverPackage.h"
#include "inf/InfFile.h"
#include "inf/InfReader.h"

#include "InfTestText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace ornibe {
namespace {

using test::fieldOf;

const std::string& kVersion = test::kVersionSection;
const std::string kData = ORNIBE_TEST_DATA;

TEST(InfFileBadInput, random_bytes_never_crash_and_answer_consistently) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> byte(0, 255);
    // Bytes drawn mostly from the characters that mean something to the
    // parser, so that the random text reaches deep into it.
    const std::string special = "[]=,;\"%\\\r\n \t\x1A\x81\x5C";
    for (int round = 0; round < 300; ++round) {
        std::string bytes = round % 2 ? kVersion : std::string();
        std::size_t length = random() % 4096;
        for (std::size_t i = 0; i < length; ++i)
            bytes +=
                random() % 2 ? special[random() % special.size()] : static_cast<char>(byte(random));
        InfFile inf = InfFile::parse(bytes);
        if (!inf.isOpen()) {
            EXPECT_EQ(inf.lineCount("Version"), -1);
            continue;
        }
        int count = inf.lineCount("Version");
        ASSERT_GE(count, 1);
        int walked = 0;
        for (auto line = inf.findFirstLine("Version"); line; line = inf.findNextLine(*line)) {
            ASSERT_TRUE(inf.stringField(*line, inf.fieldCount(*line)));
            EXPECT_FALSE(inf.stringField(*line, inf.fieldCount(*line) + 1));
            ++walked;
        }
        EXPECT_EQ(walked, count);
    }
}

TEST(InfFileBadInput, nul_bytes_read_as_spaces) {
    // A line of NULs is blank, also before the first section.
    InfFile inf = InfFile::open(kData + "/nul_bytes_read_as_spaces.inf");
    ASSERT_TRUE(inf.isOpen());
    EXPECT_EQ(fieldOf(inf, "S", "k ey", 1), "v alue");
    EXPECT_EQ(fieldOf(inf, "S", "next", 1), "1");
    EXPECT_EQ(inf.lineCount("S"), 2);
}

TEST(InfFileBadInput, unterminated_quote_ends_with_its_line) {
    InfFile inf = InfFile::open(kData + "/unterminated_quote.inf");
    ASSERT_TRUE(inf.isOpen());
    auto a = inf.findFirstLine("S", "a");
    ASSERT_TRUE(a);
    EXPECT_EQ(inf.fieldCount(*a), 1u);
    EXPECT_EQ(inf.stringField(*a, 1), "unterminated, still, one field");
    EXPECT_EQ(fieldOf(inf, "S", "b", 1), "2");
    EXPECT_EQ(fieldOf(inf, "S", "c", 1), "%unterminated");
}

TEST(InfFileBadInput, string_keys_referring_to_themselves_or_each_other_are_replaced_once) {
    InfFile inf = InfFile::open(kData + "/self_referencing_string_key.inf");
    ASSERT_TRUE(inf.isOpen());
    EXPECT_EQ(fieldOf(inf, "S", "a", 1), "<%Self%>");
    EXPECT_EQ(fieldOf(inf, "S", "b", 1), "%B%");
    EXPECT_EQ(fieldOf(inf, "S", "b", 2), "%A%");
}

TEST(InfFileBadInput, odd_length_utf16_file_reads_with_a_replacement_for_the_last_byte) {
    InfFile inf = InfFile::open(kData + "/odd_length_utf16.inf");
    ASSERT_TRUE(inf.isOpen());
    EXPECT_EQ(fieldOf(inf, "S", "name", 1), "\x93\xfa\x96\x7b");
    EXPECT_EQ(inf.lineCount("S"), 2);
}

TEST(InfFileBadInput, one_megabyte_line_and_one_megabyte_of_commas) {
    std::string big(1 << 20, 'x');
    std::string commas(1 << 20, ',');
    InfFile inf =
        InfFile::parse(kVersion + "[S]\r\nk = " + big + "\r\nc = " + commas + "\r\nafter = 1\r\n");
    ASSERT_TRUE(inf.isOpen());
    EXPECT_EQ(fieldOf(inf, "S", "k", 1), big);
    auto c = inf.findFirstLine("S", "c");
    ASSERT_TRUE(c);
    EXPECT_EQ(inf.fieldCount(*c), (1u << 20) + 1);
    EXPECT_EQ(inf.lineText(*c)->size(), 1u << 20);
    EXPECT_EQ(fieldOf(inf, "S", "after", 1), "1");
}

TEST(InfFileBadInput, long_runs_of_continued_lines_make_one_line) {
    std::string body = kVersion + "[S]\r\nk = a";
    for (int i = 0; i < 100000; ++i)
        body += ",\\\r\n";
    body += "z\r\n";
    InfFile inf = InfFile::parse(body);
    auto k = inf.findFirstLine("S", "k");
    ASSERT_TRUE(k);
    EXPECT_EQ(inf.fieldCount(*k), 100001u);
    EXPECT_EQ(inf.stringField(*k, 100001), "z");
    EXPECT_EQ(inf.lineCount("S"), 1);
}

TEST(InfFileBadInput, replacements_that_outgrow_the_text_keep_every_earlier_field_intact) {
    // Enough replaced text that the parsed text must move in memory while
    // string keys are being replaced.
    std::string value(500, 'v');
    std::string body = kVersion + "[S]\r\n";
    for (int i = 0; i < 300; ++i)
        body += "k" + std::to_string(i) + " = %Long%, plain" + std::to_string(i) + "\r\n";
    body += "[Strings]\r\nLong = " + value + "\r\n";
    InfFile inf = InfFile::parse(body);
    for (int i = 0; i < 300; i += 37) {
        EXPECT_EQ(fieldOf(inf, "S", "k" + std::to_string(i), 1), value);
        EXPECT_EQ(fieldOf(inf, "S", "k" + std::to_string(i), 2), "plain" + std::to_string(i));
    }
    EXPECT_EQ(fieldOf(inf, "Strings", "long", 1), value);
}

TEST(InfFileBadInput, replacement_growth_is_bounded) {
    // 200 lines of 1000 uses of a 511-character string would make 100 MB of
    // text; past the bound tokens stay as written instead.
    std::string uses;
    std::string replaced;
    for (int i = 0; i < 1000; ++i) {
        uses += "%B%";
        replaced += std::string(511, 'b');
    }
    std::string body = kVersion + "[S]\r\n";
    for (int i = 0; i < 200; ++i)
        body += "k" + std::to_string(i) + " = " + uses + "\r\n";
    body += "[Strings]\r\nB = " + std::string(1 << 20, 'b') + "\r\n";
    InfFile inf = InfFile::parse(body);
    ASSERT_TRUE(inf.isOpen());
    EXPECT_EQ(fieldOf(inf, "S", "k0", 1), replaced);
    EXPECT_EQ(fieldOf(inf, "S", "k199", 1), uses);
}

TEST(InfFileBadInput, fifty_megabyte_file_is_read_and_indexed) {
    test::TempDir dir;
    std::string body = kVersion + "[SourceDisksFiles]\r\n";
    body.reserve(51u << 20);
    for (int i = 0; body.size() < (50u << 20); ++i)
        body += "file" + std::to_string(i) + ".sys = 1,,,,,,4_,4,1,,,1,4\r\n";
    body += "[Last]\r\nend = yes\r\n";
    std::string path = dir.write("big.sif", body);
    InfFile inf = InfFile::open(path);
    ASSERT_TRUE(inf.isOpen());
    EXPECT_GT(inf.lineCount("SourceDisksFiles"), 1000000);
    EXPECT_EQ(fieldOf(inf, "SourceDisksFiles", "FILE123456.SYS", 7), "4_");
    EXPECT_EQ(fieldOf(inf, "Last", "end", 1), "yes");
}

TEST(InfFileBadInput, section_headers_of_the_longest_length_and_stray_brackets) {
    std::string name(255, 'n');
    InfFile inf =
        InfFile::parse(kVersion + "[" + name + "]\r\na=1\r\n[]\r\nb=2\r\n[x]]\r\nc=3\r\n");
    ASSERT_TRUE(inf.isOpen());
    EXPECT_EQ(inf.lineCount(name), 1);
    EXPECT_EQ(fieldOf(inf, "", "b", 1), "2");
    EXPECT_EQ(fieldOf(inf, "x", "c", 1), "3");
}

TEST(InfFileBadInput, driver_walk_over_a_garbled_inf_adds_only_what_it_finds) {
    test::TempDir dir;
    std::string path = dir.write(
        "drv/bad.inf",
        kVersion + "[Manufacturer]\r\n=\r\n[Models]\r\n,,,\r\n[.NTX86.Services]\r\n,,,,\r\n"
                   "[DestinationDirs]\r\nDefaultDestDir = x\r\n[ = ]\r\nCopyFiles = @,@\r\n");
    InfReader reader(path);
    DriverPackage package;
    reader.ReadDriverPackage(package, WindowsVersion::WindowsXp);
    EXPECT_TRUE(package.serviceBinaries().empty());
    EXPECT_TRUE(package.fileToTargetDir().empty());
    EXPECT_EQ(package.GetInfFile(0), path);
}

} // namespace
} // namespace ornibe
