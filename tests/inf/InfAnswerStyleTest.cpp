// The answer-file style of the INF parser: what text-mode setup reads
// without a [Version] section, beside the rule that driver INFs keep.

#include "inf/InfFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ornibe {
namespace {

using ::testing::ElementsAre;

TEST(InfAnswerStyle, opens_without_a_signature_refuses_an_open_quote_and_lists_sections_in_order) {
    const std::string unsigned_ = "[UserData]\r\nFullName = \"A, B\"\r\n[Data]\r\nX = 1\r\n"
                                  "[userdata]\r\nOrgName = Lab\r\n";
    InfProblem problem;
    EXPECT_FALSE(InfFile::parse(unsigned_, &problem).isOpen());
    EXPECT_EQ(problem.what, "there is no Signature in a [Version] section");

    InfFile answer = InfFile::parse(unsigned_, &problem, InfStyle::AnswerFile);
    ASSERT_TRUE(answer.isOpen());
    auto name = answer.findFirstLine("UserData", "FullName");
    ASSERT_TRUE(name);
    EXPECT_EQ(answer.fieldCount(*name), 1u);
    EXPECT_EQ(answer.stringField(*name, 1), "A, B");
    // Sections of one name are one section, spelled as first written.
    EXPECT_THAT(answer.sectionNames(), ElementsAre("UserData", "Data"));
    EXPECT_EQ(answer.lineCount("UserData"), 2);
    EXPECT_TRUE(InfFile().sectionNames().empty());

    // A quote left open ends its value at the line end in a driver INF;
    // an answer file is refused on that line, counted as setup counts.
    const std::string open = "[Version]\r\nSignature=\"$Windows NT$\"\r\n[S]\r\n"
                             "a = \"one, \\\r\nb = 2\r\n";
    InfFile driver = InfFile::parse(open);
    ASSERT_TRUE(driver.isOpen());
    EXPECT_EQ(driver.stringField(*driver.findFirstLine("S", "a"), 1), "one, \\");
    EXPECT_FALSE(InfFile::parse(open, &problem, InfStyle::AnswerFile).isOpen());
    EXPECT_EQ(problem.line, 4);
    EXPECT_EQ(problem.what, "a double quote is left open on the line");

    // The other refusals hold for answer files too.
    EXPECT_FALSE(InfFile::parse("Key = 1\r\n[S]\r\n", &problem, InfStyle::AnswerFile).isOpen());
    EXPECT_EQ(problem.line, 1);
    EXPECT_EQ(problem.what, "text stands before the first section header");
}

} // namespace
} // namespace ornibe
