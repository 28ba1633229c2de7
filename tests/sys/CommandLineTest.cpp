#include "sys/CommandLine.h"

#include <gtest/gtest.h>

#include <random>

using namespace ornibe;

using Arguments = std::vector<std::string>;

// The splitting rules, one case each, as the program documents them.
TEST(CommandLine, splits_by_the_windows_rules) {
    struct Case {
        std::string text;
        Arguments expected;
    };
    const Case cases[] = {
        // blanks separate; runs of blanks and tabs count as one
        {"a b  c", {"a", "b", "c"}},
        {" \ta\t\tb ", {"a", "b"}},
        // quotes group, and quoted and plain parts join into one argument
        {R"("a b" c)", {"a b", "c"}},
        {R"(-s:"C:\SP Dir\W2KSP4.EXE")", {R"(-s:C:\SP Dir\W2KSP4.EXE)"}},
        {R"(-l"MY LABEL"x)", {"-lMY LABELx"}},
        // backslashes not before a quote are literal
        {R"(C:\dir\ \\server\share)", {R"(C:\dir\)", R"(\\server\share)"}},
        // an odd run before a quote escapes it, an even run does not
        {R"(a\"b)", {R"(a"b)"}},
        {R"(a\\\"b)", {R"(a\"b)"}},
        {R"(a\\"b c")", {R"(a\b c)"}},
        {R"("C:\dir\\" next)", {R"(C:\dir\)", "next"}},
        // two quotes inside a quoted part are one literal quote
        {R"("say ""hi"" now")", {R"(say "hi" now)"}},
        // an empty quoted part is an empty argument
        {R"(a "" b)", {"a", "", "b"}},
        // an unclosed quote runs to the end of the text
        {R"(a "b  c)", {"a", "b  c"}},
        {R"(")", {""}},
        // nothing at all
        {"", {}},
        {"   ", {}},
        // the program name follows the same rules
        {R"("/opt/my tools/makecab" /L x)", {"/opt/my tools/makecab", "/L", "x"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(splitCommandLine(c.text), c.expected) << c.text;
    }
}

TEST(CommandLine, quoted_value_comes_back_as_exactly_one_argument) {
    const std::string fixed[] = {"",       " ",       "\"",       "\\",        "\\\"",
                                 "a\\",    "a\\\\",   "\"\"",     "a b\\\" c", "\t",
                                 "日本語", "C:\\a\\", "x\"\"\"y", "\\\\\""};
    for (const std::string& value : fixed) {
        EXPECT_EQ(splitCommandLine("prog " + quoteArgument(value)), (Arguments{"prog", value}))
            << quoteArgument(value);
    }

    // Random values over the characters that matter, several per line.
    std::mt19937 random(20261207);
    const char alphabet[] = {'a', ' ', '\t', '"', '\\'};
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<int> pick(0, sizeof alphabet - 1);
    for (int round = 0; round < 2000; ++round) {
        Arguments values;
        std::string line;
        for (int k = 0; k < 3; ++k) {
            std::string value;
            for (int i = length(random); i > 0; --i) {
                value += alphabet[pick(random)];
            }
            line += (k == 0 ? "" : " ") + quoteArgument(value);
            values.push_back(value);
        }
        ASSERT_EQ(splitCommandLine(line), values) << line;
    }
}
