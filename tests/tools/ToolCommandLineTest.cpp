#include "common/ToolCommandLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ornibe {
namespace {

using ::testing::ElementsAre;

// The usage error's message, or a note that there is none.
std::string usageMessage(const ToolParse<std::vector<std::string>>& parsed) {
    return parsed ? "(no usage error)" : parsed.failure().message;
}

TEST(ToolCommandLine, switches_by_any_spelling_and_case_around_operands_and_the_first_error_wins) {
    bool yes = false;
    std::string folder;
    std::string label = "unset";
    std::vector<std::string> labels;
    auto line = [&] {
        return ToolCommandLine{
            .switches = {{.spellings = {"/Y", "-Y"}, .set = setsTrue(yes)},
                         {.spellings = {"/L", "-L"},
                          .takes = ToolSwitch::Takes::NextWord,
                          .set = [&](const std::string& value) { folder = value; },
                          .missingValue = "/L needs a folder"},
                         {.spellings = {"/N"},
                          .takes = ToolSwitch::Takes::GluedText,
                          .set = [&](const std::string& value) { label = value; },
                          .check = [](const std::string& value) -> std::optional<ToolUsageError> {
                              if (value.size() > 3) {
                                  return ToolUsageError{"too long: " + value};
                              }
                              return std::nullopt;
                          }},
                         {.spellings = {"/B"},
                          .takes = ToolSwitch::Takes::GluedText,
                          .missingValue = "/B needs a file"}},
            .minOperands = 1,
            .maxOperands = 2,
            .usage = "usage: tool [/Y] [/L folder] [/Nlabel] file [name]"};
    };

    // Either spelling in either case; /L takes the next word whatever it
    // is; a glued value may be empty unless the switch needs one; a word
    // of other than two characters is an operand.
    auto parsed = parseToolCommandLine({"/tmp/a", "-y", "/l", "/Y", "/n", "-"}, line());
    ASSERT_TRUE(parsed) << usageMessage(parsed);
    EXPECT_THAT(*parsed, ElementsAre("/tmp/a", "-"));
    EXPECT_TRUE(yes);
    EXPECT_EQ(folder, "/Y");
    EXPECT_EQ(label, "");
    parsed = parseToolCommandLine({"/nABC", "/YY"}, line());
    ASSERT_TRUE(parsed) << usageMessage(parsed);
    EXPECT_THAT(*parsed, ElementsAre("/YY"));
    EXPECT_EQ(label, "ABC");

    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"file", "/L"}, "/L needs a folder"},
        {{"file", "/B"}, "/B needs a file"},
        {{"/nABCD", "file"}, "too long: ABCD"},
        {{"/Q", "file"}, "unknown option /Q"},
        {{}, "usage: tool [/Y] [/L folder] [/Nlabel] file [name]"},
        {{"a", "b", "c"}, "usage: tool [/Y] [/L folder] [/Nlabel] file [name]"},
        // In the order of the words, and the operands only after them.
        {{"/nABCD", "/Q"}, "too long: ABCD"},
        {{"/Q", "/nABCD"}, "unknown option /Q"},
        {{"a", "b", "c", "/L"}, "/L needs a folder"},
    };
    for (const auto& [args, message] : refused) {
        EXPECT_EQ(usageMessage(parseToolCommandLine(args, line())), message);
    }

    // A tool whose every word is a switch has no operands.
    ToolCommandLine switchesOnly{
        .switches = {{.spellings = {"+R"}}},
        .looksLikeSwitch = [](const std::string&) { return true; },
        .unknownSwitch = [](const std::string& word) { return "unknown argument " + word; }};
    EXPECT_EQ(usageMessage(parseToolCommandLine({"+r", "file"}, switchesOnly)),
              "unknown argument file");
}

} // namespace
} // namespace ornibe
