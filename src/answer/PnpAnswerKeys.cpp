#include "answer/PnpAnswerKeys.h"

#include "sys/CaseFold.h"
#include "sys/Translation.h"
#include "sys/Trimmed.h"

#include <optional>

namespace ornibe {
namespace {

constexpr std::string_view kSection = "Unattended";
constexpr std::string_view kPreinstall = "OemPreinstall";
constexpr std::string_view kPath = "OemPnPDriversPath";

std::string_view unquoted(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

// The section a line opens ("[Name]" with blanks around), or nothing.
std::optional<std::string_view> sectionOf(std::string_view line) {
    std::string_view text = trimmed(line);
    if (text.size() < 2 || text.front() != '[') {
        return std::nullopt;
    }
    std::size_t close = text.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return trimmed(text.substr(1, close - 1));
}

struct KeyLine {
    std::string_view key;
    std::string_view value;
};

// The key and the value of a "key = value" line; nothing for a comment, a
// blank line or a line without "=".
std::optional<KeyLine> keyLineOf(std::string_view line) {
    std::string_view text = trimmed(line);
    if (text.empty() || text.front() == ';') {
        return std::nullopt;
    }
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view value = trimmed(text.substr(equals + 1));
    if (std::size_t comment = value.find(';');
        comment != std::string_view::npos && (value.empty() || value.front() != '"')) {
        value = trimmed(value.substr(0, comment));
    }
    return KeyLine{unquoted(trimmed(text.substr(0, equals))), unquoted(value)};
}

// Whether the line ends in a backslash that joins the next line to it: the
// last thing on it but blanks, outside quotes and before a comment.
bool joinsNextLine(std::string_view line) {
    bool quoted = false;
    std::size_t end = line.size();
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') {
            quoted = !quoted;
        } else if (line[i] == ';' && !quoted) {
            end = i;
            break;
        }
    }
    return trimmed(line.substr(0, end)).ends_with('\\');
}

// Every line of the file as the parser reads it, section by section,
// without the two keys the merge sets: key and fields joined by a byte no
// field holds.
std::vector<std::string> linesBesidesPnpKeys(const InfFile& file) {
    std::vector<std::string> read;
    for (const std::string& section : file.sectionNames()) {
        const bool unattended = equalsSetupNoCase(section, kSection);
        read.push_back("[" + section + "]");
        for (auto line = file.findFirstLine(section); line; line = file.findNextLine(*line)) {
            std::optional<std::string> key = file.stringField(*line, 0);
            if (unattended && key &&
                (equalsSetupNoCase(*key, kPreinstall) || equalsSetupNoCase(*key, kPath))) {
                continue;
            }
            std::string text = key ? *key + "=" : std::string();
            for (std::size_t i = 1; i <= file.fieldCount(*line); ++i) {
                text += '\0' + file.stringField(*line, i).value_or("");
            }
            read.push_back(std::move(text));
        }
    }
    return read;
}

// Where the merged file does not read as it should; empty when it does.
std::string mergeProblem(const std::string& userBytes, const std::string& mergedBytes,
                         const std::string& pathValue) {
    Result<InfFile, InfProblem> user = InfFile::readBytes(userBytes, InfStyle::AnswerFile);
    Result<InfFile, InfProblem> merged = InfFile::readBytes(mergedBytes, InfStyle::AnswerFile);
    if (!merged) {
        return translated("キーを加えた応答ファイルが読めません（%1）。",
                          {merged.failure().text()});
    }
    std::optional<InfPosition> preinstall = merged->findFirstLine(kSection, kPreinstall);
    std::optional<InfPosition> path = merged->findFirstLine(kSection, kPath);
    if (!preinstall ||
        !equalsSetupNoCase(merged->stringField(*preinstall, 1).value_or(""), "Yes") ||
        merged->fieldCount(*preinstall) != 1) {
        return translated("キーを加えた応答ファイルが [Unattended] OemPreinstall = Yes と読めません"
                          "（前の行の終わりの「\\」などが行をつないでいます）。");
    }
    if (!pathValue.empty() &&
        (!path || merged->stringField(*path, 1) != pathValue || merged->fieldCount(*path) != 1)) {
        return translated(
            "キーを加えた応答ファイルの [Unattended] OemPnPDriversPath が %1 と読めません"
            "（前の行の終わりの「\\」などが行をつないでいます）。",
            {pathValue});
    }
    if (user && linesBesidesPnpKeys(*user) != linesBesidesPnpKeys(*merged)) {
        return translated("キーを加えると、応答ファイルのほかの行の読まれ方が変わります"
                          "（行の終わりの「\\」などが次の行をつないでいます）。");
    }
    return {};
}

std::string preinstallLine() {
    return std::string(kPreinstall) + " = Yes";
}

std::string pathLine(const std::string& value) {
    return std::string(kPath) + " = \"" + value + "\"";
}

} // namespace

