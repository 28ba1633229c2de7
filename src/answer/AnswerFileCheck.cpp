#include "answer/AnswerFileCheck.h"

#include "answer/AnswerValueRules.h"
#include "inf/InfLimits.h"
#include "inf/WindowsTarget.h"
#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/Translation.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <optional>
#include <set>

namespace ornibe {
namespace {

using Rule = std::function<std::optional<std::string>(std::string_view)>;

// What a broken rule means: setup stops on the value (a refusal), or the
// documentation lists other values while working files use this one, and
// setup then asks or goes its own way (a note).
enum class Weight { Refusal, Note };

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
            list += (list.empty() ? "" : translated("、")) + std::string(word);
        }
        return translated("説明書にある値は %1 です", {list});
    };
}

// A key that the checks know, with the rule its value keeps (none for a
// key that is only known), and whether Windows 2000's setup reads it.
struct KnownKey {
    std::string_view section;
    std::string_view key;
    Rule rule;
    bool windows2000 = true;
    Weight weight = Weight::Note;
};

const std::vector<KnownKey>& knownKeys() {
    static const std::vector<KnownKey> keys = [] {
        const Rule yesNo = oneOf({"Yes", "No"});
        const Rule zeroOne = oneOf({"0", "1"});
        // An empty key is what working files hold when setup is to ask.
        const Rule productKey = [](std::string_view v) -> std::optional<std::string> {
            return v.empty() ? std::nullopt : productKeyProblem(v);
        };
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
            {"GuiUnattended", "AdminPassword", passwordProblem, true, Weight::Refusal},
            {"GuiUnattended", "EncryptedAdminPassword", yesNo},
            {"GuiUnattended", "TimeZone", timeZoneProblem},
            {"GuiUnattended", "OEMSkipRegional", zeroOne},
            {"GuiUnattended", "OemSkipWelcome", zeroOne},
            {"GuiUnattended", "AutoLogon", yesNo},
            {"UserData", "FullName", {}},
            {"UserData", "OrgName", {}},
            {"UserData", "ComputerName",
             [](std::string_view v) { return netbiosNameProblem(v, true); }},
            {"UserData", "ProductKey", productKey, false, Weight::Refusal},
            {"UserData", "ProductID", productKey, true, Weight::Refusal},
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

// A byte that text mode reads in no known way: a byte-order mark, a NUL
// (the parser reads it as a blank), or a byte over 0x7F outside a comment.
// Setup skips a comment whatever it holds, so a comment's bytes pass: a
// ';' outside quotes starts one and the line's end closes it.
std::optional<std::string> byteProblem(std::string_view bytes) {
    for (std::string_view mark : {std::string_view("\xEF\xBB\xBF"), std::string_view("\xFF\xFE"),
                                  std::string_view("\xFE\xFF")}) {
        if (bytes.starts_with(mark)) {
            return std::string(translated("先頭にバイト順マーク（BOM）があります。"
                                          "BOM のない ASCII のテキストとして保存してください。"));
        }
    }
    int line = 1;
    bool quoted = false;
    bool comment = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte == '\n') {
            ++line;
            quoted = false;
            comment = false;
        } else if (byte == 0) {
            return translated("%1 行目に NUL（0x00）のバイトがあります。", {std::to_string(line)});
        } else if (comment) {
            continue;
        } else if (byte == '"') {
            quoted = !quoted;
        } else if (byte == ';' && !quoted) {
            comment = true;
        } else if (byte > 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "0x%02X", byte);
            return translated(
                "%1 行目に ASCII でない文字（%2）があります。応答ファイルの値は ASCII "
                "の文字だけで書いてください（注釈の「;」より後は何でもかまいません）。",
                {std::to_string(line), hex});
        }
    }
    return std::nullopt;
}

// The names in the order they came, each once; the set keeps adding
// linear in the file's size.
struct NameList {
    std::vector<std::string>& names;
    std::set<std::string> seen;

    void add(std::string name) {
        if (seen.insert(name).second) {
            names.push_back(std::move(name));
        }
    }
};

// The notes to show, each once and at most kMaxNotes of them, so that a
// file of a million odd lines gives a few lines of notes, not a million.
constexpr std::size_t kMaxNotes = 10;

struct NoteList {
    std::vector<std::string>& notes;
    std::set<std::string> seen;
    std::size_t more = 0;

    void add(std::string note) {
        if (seen.size() >= kMaxNotes) {
            more += seen.contains(note) ? 0 : 1;
            return;
        }
        if (seen.insert(note).second) {
            notes.push_back(std::move(note));
        }
    }
    void close() {
        if (more != 0) {
            notes.push_back(
                translated("注意：ほかに %1 件の注意があります。", {std::to_string(more)}));
        }
    }
};

bool isKeyName(std::string_view key, std::string_view name) {
    return equalsSetupNoCase(key, name);
}

bool isProductKey(const KnownKey& known) {
    return isKeyName(known.key, "ProductKey") || isKeyName(known.key, "ProductID");
}

// How a value is shown in a message: the password never, a product key
// masked as the summary masks it, anything else as it is.
std::string shownKeyValue(const KnownKey& known, const std::string& named,
                          const std::string& value) {
    if (isKeyName(known.key, "AdminPassword")) {
        return named;
    }
    return named + " = " + (isProductKey(known) ? maskedProductKey(value) : value);
}

