#include "answer/AnswerFileCheck.h"

#include "answer/AnswerValueRules.h"
#include "inf/InfLimits.h"
#include "inf/VersionCode.h"
#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <optional>

namespace ornibe {
namespace {

using Rule = std::function<std::optional<std::string>(std::string_view)>;

// One of the words, compared ignoring case as setup compares them.
Rule oneOf(std::initializer_list<std::string_view> words) {
    std::vector<std::string_view> allowed(words);
    return [allowed](std::string_view value) -> std::optional<std::string> {
        for (std::string_view word : allowed) {
            if (equalsSetupNoCase(value, word)) {
                return std::nullopt;
            }
        }
        std::string list;
        for (std::string_view word : allowed) {
            list += (list.empty() ? "" : "、") + std::string(word);
        }
        return "次のどれかにしてください：" + list;
    };
}

// A key that the checks know, with the rule its value keeps (none for a
// key that is only known), and whether Windows 2000's setup reads it.
struct KnownKey {
    std::string_view section;
    std::string_view key;
    Rule rule;
    bool windows2000 = true;
};

const std::vector<KnownKey>& knownKeys() {
    static const std::vector<KnownKey> keys = [] {
        const Rule yesNo = oneOf({"Yes", "No"});
        const Rule zeroOne = oneOf({"0", "1"});
        const Rule productKey = productKeyProblem;
        return std::vector<KnownKey>{
            {"Data", "MsDosInitiated", zeroOne},
            {"Data", "UnattendedInstall", yesNo},
            {"Data", "AutoPartition", zeroOne},
            {"Unattended", "UnattendMode",
             oneOf({"DefaultHide", "ProvideDefault", "ReadOnly", "GuiAttended", "FullUnattended"})},
            {"Unattended", "OemSkipEula", yesNo},
            {"Unattended", "TargetPath", {}},
            {"Unattended", "DriverSigningPolicy", oneOf({"Ignore", "Warn", "Block"})},
            {"Unattended", "NonDriverSigningPolicy", oneOf({"Ignore", "Warn", "Block"})},
            {"Unattended", "Repartition", yesNo},
            {"Unattended", "FileSystem", oneOf({"ConvertNTFS", "LeaveAlone"})},
            {"Unattended", "UnattendSwitch", yesNo, false},
            {"GuiUnattended", "AdminPassword", passwordProblem},
            {"GuiUnattended", "EncryptedAdminPassword", yesNo},
            {"GuiUnattended", "TimeZone", timeZoneProblem},
            {"GuiUnattended", "OEMSkipRegional", zeroOne},
            {"GuiUnattended", "OemSkipWelcome", zeroOne},
            {"GuiUnattended", "AutoLogon", yesNo},
            {"UserData", "FullName", {}},
            {"UserData", "OrgName", {}},
            {"UserData", "ComputerName",
             [](std::string_view v) { return netbiosNameProblem(v, true); }},
            {"UserData", "ProductKey", productKey, false},
            {"UserData", "ProductID", productKey},
            {"RegionalSettings", "Language", {}},
            {"RegionalSettings", "LanguageGroup", {}},
            {"RegionalSettings", "SystemLocale", {}},
            {"RegionalSettings", "UserLocale", {}},
            {"RegionalSettings", "InputLocale", {}},
            {"RegionalSettings", "UserLocale_DefaultUser", {}, false},
            {"RegionalSettings", "InputLocale_DefaultUser", {}, false},
            {"Identification", "JoinWorkgroup",
             [](std::string_view v) { return netbiosNameProblem(v, false); }},
            {"Networking", "InstallDefaultComponents", yesNo},
        };
    }();
    return keys;
}

// Sections whose every line passes: [GuiRunOnce] holds commands.
constexpr std::string_view kFreeSections[] = {"GuiRunOnce"};

bool isKnownSection(std::string_view name) {
    return std::ranges::any_of(
        knownKeys(), [&](const KnownKey& k) { return equalsSetupNoCase(k.section, name); });
}

bool isFreeSection(std::string_view name) {
    return std::ranges::any_of(kFreeSections,
                               [&](std::string_view s) { return equalsSetupNoCase(s, name); });
}

const KnownKey* findKnownKey(std::string_view section, std::string_view key) {
    for (const KnownKey& known : knownKeys()) {
        if (equalsSetupNoCase(known.section, section) && equalsSetupNoCase(known.key, key)) {
            return &known;
        }
    }
    return nullptr;
}

// LF line ends become CR LF; CR LF stays.
std::string withCrLf(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
            text += '\r';
        }
        text += bytes[i];
    }
    return text;
}

int lineOf(std::string_view bytes, std::size_t offset) {
    return 1 + static_cast<int>(
                   std::count(bytes.begin(), bytes.begin() + std::ptrdiff_t(offset), '\n'));
}

