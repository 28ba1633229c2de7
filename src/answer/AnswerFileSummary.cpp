#include "answer/AnswerFileSummary.h"

#include "answer/AnswerFileCheck.h"
#include "answer/AnswerValueRules.h"
#include "answer/TimeZones.h"
#include "sys/Translation.h"

#include <optional>

namespace ornibe {
namespace {

constexpr std::string_view kNotGiven = toTranslate("指定なし");

std::string timeZoneText(int index) {
    const TimeZone* zone = findTimeZone(index);
    return std::to_string(index) + (zone ? " " + translated(zone->display) : std::string());
}

std::string keyText(const std::string& key) {
    return key.empty() ? translated("なし（セットアップが尋ねます）") : maskedProductKey(key);
}

std::vector<std::string> valueLines(const std::string& computerName, const std::string& language,
                                    const std::string& timeZone, bool password,
                                    const std::string& key) {
    return {translated("コンピュータ名：%1", {computerName}), translated("言語：%1", {language}),
            translated("タイム ゾーン：%1", {timeZone}),
            translated("パスワード：%1", {password ? translated("設定あり") : translated("なし")}),
            translated("プロダクト キー：%1", {keyText(key)})};
}

// The first value of the key, when the file has it.
std::optional<std::string> valueOf(const InfFile& file, const char* section, const char* key) {
    std::optional<InfPosition> line = file.findFirstLine(section, key);
    return line ? file.stringField(*line, 1) : std::nullopt;
}

std::vector<std::string> userFileLines(const AnswerFileFields& fields, WindowsVersion version,
                                       InputSnapshots& inputs) {
    std::vector<std::string> lines = {
        translated("I386\\WINNT.SIF：%1 をそのまま使います", {fields.userFile})};
    AnswerFileReading reading = readUserAnswerFile(fields.userFile, version, inputs);
    if (!reading.file.isOpen()) {
        return lines;
    }
    const InfFile& file = reading.file;
    std::string language =
        valueOf(file, "RegionalSettings", "Language").value_or(translated(kNotGiven));
    if (language == "00000411") {
        language = languageName(AnswerFileFields::Language::Japanese);
    } else if (language == "00000409") {
        language = languageName(AnswerFileFields::Language::English);
    }
    std::string timeZone = translated(kNotGiven);
    if (std::optional<std::string> index = valueOf(file, "GuiUnattended", "TimeZone")) {
        timeZone = timeZoneProblem(*index) ? *index : timeZoneText(std::stoi(*index));
    }
    const std::optional<std::string> password = valueOf(file, "GuiUnattended", "AdminPassword");
    std::optional<std::string> key = valueOf(file, "UserData", "ProductKey");
    if (!key) {
        key = valueOf(file, "UserData", "ProductID");
    }
    std::vector<std::string> values = valueLines(
        valueOf(file, "UserData", "ComputerName").value_or(translated(kNotGiven)), language,
        timeZone, password && !password->empty() && *password != "*", key.value_or(""));
    lines.insert(lines.end(), values.begin(), values.end());
    return lines;
}

} // namespace

std::string languageName(AnswerFileFields::Language language) {
    return language == AnswerFileFields::Language::English ? translated("英語（米国）")
                                                           : translated("日本語");
}

std::vector<std::string> answerFileSummary(const AnswerFileFields& fields, WindowsVersion version,
                                           InputSnapshots& inputs) {
    switch (fields.mode) {
    case AnswerFileFields::Mode::None:
        return {};
    case AnswerFileFields::Mode::UserFile:
        return userFileLines(fields, version, inputs);
    case AnswerFileFields::Mode::Write:
        break;
    }
    std::vector<std::string> lines = {translated("I386\\WINNT.SIF：入力した内容から作ります")};
    std::vector<std::string> values =
        valueLines(fields.computerName, languageName(fields.language),
                   timeZoneText(fields.timeZone), !fields.adminPassword.empty(), fields.productKey);
    lines.insert(lines.end(), values.begin(), values.end());
    return lines;
}

} // namespace ornibe
