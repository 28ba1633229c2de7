#include "sys/BuildRecord.h"

#include "sys/CaseFold.h"

#include <algorithm>
#include <optional>

namespace ornibe {
namespace {

// The kinds in the order the record lists them; a Plug and Play folder's
// key is its three digits.
constexpr std::string_view kKinds[] = {kRecordMadeFolder, kRecordHotfix, kRecordDosnet,
                                       kRecordOemFile, kRecordSetupCommand};

bool isFolderNumber(std::string_view key) {
    return key.size() == 3 &&
           std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Where lines of key stand in the record: 1 for a Plug and Play folder,
// then the kinds in order (the folders made first of all); none for a key the record never holds.
std::optional<std::size_t> rankOf(std::string_view key) {
    if (isFolderNumber(key)) {
        return 1;
    }
    for (std::size_t i = 0; i < std::size(kKinds); ++i) {
        if (key == kKinds[i]) {
            return i == 0 ? 0 : i + 1;
        }
    }
    return std::nullopt;
}

std::string escaped(std::string_view value) {
    std::string text;
    for (char c : value) {
        text += c == '\r'   ? std::string("%0D")
                : c == '\n' ? std::string("%0A")
                : c == '%'  ? std::string("%25")
                            : std::string(1, c);
    }
    return text;
}

std::string unescaped(std::string_view text) {
    std::string value;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view code = text.substr(i, 3);
        if (code == "%0D" || code == "%0A" || code == "%25") {
            value += code == "%0D" ? '\r' : code == "%0A" ? '\n' : '%';
            i += 2;
        } else {
            value += text[i];
        }
    }
    return value;
}

} // namespace

bool isBuildRecord(std::string_view relative) {
    const std::size_t slash = relative.find('/');
    return slash != std::string_view::npos &&
           equalsHostNoCase(relative.substr(0, slash), kBuildRecordFolder) &&
           equalsHostNoCase(relative.substr(slash + 1), kBuildRecordName);
}

Result<std::vector<BuildRecordLine>> readBuildRecordLines(std::string_view text) {
    std::vector<BuildRecordLine> lines;
    for (std::size_t number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || !rankOf(line.substr(0, equals))) {
            return Failure{"read",
                           {},
                           "ビルドの記録の " + std::to_string(number) +
                               " 行目が読めません。記録が壊れています。"};
        }
        lines.push_back({std::string(line.substr(0, equals)), unescaped(line.substr(equals + 1))});
    }
    return lines;
}

std::string buildRecordText(const std::vector<BuildRecordLine>& lines) {
    std::vector<BuildRecordLine> sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const BuildRecordLine& a, const BuildRecordLine& b) {
                         return rankOf(a.key).value_or(0) < rankOf(b.key).value_or(0);
                     });
    // A record of folders alone keeps the words it has always had.
    const bool foldersOnly =
        std::all_of(sorted.begin(), sorted.end(),
                    [](const BuildRecordLine& line) { return isFolderNumber(line.key); });
    std::string text =
        foldersOnly ? "; Folders under $OEM$\\$1\\Drivers that ornibe made, with their INF.\r\n"
                      "; A later build removes those it does not list; other folders stay.\r\n"
                    : "; What ornibe added to this work folder: the folders under "
                      "$OEM$\\$1\\Drivers, packages, $OEM$ files, commands.\r\n"
                      "; A later build removes what it does not add again; nothing else.\r\n";
    for (const BuildRecordLine& line : sorted) {
        text += line.key + "=" + escaped(line.value) + "\r\n";
    }
    return text;
}

std::vector<BuildRecordLine> withRecordKind(std::vector<BuildRecordLine> lines,
                                            std::string_view key,
                                            const std::vector<std::string>& values) {
    std::erase_if(lines, [&](const BuildRecordLine& line) { return line.key == key; });
    for (const std::string& value : values) {
        lines.push_back({std::string(key), value});
    }
    return lines;
}

std::vector<std::string> recordValues(const std::vector<BuildRecordLine>& lines,
                                      std::string_view key) {
    std::vector<std::string> values;
    for (const BuildRecordLine& line : lines) {
        if (line.key == key) {
            values.push_back(line.value);
        }
    }
    return values;
}

} // namespace ornibe