// A byte that text mode reads in no known way: a byte-order mark, a NUL
// (the parser reads it as a blank), or a byte over 0x7F.
std::optional<std::string> byteProblem(std::string_view bytes) {
    for (std::string_view mark : {std::string_view("\xEF\xBB\xBF"), std::string_view("\xFF\xFE"),
                                  std::string_view("\xFE\xFF")}) {
        if (bytes.starts_with(mark)) {
            return std::string("先頭にバイト順マーク（BOM）があります。"
                               "BOM のない ASCII のテキストとして保存してください。");
        }
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == 0) {
            return std::to_string(lineOf(bytes, i)) + " 行目に NUL（0x00）のバイトがあります。";
        }
        if (byte > 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", byte);
            return std::to_string(lineOf(bytes, i)) + " 行目に ASCII でない文字（" + hex +
                   "）があります。応答ファイルは ASCII の文字だけで書いてください。";
        }
    }
    return std::nullopt;
}

void addOnce(std::vector<std::string>& names, std::string name) {
    if (std::ranges::find(names, name) == names.end()) {
        names.push_back(std::move(name));
    }
}

// Holds the parsed file's known keys to their rules; the first refusal,
// in file order, wins.
Outcome checkValues(const InfFile& file, char versionCode, const std::string& refused,
                    const std::string& path, AnswerFileReading& reading) {
    const bool windows2000 = versionCode == VersionCode::Windows2000;
    bool fullName = false;
    for (const std::string& section : file.sectionNames()) {
        if (isFreeSection(section)) {
            continue;
        }
        if (!isKnownSection(section)) {
            addOnce(reading.unchecked, "[" + section + "]");
            continue;
        }
        for (auto line = file.findFirstLine(section); line; line = file.findNextLine(*line)) {
            std::optional<std::string> key = file.stringField(*line, 0);
            if (!key || file.fieldCount(*line) == 0) {
                continue;
            }
            const std::string named = "[" + section + "] " + *key;
            const KnownKey* known = findKnownKey(section, *key);
            if (known == nullptr) {
                addOnce(reading.unchecked, named);
                continue;
            }
            if (windows2000 && !known->windows2000) {
                if (equalsSetupNoCase(known->key, "ProductKey")) {
                    return Failure::refusal(refused, path,
                                            named +
                                                "：Windows 2000 のセットアップはこのキーを読まず、"
                                                "プロダクト キーを尋ねて止まります。ProductID "
                                                "と書いてください。");
                }
                addOnce(reading.unchecked, named);
                continue;
            }
            const std::string value = file.stringField(*line, 1).value_or("");
            if (known->rule) {
                if (std::optional<std::string> problem = known->rule(value)) {
                    return Failure::refusal(refused, path, named + " = " + value + "：" + *problem);
                }
            }
            if (equalsSetupNoCase(known->key, "FullName") && !value.empty()) {
                fullName = true;
            }
            const bool isKey = equalsSetupNoCase(known->key, "ProductKey") ||
                               equalsSetupNoCase(known->key, "ProductID");
            if (std::optional<std::string> warning =
                    isKey ? productKeyWarning(value) : std::nullopt) {
                reading.check.warnings.push_back(*warning);
            }
        }
    }
    if (!fullName) {
        return Failure::refusal(refused, path,
                                "[UserData] に FullName（使用者の名前）がありません。"
                                "名前がないと、セットアップが途中で止まって尋ねます。");
    }
    return {};
}

} // namespace

AnswerFileReading readAnswerFile(const std::string& path, char versionCode) {
    const std::string refused = "無人インストールの応答ファイル " + path + " は使えません。";
    std::uint64_t size = 0;
    std::optional<std::string> bytes;
    try {
        bytes = readFileAtMost(path, kInfMaxFileBytes, &size);
    } catch (const FileError& error) {
        AnswerFileReading reading;
        reading.check.outcome =
            Failure::refusal(refused, path, "読み込めません（" + error.reason() + "）。");
        return reading;
    }
    if (!bytes) {
        AnswerFileReading reading;
        reading.check.outcome = Failure::refusal(refused, path, infFileTooLarge(size).reason);
        return reading;
    }
    return checkAnswerFileBytes(std::move(*bytes), path, versionCode);
}

AnswerFileReading checkAnswerFileBytes(std::string bytes, const std::string& path,
                                       char versionCode) {
    const std::string refused = "無人インストールの応答ファイル " + path + " は使えません。";
    AnswerFileReading reading;
    if (std::optional<std::string> problem = byteProblem(bytes)) {
        reading.check.outcome = Failure::refusal(refused, path, *problem);
        return reading;
    }
    reading.bytes = withCrLf(bytes);
    Result<InfFile, InfProblem> parsed = InfFile::readBytes(reading.bytes, InfStyle::AnswerFile);
    if (!parsed) {
        reading.check.outcome = Failure::refusal(refused, path, parsed.failure().text());
        return reading;
    }
    reading.file = *std::move(parsed);
    reading.check.outcome = checkValues(reading.file, versionCode, refused, path, reading);
    return reading;
}

} // namespace ornibe
