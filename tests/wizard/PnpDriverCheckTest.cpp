#include "wizard/PnpDriverCheck.h"
#include "wizard/PnpDriverList.h"

#include "support/ScriptedMessages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ornibe {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Without an answer file the wizard asks whether to open the answer file's
// dialog: no refuses, yes opens it and goes on only when it left an
// answer file set; without a dialog (the command line) it is a refusal.
// With one, the path's length is held to the version's limit.
TEST(PnpDriverCheck, an_answer_file_is_asked_for_and_the_path_held_to_its_limit) {
    BuildSettings settings;
    test::ScriptedMessages none;
    EXPECT_TRUE(checkPnpDriverSettings(settings, WindowsVersion::WindowsXp, none, {}));
    EXPECT_TRUE(none.shown.empty());

    settings.addPnpDriverInf("/m/a.inf");
    test::ScriptedMessages refused;
    EXPECT_FALSE(checkPnpDriverSettings(settings, WindowsVersion::WindowsXp, refused, {}));
    ASSERT_EQ(refused.shown.size(), 1u);
    EXPECT_THAT(refused.shown[0].text, HasSubstr("無人インストールの応答ファイルが要ります"));

    int opened = 0;
    test::ScriptedMessages declined;
    declined.answer(MessageAnswer::No);
    EXPECT_FALSE(
        checkPnpDriverSettings(settings, WindowsVersion::WindowsXp, declined, [&] { ++opened; }));
    EXPECT_EQ(opened, 0);
    EXPECT_THAT(declined.shown.at(0).text, HasSubstr("応答ファイルの設定を開きますか？"));

    test::ScriptedMessages leftEmpty;
    leftEmpty.answer(MessageAnswer::Yes);
    EXPECT_FALSE(
        checkPnpDriverSettings(settings, WindowsVersion::WindowsXp, leftEmpty, [&] { ++opened; }));
    EXPECT_EQ(opened, 1);

    test::ScriptedMessages filled;
    filled.answer(MessageAnswer::Yes);
    EXPECT_TRUE(checkPnpDriverSettings(settings, WindowsVersion::WindowsXp, filled, [&] {
        AnswerFileFields fields;
        fields.mode = AnswerFileFields::Mode::Write;
        settings.setAnswerFile(fields);
    }));
    EXPECT_TRUE(filled.unexpected.empty());

    // 8 folders: 95 characters, within Windows 2000's 98; 9: 107.
    for (int i = 2; i <= 8; ++i) {
        settings.addPnpDriverInf("/m/" + std::to_string(i) + ".inf");
    }
    test::ScriptedMessages eight;
    EXPECT_TRUE(checkPnpDriverSettings(settings, WindowsVersion::Windows2000, eight, {}));
    settings.addPnpDriverInf("/m/9.inf");
    test::ScriptedMessages nine;
    EXPECT_FALSE(checkPnpDriverSettings(settings, WindowsVersion::Windows2000, nine, {}));
    ASSERT_EQ(nine.shown.size(), 1u);
    EXPECT_THAT(nine.shown[0].text, HasSubstr("107 文字になり、Windows 2000 の上限の 98 文字"));
    test::ScriptedMessages xp;
    EXPECT_TRUE(checkPnpDriverSettings(settings, WindowsVersion::WindowsXp, xp, {}));
}

// The page's list: an INF already listed (letter case aside) is not added
// again, and removing takes only the selected row.
TEST(PnpDriverList, adding_skips_what_is_listed_and_removing_takes_the_row) {
    std::vector<std::string> list = pnpListWith({}, "/m/a.inf");
    list = pnpListWith(list, "/m/B.inf");
    list = pnpListWith(list, "/M/A.INF");
    list = pnpListWith(list, "");
    EXPECT_THAT(list, ElementsAre("/m/a.inf", "/m/B.inf"));
    EXPECT_THAT(pnpListWithout(list, 0), ElementsAre("/m/B.inf"));
    EXPECT_THAT(pnpListWithout(list, -1), ElementsAre("/m/a.inf", "/m/B.inf"));
    EXPECT_THAT(pnpListWithout(list, 2), ElementsAre("/m/a.inf", "/m/B.inf"));
}

} // namespace
} // namespace ornibe
