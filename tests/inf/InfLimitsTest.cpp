// The limits within which setup information files are read: what passes
// them is refused with the reason in the program's words, what stays
// inside is read whole.
#include "inf/InfLimits.h"
#include "inf/InfFile.h"
#include "inf/InfReader.h"

#include "InfTestText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace ornibe {
namespace {

using test::fieldOf;

const std::string& kVersion = test::kVersionSection;

// Writes text and makes the file size bytes long; what lies past the text
// is a hole that reads as NUL bytes and takes no room.
std::string writeSized(const test::TempDir& dir, const std::string& name, const std::string& text,
                       std::uintmax_t size) {
    std::string path = dir.write(name, text);
    std::filesystem::resize_file(path, size);
    return path;
}

TEST(InfLimits, files_larger_than_the_limit_are_refused_before_they_are_read) {
    test::TempDir dir;
    // A sparse file of 64 GiB: taken into memory it would end the program.
    Result<InfFile, InfProblem> huge =
        InfFile::read(writeSized(dir, "huge.inf", kVersion, 64ull << 30));
    ASSERT_FALSE(huge);
    EXPECT_EQ(huge.failure().kind, InfProblem::Kind::Limit);
    EXPECT_EQ(huge.failure().text(), "ファイルが大きすぎます（68719476736 バイト）。INF "
                                     "ファイルとして読むのは 64 MB までです。");

    // One byte past the limit is refused by the reader as by the parser of
    // bytes; a file of exactly the limit is read.
    std::string over = writeSized(dir, "over.inf", kVersion, kInfMaxFileBytes + 1);
    InfReader reader(over);
    EXPECT_FALSE(reader.file().isOpen());
    EXPECT_EQ(reader.problem().reason, infFileTooLarge(kInfMaxFileBytes + 1).reason);
    EXPECT_EQ(InfReader::fromBytes(over, std::string(kInfMaxFileBytes + 1, ' ')).problem().kind,
              InfProblem::Kind::Limit);
    InfFile full =
        InfFile::open(writeSized(dir, "full.inf", kVersion + "[S]\r\nk = v\r\n", kInfMaxFileBytes));
    ASSERT_TRUE(full.isOpen());
    EXPECT_EQ(fieldOf(full, "S", "k", 1), "v");

    // A file that cannot be read says so in the same words as before.
    InfReader missing(dir / "missing.inf");
    EXPECT_EQ(missing.problem().kind, InfProblem::Kind::Unreadable);
    EXPECT_EQ(missing.problem().reason, "読み込めません（No such file or directory）。");
}

TEST(InfLimits, files_of_more_lines_or_sections_than_memory_allows_are_refused) {
    // Lines and sections of a character or two cost more memory than their
    // text: past 1.75 times the file's size the file is refused.
    std::string lines = kVersion + "[S]\n";
    std::string sections = kVersion;
    for (int i = 0; i < 2000000; ++i)
        lines += "a\n";
    for (int i = 0; i < 400000; ++i)
        sections += "[s" + std::to_string(i) + "]\n";
    for (const std::string& text : {lines, sections}) {
        Result<InfFile, InfProblem> read = InfFile::readBytes(text);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.failure().kind, InfProblem::Kind::Limit);
        EXPECT_EQ(read.failure().reason, infTooManyParts().reason);
    }

    // Lines of the length real files have are read, however many.
    std::string setup = kVersion + "[SourceDisksFiles]\r\n";
    for (int i = 0; setup.size() < (8u << 20); ++i)
        setup += "f" + std::to_string(i) + ".sys = 1,,,,,,4_,4,1,,,1,4\r\n";
    InfFile file = InfFile::parse(setup);
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(fieldOf(file, "SourceDisksFiles", "F200000.SYS", 7), "4_");
}

TEST(InfLimits, replacements_stop_at_the_memory_bound_and_every_line_stays_findable) {
    // Every line would grow 80 KB by its replacements; they are made while
    // the memory allows, and the lines after keep their tokens. The room
    // for the key table is kept, so that the file still opens.
    std::string uses;
    for (int i = 0; i < 160; ++i)
        uses += "%long%";
    std::string text = kVersion + "[Strings]\r\nlong = " + std::string(511, 's') + "\r\n[S]\r\n";
    int count = 0;
    for (; text.size() < (2u << 20); ++count)
        text += "k" + std::to_string(count) + " = " + uses + "\r\n";
    InfFile file = InfFile::parse(text);
    ASSERT_TRUE(file.isOpen());
    EXPECT_EQ(fieldOf(file, "S", "k0", 1).size(), 160u * 511);
    EXPECT_EQ(fieldOf(file, "S", "k" + std::to_string(count - 1), 1), uses);
    EXPECT_EQ(file.lineCount("S"), count);
}

} // namespace
} // namespace ornibe