bool isPlaceholderChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// A name left where a tool that fills in a template puts the real value:
// "@PRODUCTKEY@" in any field, and in a product key (which never holds an
// underscore) a name such as "BOXES_PRODUCT_KEY" or "KVM_TEST_CDKEY".
bool isPlaceholder(const KnownKey& known, std::string_view value) {
    for (std::size_t at = value.find('@'); at != std::string_view::npos;) {
        const std::size_t end = value.find('@', at + 1);
        if (end == std::string_view::npos) {
            break;
        }
        const std::string_view inside = value.substr(at + 1, end - at - 1);
        if (!inside.empty() && std::ranges::all_of(inside, isPlaceholderChar)) {
            return true;
        }
        at = end;
    }
    return isProductKey(known) && value.find('_') != std::string_view::npos &&
           std::ranges::all_of(value, isPlaceholderChar);
}

// The option of ornibe-build or the field of the wizard that writes the
// key's value instead, for a refusal to name.
std::string placeholderAdvice(const KnownKey& known) {
    if (isProductKey(known)) {
        return translated(
            "本物のプロダクト キーに書き換えるか、空にしてください（空ならセットアップが"
            "尋ねます）。ファイルを書かずに --unattended と --product-key（ウィザードでは"
            "応答ファイルの設定のプロダクト キー）で作ることもできます。");
    }
    return translated("本物の値に書き換えてください。");
}

// Holds the parsed file's known keys to their rules; the first refusal,
// in file order, wins. A value that breaks a rule of Weight::Note and
// what setup asks for itself become notes.
Outcome checkValues(const InfFile& file, WindowsVersion version, const std::string& refused,
                    const std::string& path, AnswerFileReading& reading) {
    const bool windows2000 = version == WindowsVersion::Windows2000;
    bool fullName = false;
    NameList unchecked{reading.unchecked, {}};
    NoteList notes{reading.check.warnings, {}, 0};
    for (const std::string& section : file.sectionNames()) {
        if (isFreeSection(section)) {
            continue;
        }
        if (!isKnownSection(section)) {
            unchecked.add("[" + section + "]");
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
                unchecked.add(named);
                continue;
            }
            const std::string value = file.stringField(*line, 1).value_or("");
            if (isPlaceholder(*known, value)) {
                return Failure::refusal(
                    refused, path,
                    translated("%1：ひな形の名前が値のまま残っています。%2",
                               {shownKeyValue(*known, named, value), placeholderAdvice(*known)}));
            }
            if (windows2000 && !known->windows2000) {
                if (isKeyName(known->key, "ProductKey")) {
                    notes.add(translated(
                        "注意：%1：Windows 2000 のセットアップはこのキーを読まず（読むのは "
                        "ProductID です）、プロダクト キーを尋ねます。",
                        {named}));
                }
                unchecked.add(named);
                continue;
            }
            if (known->rule) {
                if (std::optional<std::string> problem = known->rule(value)) {
                    const std::string text =
                        translated("%1：%2", {shownKeyValue(*known, named, value), *problem});
                    if (known->weight == Weight::Refusal) {
                        return Failure::refusal(refused, path, text);
                    }
                    // The problem ends its sentence, or the note ends it.
                    notes.add(text.ends_with(translated("。"))
                                  ? translated("注意：%1このファイルのまま使います。", {text})
                                  : translated("注意：%1。このファイルのまま使います。", {text}));
                }
            }
            if (isKeyName(known->key, "FullName") && !value.empty()) {
                fullName = true;
            }
            if (isProductKey(*known) && !value.empty()) {
                if (std::optional<std::string> warning = productKeyWarning(value)) {
                    notes.add(*warning);
                }
            }
        }
    }
    if (!fullName) {
        notes.add(translated("注意：[UserData] に FullName（使用者の名前）がありません。"
                             "セットアップが途中で止まって尋ねます。"));
    }
    notes.close();
    return {};
}

using ReadAtMost =
    std::function<std::optional<std::string>(const std::string&, std::uint64_t, std::uint64_t*)>;

AnswerFileReading readAnswerFileWith(const std::string& path, WindowsVersion version,
                                     const ReadAtMost& read) {
    const std::string refused =
        translated("無人インストールの応答ファイル %1 は使えません。", {path});
    std::uint64_t size = 0;
    std::optional<std::string> bytes;
    try {
        bytes = read(path, kInfMaxFileBytes, &size);
    } catch (const FileError& error) {
        AnswerFileReading reading;
        reading.check.outcome =
            Failure::refusal(refused, path, translated("読み込めません（%1）。", {error.reason()}));
        return reading;
    }
    if (!bytes) {
        AnswerFileReading reading;
        reading.check.outcome = Failure::refusal(refused, path, infFileTooLarge(size).reason);
        return reading;
    }
    return checkAnswerFileBytes(std::move(*bytes), path, version);
}

} // namespace

AnswerFileReading readAnswerFile(const std::string& path, WindowsVersion version) {
    return readAnswerFileWith(path, version, readFileAtMost);
}

AnswerFileReading readUserAnswerFile(const std::string& path, WindowsVersion version,
                                     InputSnapshots& inputs) {
    return readAnswerFileWith(
        path, version,
        [&inputs](const std::string& file, std::uint64_t maxBytes, std::uint64_t* size) {
            return inputs.read(file, maxBytes, size);
        });
}

AnswerFileReading checkAnswerFileBytes(std::string bytes, const std::string& path,
                                       WindowsVersion version) {
    const std::string refused =
        translated("無人インストールの応答ファイル %1 は使えません。", {path});
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
    reading.check.outcome = checkValues(reading.file, version, refused, path, reading);
    return reading;
}

} // namespace ornibe
