#include "answer/AnswerFileSummary.h"

#include "answer/AnswerFileCheck.h"
#include "answer/AnswerValueRules.h"
#include "answer/TimeZones.h"

#include <optional>

namespace ornibe {
namespace {

constexpr const char* kNotGiven = "指定なし";

std::string timeZoneText(int index) {
    const TimeZone* zone = findTimeZone(index);
    return std::to_string(index) + (zone ? " " + std::string(zone->display) : std::string());
}

std::string keyText(const std::string& key) {
    return key.empty() ? std::string("なし（セットアップが尋ねます）") : maskedProductKey(key);
}

std::vector<std::string> valueLines(const std::string& computerName, const std::string& language,
                                    const std::string& timeZone, bool password,
                                    const std::string& key) {
    return {"コンピュータ名：" + computerName, "言語：" + language, "タイム ゾーン：" + timeZone,
            std::string("パスワード：") + (password ? "設定あり" : "なし"),
            "プロダクト キー：" + keyText(key)};
}

// The first value of the key, when the file has it.
std::optional<std::string> valueOf(const InfFile& file, const char* section, const char* key) {
    std::optional<InfPosition> line = file.findFirstLine(section, key);
    return line ? file.stringField(*line, 1) : std::nullopt;
}

std::vector<std::string> userFileLines(const AnswerFileFields& fields, WindowsVersion version,
                                       InputSnapshots& inputs) {
    std::vector<std::string> lines = {"I386\\WINNT.SIF：" + fields.userFile +
                                      " をそのまま使います"};
    AnswerFileReading reading = readUserAnswerFile(fields.userFile, version, inputs);
    if (!reading.file.isOpen()) {
        return lines;
    }
    const InfFile& file = reading.file;
    std::string language = valueOf(file, "RegionalSettings", "Language").value_or(kNotGiven);
    if (language == "00000411") {
        language = languageName(AnswerFileFields::Language::Japanese);
    } else if (language == "00000409") {
        language = languageName(AnswerFileFields::Language::English);
    }
    std::string timeZone = kNotGiven;
    if (std::optional<std::string> index = valueOf(file, "GuiUnattended", "TimeZone")) {
        timeZone = timeZoneProblem(*index) ? *index : timeZoneText(std::stoi(*index));
    }
    const std::optional<std::string> password = valueOf(file, "GuiUnattended", "AdminPassword");
    std::optional<std::string> key = valueOf(file, "UserData", "ProductKey");
    if (!key) {
        key = valueOf(file, "UserData", "ProductID");
    }
    std::vector<std::string> values =
        valueLines(valueOf(file, "UserData", "ComputerName").value_or(kNotGiven), language,
                   timeZone, password && !password->empty() && *password != "*", key.value_or(""));
    lines.insert(lines.end(), values.begin(), values.end());
    return lines;
}

} // namespace

std::string languageName(AnswerFileFields::Language language) {
    return language == AnswerFileFields::Language::English ? "英語（米国）" : "日本語";
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
    std::vector<std::string> lines = {"I386\\WINNT.SIF：入力した内容から作ります"};
    std::vector<std::string> values =
        valueLines(fields.computerName, languageName(fields.language),
                   timeZoneText(fields.timeZone), !fields.adminPassword.empty(), fields.productKey);
    lines.insert(lines.end(), values.begin(), values.end());
    return lines;
}

} // namespace ornibe
