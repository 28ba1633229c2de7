// ornibe-build's own texts: every one is Japanese like the rest of the
// program, and a refusal of the settings that an option mends names it.

#include "cli/TerminalText.h"
#include "cli/CommandOptions.h"
#include "wizard/PnpDriverCheck.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

namespace ornibe::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Three lower-case words in a row are an English sentence; option names,
// values and proper names ("Time Zone Index Values") are not.
bool holdsEnglishSentence(const std::string& text) {
    static const std::regex words(R"((^|[^-\w])[a-z]+[ ,;:]+[a-z]+[ ,;:]+[a-z]+\b)");
    return std::regex_search(text, words);
}

TEST(TerminalText, every_text_of_ornibe_build_is_japanese_and_refusals_name_their_option) {
    // The check itself tells the old English texts from Japanese ones.
    EXPECT_TRUE(holdsEnglishSentence("--iso is given more than once"));
    EXPECT_TRUE(holdsEnglishSentence("--work DIR is not a folder"));
    EXPECT_FALSE(holdsEnglishSentence("--virtio-win-only viostor でも組み込めます"));

    std::vector<std::string> texts;
    for (const TerminalTextRow& row : terminalTexts()) {
        texts.emplace_back(row.text);
    }
    for (const std::string& hint : allOptionHints()) {
        texts.push_back(hint);
    }
    const std::string help = commandHelp();
    for (size_t start = 0, end; start < help.size(); start = end + 1) {
        end = help.find('\n', start);
        texts.push_back(help.substr(start, end - start));
    }
    for (const std::string& text : texts) {
        EXPECT_FALSE(holdsEnglishSentence(text)) << text;
    }

    // Values go where the row says.
    EXPECT_EQ(terminalText(TerminalText::ExcludeEachOther, {"--a", "--b"}),
              "--a と --b は一緒に指定できません");

    // The refusals that an option mends, in the wizard's words, gain a
    // line naming it; other messages none.
    EXPECT_THAT(
        optionHints("無人インストールのフルネーム（FullName）は使えません。\n入力してください。"),
        ElementsAre("--full-name で指定してください。"));
    EXPECT_THAT(optionHints("無人インストールのプロダクト キー（ProductID）は使えません。"),
                ElementsAre("--product-key で指定してください。"));
    const std::vector<std::string> pnp = optionHints(pnpDriversNeedAnswerFile());
    ASSERT_EQ(pnp.size(), 1u);
    EXPECT_THAT(pnp[0], ::testing::HasSubstr("--virtio-win-only viostor"));
    EXPECT_THAT(optionHints("作業フォルダが空ではありません。"), IsEmpty());
}

} // namespace
} // namespace ornibe::test
