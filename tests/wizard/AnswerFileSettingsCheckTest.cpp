#include "wizard/AnswerFileDialogState.h"
#include "wizard/SettingsChecks.h"

#include "answer/TimeZones.h"
#include "support/BuildTreeTools.h"
#include "support/FakeDriveSource.h"
#include "support/ScriptedMessages.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ornibe::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// No CD is read: the work folder holds an XP tree.
struct TreeForm : SettingsForm {
    std::string workFolder;
    int selectedDrivePosition() const override { return 0; }
    std::string driveEntryText(int) const override { return "読み込みしない"; }
    std::string driveRoot(int) const override { return {}; }
    std::string volumeLabelText() const override { return {}; }
    std::string servicePackText() const override { return {}; }
    std::vector<std::string> infEntries() const override { return {}; }
    bool bigDriveChecked() const override { return false; }
    std::string workFolderText() const override { return workFolder; }
    std::string isoPathText() const override { return {}; }
};

class AnswerFileSettingsCheckTest : public ::testing::Test {
protected:
    AnswerFileSettingsCheckTest() {
        dir.write("work/I386/TXTSETUP.SIF",
                  "[Version]\r\nSignature = \"$Windows NT$\"\r\n[SourceDisksNames]\r\n"
                  "1 = \"Windows XP Professional CD\",\\WIN51,,\\i386\r\n\x1a");
        form.workFolder = dir / "work";
        fields.mode = AnswerFileFields::Mode::Write;
        fields.fullName = "Taro Yamada";
    }

    bool next() {
        settings.setAnswerFile(fields);
        return checks.OnOK(form);
    }

    TempDir dir;
    BuildSettings settings;
    FakeDriveSource drives;
    ScriptedMessages messages;
    SettingsChecks checks{settings, drives, messages, buildTreeTools(dir.path())};
    TreeForm form;
    AnswerFileFields fields;
};

TEST_F(AnswerFileSettingsCheckTest,
       next_refuses_before_the_work_folder_is_taken_and_shows_warnings) {
    // A field that breaks its rule: one message, and the page stays.
    fields.computerName = "two words";
    EXPECT_FALSE(next());
    ASSERT_THAT(
        messages.texts(),
        ElementsAre(HasSubstr("無人インストールのコンピュータ名（ComputerName）は使えません。\n"
                              "15 文字までの英字")));
    EXPECT_EQ(messages.shown[0].style,
              (MessageStyle{MessageButtons::Ok, MessageIcon::None, false}));
    EXPECT_EQ(settings.GetWorkFolder(), "");

    // The user's file as another project wrote it: a placeholder key.
    messages.shown.clear();
    fields.mode = AnswerFileFields::Mode::UserFile;
    fields.userFile = dir.write("mine.sif", "[UserData]\nFullName = \"A\"\nProductKey = CDKEY\n");
    EXPECT_FALSE(next());
    EXPECT_THAT(
        messages.texts(),
        ElementsAre("無人インストールの応答ファイル " + fields.userFile +
                    " は使えません。\n[UserData] ProductKey = *****：5 文字ずつ 5 組の英数字を"
                    "ハイフンでつないだ形（XXXXX-XXXXX-XXXXX-XXXXX-XXXXX）にしてください。"));
    fields.userFile.clear();
    EXPECT_FALSE(next());

    // A key outside the alphabet of real keys is shown, and passes.
    messages.shown.clear();
    fields.mode = AnswerFileFields::Mode::Write;
    fields.computerName = "*";
    fields.productKey = "AAAAA-BBBBB-CCCCC-DDDDD-EEEEE";
    EXPECT_TRUE(next()) << testing::PrintToString(messages.texts());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_THAT(messages.shown[0].text, HasSubstr("本物のキーには使われない文字（AE）"));
    EXPECT_EQ(messages.shown[0].style,
              (MessageStyle{MessageButtons::Ok, MessageIcon::Information, false}));
    EXPECT_EQ(settings.getAnswerFile(), fields);
}

TEST(AnswerFileDialogState, the_dialogs_values_stand_for_the_fields_and_back) {
    AnswerFileFields fields;
    fields.mode = AnswerFileFields::Mode::UserFile;
    fields.userFile = "/x/WINNT.SIF";
    fields.fullName = "Taro";
    fields.organization = "Lab";
    fields.computerName = "PC";
    fields.adminPassword = "pw";
    fields.productKey = "BCDFG-HJKMP-QRTVW-XY234-6789B";
    fields.timeZone = 85;
    fields.language = AnswerFileFields::Language::English;
    fields.workgroup = "NET";
    fields.autoPartition = true;
    fields.acceptEula = true;
    const AnswerFileDialogState state = dialogStateOf(fields);
    EXPECT_EQ(timeZoneRows().at(std::size_t(state.timeZoneRow)),
              "(GMT) グリニッジ標準時：ダブリン、エジンバラ、リスボン、ロンドン");
    EXPECT_EQ(languageRows().at(std::size_t(state.languageRow)), "英語（米国）");
    EXPECT_EQ(fieldsOf(state), fields);

    // The lists: every zone of the table in its order, the two languages;
    // a zone the table lacks opens on Tokyo.
    EXPECT_EQ(timeZoneRows().size(), timeZones().size());
    EXPECT_THAT(languageRows(), ElementsAre("日本語", "英語（米国）"));
    fields.timeZone = 999;
    EXPECT_EQ(fieldsOf(dialogStateOf(fields)).timeZone, kTokyoTimeZone);

    EXPECT_TRUE(fieldsEnabled(AnswerFileFields::Mode::Write));
    EXPECT_FALSE(fieldsEnabled(AnswerFileFields::Mode::UserFile));
    EXPECT_TRUE(userFileEnabled(AnswerFileFields::Mode::UserFile));
    EXPECT_FALSE(userFileEnabled(AnswerFileFields::Mode::None));
}

} // namespace
} // namespace ornibe::test
