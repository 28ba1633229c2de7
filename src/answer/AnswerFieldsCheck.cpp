#include "answer/AnswerFieldsCheck.h"

#include "answer/AnswerValueRules.h"
#include "answer/TimeZones.h"
#include "inf/WindowsTarget.h"
#include "sys/Translation.h"

#include <functional>
#include <optional>

namespace ornibe {
namespace {

using Rule = std::function<std::optional<std::string>(std::string_view)>;

// A text field of the dialog: its label, the key it is written to, its
// value and the rules it keeps beside the common ones.
struct TextField {
    std::string_view label;
    const char* key;
    const std::string& value;
    bool required;
    std::vector<Rule> rules;
};

std::optional<std::string> percentProblem(std::string_view value) {
    if (value.find('%') != std::string_view::npos) {
        return translated("% は使えません。セットアップは %…% を文字列の名前として置き換えます。");
    }
    return std::nullopt;
}

Failure refusal(std::string_view label, std::string_view key, std::string reason) {
    return Failure::refusal(
        translated("無人インストールの%1（%2）は使えません。", {translated(label), key}), {},
        std::move(reason));
}

} // namespace

AnswerCheck checkAnswerFields(const AnswerFileFields& fields, WindowsVersion version) {
    AnswerCheck check;
    if (version == WindowsVersion::Unknown) {
        check.outcome =
            Failure::refusal(translated("無人インストールの応答ファイルを作れません。"), {},
                             translated("TXTSETUP.SIF から Windows のバージョン（2000、XP、Server "
                                        "2003）が分からないので、書くキーを決められません。"));
        return check;
    }
    const char* keyName = version == WindowsVersion::Windows2000 ? "ProductID" : "ProductKey";
    const std::vector<TextField> texts = {
        {toTranslate("フルネーム"), "FullName", fields.fullName, true, {}},
        {toTranslate("組織名"), "OrgName", fields.organization, false, {}},
        {toTranslate("コンピュータ名"),
         "ComputerName",
         fields.computerName,
         true,
         {[](std::string_view v) { return netbiosNameProblem(v, true); }}},
        {toTranslate("Administrator のパスワード"),
         "AdminPassword",
         fields.adminPassword,
         false,
         {passwordProblem,
          [](std::string_view v) -> std::optional<std::string> {
              if (v == "*") {
                  return translated("「*」だけではパスワードなしの意味になります。"
                                    "パスワードなしにするには空けておいてください。");
              }
              return std::nullopt;
          }}},
        {toTranslate("プロダクト キー"), keyName, fields.productKey, false, {productKeyProblem}},
        {toTranslate("ワークグループ"),
         "JoinWorkgroup",
         fields.workgroup,
         true,
         {[](std::string_view v) { return netbiosNameProblem(v, false); }}},
    };
    for (const TextField& field : texts) {
        if (field.value.empty()) {
            if (field.required) {
                check.outcome = refusal(field.label, field.key,
                                        translated("入力してください。空のままだと、"
                                                   "セットアップが途中で止まって尋ねます。"));
                return check;
            }
            continue;
        }
        std::vector<Rule> rules = {plainTextProblem, percentProblem};
        rules.insert(rules.end(), field.rules.begin(), field.rules.end());
        for (const Rule& rule : rules) {
            if (std::optional<std::string> problem = rule(field.value)) {
                check.outcome = refusal(field.label, field.key, *problem);
                return check;
            }
        }
    }
    if (findTimeZone(fields.timeZone) == nullptr) {
        check.outcome = refusal(toTranslate("タイム ゾーン"), "TimeZone",
                                *timeZoneProblem(std::to_string(fields.timeZone)));
        return check;
    }
    if (!fields.productKey.empty()) {
        if (std::optional<std::string> warning = productKeyWarning(fields.productKey)) {
            check.warnings.push_back(*warning);
        }
    }
    return check;
}

} // namespace ornibe
