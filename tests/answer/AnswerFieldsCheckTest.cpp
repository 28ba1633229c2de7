#include "answer/AnswerFieldsCheck.h"
#include "answer/TimeZones.h"
#include "inf/WindowsTarget.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;

AnswerFileFields validFields() {
    AnswerFileFields fields;
    fields.mode = AnswerFileFields::Mode::Write;
    fields.fullName = "Taro Yamada";
    return fields;
}

// The message box's text as the settings page shows a refusal.
std::string shown(const AnswerCheck& check) {
    return check.outcome ? std::string("(passed)")
                         : check.outcome.failure().headline + "\n" + check.outcome.failure().reason;
}

TEST(AnswerFieldsCheck, refuses_each_broken_rule_naming_the_field_and_the_rule) {
    struct Case {
        const char* broken;
        std::function<void(AnswerFileFields&)> change;
        WindowsVersion version;
        std::string message;
    };
    const WindowsVersion xp = WindowsVersion::WindowsXp;
    const std::vector<Case> cases = {
        {"unknown version", [](AnswerFileFields&) {}, WindowsVersion::Unknown,
         "応答ファイルを作れません。\nTXTSETUP.SIF から Windows のバージョン"},
        {"no full name", [](AnswerFileFields& f) { f.fullName.clear(); }, xp,
         "フルネーム（FullName）は使えません。\n入力してください。"},
        {"not ASCII", [](AnswerFileFields& f) { f.fullName = "山田太郎"; }, xp,
         "フルネーム（FullName）は使えません。\nASCII の文字"},
        {"a control character", [](AnswerFileFields& f) { f.organization = "Lab\r\nX"; }, xp,
         "組織名（OrgName）は使えません。\nASCII の文字"},
        {"a double quote", [](AnswerFileFields& f) { f.organization = "The \"Lab\""; }, xp,
         "組織名（OrgName）は使えません。\n\" は使えません。"},
        {"a percent sign", [](AnswerFileFields& f) { f.adminPassword = "100%sure"; }, xp,
         "パスワード（AdminPassword）は使えません。\n% は使えません。"},
        {"a long computer name", [](AnswerFileFields& f) { f.computerName = "WORKSTATION-0001"; },
         xp, "コンピュータ名（ComputerName）は使えません。\n15 文字まで"},
        {"a computer name of digits", [](AnswerFileFields& f) { f.computerName = "2003"; }, xp,
         "コンピュータ名（ComputerName）は使えません。\n15 文字まで"},
        {"a computer name with a dot", [](AnswerFileFields& f) { f.computerName = "pc.lab"; }, xp,
         "コンピュータ名（ComputerName）は使えません。\n15 文字まで"},
        {"a long password", [](AnswerFileFields& f) { f.adminPassword = std::string(128, 'p'); },
         xp, "パスワード（AdminPassword）は使えません。\n127 文字までにしてください（128 文字"},
        {"the password *", [](AnswerFileFields& f) { f.adminPassword = "*"; }, xp,
         "パスワード（AdminPassword）は使えません。\n「*」だけでは"},
        {"a key of four groups",
         [](AnswerFileFields& f) { f.productKey = "BCDFG-HJKMP-QRTVW-XY234"; }, xp,
         "プロダクト キー（ProductKey）は使えません。\n5 文字ずつ 5 組"},
        {"a key on 2000",
         [](AnswerFileFields& f) { f.productKey = "BCDFG_HJKMP_QRTVW_XY234_6789B"; },
         WindowsVersion::Windows2000,
         "プロダクト キー（ProductID）は使えません。\n5 文字ずつ 5 組"},
        {"the workgroup *", [](AnswerFileFields& f) { f.workgroup = "*"; }, xp,
         "ワークグループ（JoinWorkgroup）は使えません。\n15 文字まで"},
        {"no workgroup", [](AnswerFileFields& f) { f.workgroup.clear(); }, xp,
         "ワークグループ（JoinWorkgroup）は使えません。\n入力してください。"},
        {"an unknown time zone", [](AnswerFileFields& f) { f.timeZone = 236; }, xp,
         "タイム ゾーン（TimeZone）は使えません。\n「236」は Microsoft のタイム ゾーン番号"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.broken);
        AnswerFileFields fields = validFields();
        c.change(fields);
        AnswerCheck check = checkAnswerFields(fields, c.version);
        EXPECT_THAT(shown(check), HasSubstr(c.message));
    }
}

TEST(AnswerFieldsCheck, passes_the_rules_edges_and_only_warns_of_a_key_outside_the_real_alphabet) {
    AnswerFileFields fields = validFields();
    fields.computerName = "A23456789012345";
    fields.workgroup = "LAB-1";
    fields.adminPassword = std::string(127, 'p');
    fields.organization = "Ornibe Lab; Tokyo";
    fields.productKey = "BCDFG-HJKMP-QRTVW-XY234-6789B";
    for (WindowsVersion version :
         {WindowsVersion::Windows2000, WindowsVersion::WindowsXp, WindowsVersion::Server2003}) {
        AnswerCheck check = checkAnswerFields(fields, version);
        EXPECT_TRUE(check.outcome) << shown(check);
        EXPECT_TRUE(check.warnings.empty());
    }
    // Every index of the table passes, and Tokyo is 235.
    for (const TimeZone& zone : timeZones()) {
        fields.timeZone = zone.index;
        EXPECT_TRUE(checkAnswerFields(fields, WindowsVersion::WindowsXp).outcome) << zone.index;
    }
    EXPECT_EQ(findTimeZone(kTokyoTimeZone)->name, "Tokyo Standard Time");

    // A, E, I, O, U, L, N, S, Z, 0, 1, 5 appear in no real key.
    fields.productKey = "abcde-HJKMP-QRTVW-XY234-6789L";
    AnswerCheck check = checkAnswerFields(fields, WindowsVersion::WindowsXp);
    EXPECT_TRUE(check.outcome) << shown(check);
    ASSERT_EQ(check.warnings.size(), 1u);
    EXPECT_THAT(check.warnings[0], HasSubstr("本物のキーには使われない文字（AEL）"));
}

} // namespace
} // namespace ornibe::test