std::string userPnpFolders(const InfFile& file) {
    if (!file.isOpen()) {
        return {};
    }
    std::optional<InfPosition> line = file.findFirstLine(kSection, kPath);
    return line ? file.stringField(*line, 1).value_or(std::string()) : std::string();
}

void addPnpEntries(std::vector<AnswerEntry>& entries, const std::string& pathValue) {
    auto end = entries.begin();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->section == kSection) {
            end = it + 1;
        }
    }
    end = entries.insert(end, {std::string(kSection), std::string(kPreinstall), "Yes", false});
    entries.insert(end + 1, {std::string(kSection), std::string(kPath), pathValue, true});
}

MergedAnswerFile mergePnpKeys(const std::string& bytes, const std::string& pathValue) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }

    bool preinstallSeen = false;
    bool pathSeen = false;
    bool preinstallChanged = false;
    bool pathChanged = false;
    // Where a missing key goes: after the last line of the first
    // [Unattended] section that is not blank.
    std::optional<std::size_t> insertAt;
    bool inSection = false;
    bool sectionDone = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (std::optional<std::string_view> name = sectionOf(lines[i])) {
            sectionDone = sectionDone || inSection;
            inSection = !sectionDone && equalsSetupNoCase(*name, kSection);
            if (inSection) {
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (!trimmed(lines[i]).empty()) {
            insertAt = i + 1;
        }
        std::optional<KeyLine> line = keyLineOf(lines[i]);
        if (!line) {
            continue;
        }
        if (equalsSetupNoCase(line->key, kPreinstall) && !preinstallSeen) {
            preinstallSeen = true;
            if (!equalsSetupNoCase(line->value, "Yes")) {
                lines[i] = preinstallLine();
                preinstallChanged = true;
            }
        } else if (equalsSetupNoCase(line->key, kPath) && !pathSeen) {
            pathSeen = true;
            if (!pathValue.empty() && line->value != pathValue) {
                lines[i] = pathLine(pathValue);
                pathChanged = true;
            }
        }
    }

    std::vector<std::string> added;
    if (!preinstallSeen) {
        added.push_back(preinstallLine());
        preinstallChanged = true;
    }
    if (!pathSeen && !pathValue.empty()) {
        added.push_back(pathLine(pathValue));
        pathChanged = true;
    }
    if (!added.empty()) {
        if (!insertAt) {
            // No [Unattended] section: one at the end of the file, after a
            // blank line.
            if (!lines.empty() && !trimmed(lines.back()).empty()) {
                lines.emplace_back();
            }
            lines.push_back("[" + std::string(kSection) + "]");
            insertAt = lines.size();
        }
        if (*insertAt > 0 && joinsNextLine(lines[*insertAt - 1])) {
            added.insert(added.begin(), std::string());
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*insertAt), added.begin(),
                     added.end());
    }

    MergedAnswerFile merged;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        merged.bytes += lines[i];
        if (i + 1 < lines.size() || bytes.ends_with("\r\n")) {
            merged.bytes += "\r\n";
        }
    }
    if (preinstallChanged) {
        merged.changedKeys.emplace_back(kPreinstall);
    }
    if (pathChanged) {
        merged.changedKeys.emplace_back(kPath);
    }
    merged.problem = mergeProblem(bytes, merged.bytes, pathValue);
    return merged;
}

} // namespace ornibe
