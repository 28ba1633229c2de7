#include "wizard/WizardArguments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace ornibe;
using testing::HasSubstr;

namespace {

// Without arguments the window opens; --help and --version answer on
// standard output; anything else, or more than one argument, is refused on
// standard error with status 2, naming what was given.
TEST(WizardArguments, only_help_and_version_are_answered_and_anything_else_is_refused) {
    EXPECT_FALSE(answerWizardArguments({}, "1.2.3"));

    const auto version = answerWizardArguments({"--version"}, "1.2.3");
    ASSERT_TRUE(version);
    EXPECT_EQ(version->status, 0);
    EXPECT_EQ(version->out, "ornibe 1.2.3\n");

    const auto help = answerWizardArguments({"--help"}, "1.2.3");
    ASSERT_TRUE(help);
    EXPECT_EQ(help->status, 0);
    EXPECT_TRUE(help->out.starts_with("使い方：ornibe [--help | --version]\n"));
    EXPECT_TRUE(help->error.empty());

    for (const std::vector<std::string>& given :
         {std::vector<std::string>{"--work"}, std::vector<std::string>{"--help", "--version"}}) {
        const auto refused = answerWizardArguments(given, "1.2.3");
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->status, 2);
        EXPECT_TRUE(refused->out.empty());
        EXPECT_THAT(refused->error, HasSubstr("（指定された引数：" + given[0] + "）"));
    }
}

} // namespace
