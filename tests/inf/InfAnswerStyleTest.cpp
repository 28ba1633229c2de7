// The answer-file style of the INF parser: what text-mode setup reads
// without a [Version] section, beside the rule that driver INFs keep.

#include "inf/InfFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ornibe {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(InfAnswerStyle, opens_without_a_signature_refuses_an_open_quote_and_lists_sections_in_order) {
    const std::string unsigned_ = "[UserData]\r\nFullName = \"A, B\"\r\n[Data]\r\nX = 1\r\n"
                                  "[userdata]\r\nOrgName = Lab\r\n";
    auto driverStyle = InfFile::readBytes(unsigned_);
    ASSERT_FALSE(driverStyle);
    EXPECT_THAT(driverStyle.failure().reason, HasSubstr("Signature"));

    InfFile answer = InfFile::readBytes(unsigned_, InfStyle::AnswerFile).valueOr(InfFile());
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
    auto unclosed = InfFile::readBytes(open, InfStyle::AnswerFile);
    ASSERT_FALSE(unclosed);
    EXPECT_EQ(unclosed.failure().line, 4);
    EXPECT_THAT(unclosed.failure().reason, HasSubstr("閉じていません"));

    // The other refusals hold for answer files too.
    auto early = InfFile::readBytes("Key = 1\r\n[S]\r\n", InfStyle::AnswerFile);
    ASSERT_FALSE(early);
    EXPECT_EQ(early.failure().line, 1);
    EXPECT_THAT(early.failure().reason, HasSubstr("最初のセクション見出し"));
}

} // namespace
} // namespace ornibe
