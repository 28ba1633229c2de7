#include "answer/AnswerFileWriter.h"
#include "answer/AnswerFileSummary.h"
#include "inf/InfFile.h"
#include "inf/WindowsTarget.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ornibe::test {
namespace {

using ::testing::ElementsAre;

const std::string kData = ORNIBE_TEST_DATA;

// Every field given, drivers integrated: every optional line is written.
AnswerFileFields everyField() {
    AnswerFileFields fields;
    fields.mode = AnswerFileFields::Mode::Write;
    fields.fullName = "Taro Yamada";
    fields.organization = "Ornibe Lab";
    fields.computerName = "LAB-PC01";
    fields.adminPassword = "S3cret pass";
    fields.productKey = "BCDFG-HJKMP-QRTVW-XY234-6789B";
    fields.workgroup = "LABNET";
    fields.autoPartition = true;
    fields.acceptEula = true;
    return fields;
}

TEST(AnswerFileWriter, writes_for_each_version_the_expected_bytes_that_the_parser_reads_back) {
    const struct {
        WindowsVersion version;
        const char* expected;
    } versions[] = {{WindowsVersion::Windows2000, "winnt-2000.sif"},
                    {WindowsVersion::WindowsXp, "winnt-xp.sif"},
                    {WindowsVersion::Server2003, "winnt-2003.sif"}};
    for (const auto& [version, expected] : versions) {
        SCOPED_TRACE(expected);
        const std::vector<AnswerEntry> entries = answerFileEntries(everyField(), version, true);
        const std::string text = answerFileText(entries);
        EXPECT_EQ(visibleBytes(text), visibleBytes(slurp(kData + "/" + expected)));
        // The same entries give the same bytes: a rerun writes them again.
        EXPECT_EQ(answerFileText(answerFileEntries(everyField(), version, true)), text);

        // As text-mode setup reads it: no [Version] section, every entry
        // in its place with its value, quotes removed.
        auto parsed = InfFile::readBytes(text, InfStyle::AnswerFile);
        ASSERT_TRUE(parsed) << parsed.failure().text();
        const InfFile& file = *parsed;
        for (const AnswerEntry& entry : entries) {
            auto line = file.findFirstLine(entry.section, entry.key);
            ASSERT_TRUE(line) << entry.key;
            EXPECT_EQ(file.stringField(*line, 1), entry.value) << entry.key;
        }
    }

    // Only the defaults: no password ("*"), no key, no organization, no
    // disk or licence taken, no drivers to sign for.
    AnswerFileFields fields;
    fields.mode = AnswerFileFields::Mode::Write;
    fields.fullName = "Taro Yamada";
    fields.language = AnswerFileFields::Language::English;
    std::vector<std::string> lines;
    for (const AnswerEntry& entry : answerFileEntries(fields, WindowsVersion::WindowsXp, false)) {
        lines.push_back(entry.section + " " + entry.key + "=" + entry.value);
    }
    EXPECT_THAT(
        lines,
        ElementsAre(
            "Data MsDosInitiated=0", "Data UnattendedInstall=Yes",
            "Unattended UnattendMode=FullUnattended", "Unattended TargetPath=\\WINDOWS",
            "Unattended UnattendSwitch=Yes", "GuiUnattended AdminPassword=*",
            "GuiUnattended EncryptedAdminPassword=No", "GuiUnattended TimeZone=235",
            "GuiUnattended OEMSkipRegional=1", "GuiUnattended OemSkipWelcome=1",
            "UserData FullName=Taro Yamada", "UserData ComputerName=*",
            "RegionalSettings Language=00000409", "RegionalSettings LanguageGroup=1",
            "RegionalSettings SystemLocale=00000409", "RegionalSettings UserLocale=00000409",
            "RegionalSettings UserLocale_DefaultUser=00000409",
            "RegionalSettings InputLocale=0409:00000409",
            "RegionalSettings InputLocale_DefaultUser=0409:00000409",
            "Identification JoinWorkgroup=WORKGROUP", "Networking InstallDefaultComponents=Yes"));
}

TEST(AnswerFileWriter, summary_names_the_file_and_hides_the_password_and_all_but_the_keys_end) {
    InputSnapshots inputs;
    AnswerFileFields fields = everyField();
    const std::vector<std::string> lines =
        answerFileSummary(fields, WindowsVersion::WindowsXp, inputs);
    EXPECT_THAT(lines,
                ElementsAre("I386\\WINNT.SIF：入力した内容から作ります", "コンピュータ名：LAB-PC01",
                            "言語：日本語", "タイム ゾーン：235 (GMT+09:00) 大阪、札幌、東京",
                            "パスワード：設定あり",
                            "プロダクト キー：*****-*****-*****-*****-6789B"));
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("S3cret"), std::string::npos);
        EXPECT_EQ(line.find("BCDFG"), std::string::npos);
    }

    fields.adminPassword.clear();
    fields.productKey.clear();
    EXPECT_THAT(answerFileSummary(fields, WindowsVersion::WindowsXp, inputs),
                ::testing::IsSupersetOf(
                    {"パスワード：なし", "プロダクト キー：なし（セットアップが尋ねます）"}));

    // The user's file is read for its lines.
    TempDir dir;
    fields.mode = AnswerFileFields::Mode::UserFile;
    fields.userFile =
        dir.write("mine.sif", "[GuiUnattended]\nAdminPassword = \"pw\"\nTimeZone = 85\n"
                              "[UserData]\nFullName = \"A\"\nComputerName = BOX\n"
                              "ProductKey = \"BCDFG-HJKMP-QRTVW-XY234-6789C\"\n"
                              "[RegionalSettings]\nLanguage = 00000409\n");
    EXPECT_THAT(answerFileSummary(fields, WindowsVersion::WindowsXp, inputs),
                ElementsAre("I386\\WINNT.SIF：" + fields.userFile + " をそのまま使います",
                            "コンピュータ名：BOX", "言語：英語（米国）",
                            "タイム ゾーン：85 (GMT) グリニッジ標準時：ダブリン、エジンバラ、"
                            "リスボン、ロンドン",
                            "パスワード：設定あり",
                            "プロダクト キー：*****-*****-*****-*****-6789C"));

    fields.mode = AnswerFileFields::Mode::None;
    EXPECT_TRUE(answerFileSummary(fields, WindowsVersion::WindowsXp, inputs).empty());
}

} // namespace
} // namespace ornibe::test
