// SVCPACK.INF's list of programs that setup runs at T-13, and DOSNET.INF's
// entry that makes winnt32 copy SVCPACK along with the setup folder.

#include "patch/SvcpackHotfixes.h"

#include "inf/InfReader.h"
#include "patch/SetupFileEditor.h"
#include "sys/CaseFold.h"
#include "sys/FileIo.h"
#include "sys/TextEncoding.h"
#include "sys/Trimmed.h"

#include <unistd.h>

#include <algorithm>

namespace ornibe {
namespace {

constexpr std::string_view kSection = "SetupHotfixesToRun";

bool listsName(const std::vector<HotfixLine>& lines, const std::string& name) {
    for (const HotfixLine& line : lines) {
        if (equalsSetupNoCase(line.name, name)) {
            return true;
        }
    }
    return false;
}

// The program of a [SetupHotfixesToRun] line's text.
std::string hotfixLineName(std::string_view text) {
    return std::string(text.substr(0, text.find_first_of(" \t")));
}

struct RawLine {
    std::size_t begin;
    std::size_t end;
    std::string text;
    bool drop = false;
};

} // namespace

std::string withoutSectionLines(const std::string& bytes, std::string_view section,
                                const std::function<bool(std::string_view text)>& drop) {
    const bool unicode = bytes.starts_with("\xFF\xFE");
    const std::size_t unit = unicode ? 2 : 1;
    const std::size_t start = unicode ? 2 : 0;
    std::size_t stop = bytes.size() - (bytes.size() - start) % unit;
    const bool marked = !unicode && bytes.find('\x1A') != std::string::npos;
    if (marked) {
        stop = bytes.find('\x1A');
    }
    std::vector<RawLine> lines;
    for (std::size_t at = start; at < stop;) {
        std::size_t end = at;
        while (end < stop && !(bytes[end] == '\n' && (unit == 1 || bytes[end + 1] == '\0'))) {
            end += unit;
        }
        end = std::min(end + unit, stop);
        const std::string raw = bytes.substr(at, end - at);
        const std::string text = unicode ? utf16leToCp932(raw) : raw;
        lines.push_back({at, end, std::string(trimmed(text, " \t\r\n")), false});
        at = end;
    }
    auto isHeader = [](const RawLine& line) { return line.text.starts_with('['); };
    auto ofSection = [&](const RawLine& line) {
        const std::size_t close = line.text.find(']');
        return close != std::string::npos &&
               equalsSetupNoCase(line.text.substr(1, close - 1), section);
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!isHeader(lines[i]) || !ofSection(lines[i])) {
            continue;
        }
        std::size_t next = i + 1;
        bool dropped = false;
        bool kept = false;
        for (; next < lines.size() && !isHeader(lines[next]); ++next) {
            if (!lines[next].text.empty() && drop(lines[next].text)) {
                lines[next].drop = dropped = true;
            } else if (!lines[next].text.empty()) {
                kept = true;
            }
        }
        if (dropped && !kept && i > 0 && lines[i - 1].text.empty()) {
            lines[i - 1].drop = lines[i].drop = true;
            if (marked && next == lines.size() && lines.back().text.empty()) {
                lines.back().drop = true;
            }
        }
        i = next - 1;
    }
    std::string result = bytes.substr(0, start);
    for (const RawLine& line : lines) {
        if (!line.drop) {
            result.append(bytes, line.begin, line.end - line.begin);
        }
    }
    result.append(bytes, stop);
    return result;
}

std::vector<HotfixLine> hotfixLinesOf(const InfFile& file) {
    std::vector<HotfixLine> lines;
    if (!file.isOpen()) {
        return lines;
    }
    for (auto line = file.findFirstLine(kSection); line; line = file.findNextLine(*line)) {
        const std::string whole = file.lineText(*line).value_or("");
        std::string_view text = trimmed(whole);
        if (text.empty()) {
            continue;
        }
        const std::size_t blank = text.find_first_of(" \t");
        HotfixLine entry{std::string(text.substr(0, blank)), {}};
        if (blank != std::string_view::npos) {
            entry.switches = std::string(trimmed(text.substr(blank)));
        }
        lines.push_back(std::move(entry));
    }
    return lines;
}

std::string hotfixLineText(const HotfixLine& line) {
    return line.switches.empty() ? line.name : line.name + " " + line.switches;
}

Outcome SetupFileEditor::addHotfixes(const std::vector<HotfixLine>& hotfixes,
                                     const std::function<bool(std::string_view)>& earlier) {
    if (Outcome prepared = PrepareWorkCopy(setupFilePath("SVCPACK.INF")); !prepared) {
        return prepared;
    }
    // What an earlier build listed goes first, so that the file reads as
    // the CD's own with this build's lines after it.
    const std::string before = readFile(workCopyPath_);
    const std::string kept = withoutSectionLines(
        before, kSection, [&](std::string_view text) { return earlier(hotfixLineName(text)); });
    if (kept != before) {
        writeFileAtomic(workCopyPath_, kept);
    }
    InfReader reader = readSetupFile(workCopyPath_);
    // A file that opens and holds any of the sections setup reads there is
    // the CD's own list: it keeps every line, and ours go after them.
    const bool usable = reader.file().isOpen() &&
                        (HasLine(reader, "Version") || HasLine(reader, "SetupData") ||
                         HasLine(reader, "ProductCatalogsToInstall") || HasLine(reader, kSection));
    const std::vector<HotfixLine> listed =
        usable ? hotfixLinesOf(reader.file()) : std::vector<HotfixLine>{};
    reader.Close();
    std::string lines;
    for (const HotfixLine& hotfix : hotfixes) {
        if (!listsName(listed, hotfix.name)) {
            lines += hotfixLineText(hotfix) + "\r\n";
        }
    }
    if (usable && !lines.empty()) {
        AppendText(workCopyPath_, "\r\n[" + std::string(kSection) + "]\r\n" + lines);
    } else if (!usable) {
        std::string content;
        WriteText(content, false,
                  svcpackTemplate({}) + "[" + std::string(kSection) + "]\r\n" + lines);
        writeFileAtomic(workCopyPath_, content);
    }
    if (readFile(workCopyPath_) == before) {
        // Listed as they are already: the setup folder stays as it was.
        ::unlink(workCopyPath_.c_str());
        return {};
    }
    return PackBack();
}

void SetupFileEditor::unnameSvcpackInDosnet() {
    const std::string path = setupFilePath("DOSNET.INF");
    const std::string before = readFile(path);
    const std::string after =
        withoutSectionLines(before, "OptionalSrcDirs", [](std::string_view text) {
            return equalsSetupNoCase(text, "svcpack");
        });
    if (after != before) {
        writeFileAtomic(path, after);
    }
}

void SetupFileEditor::nameSvcpackInDosnet() {
    if (!DosnetHasSvcpack()) {
        AppendText(setupFilePath("DOSNET.INF"), "\r\n[OptionalSrcDirs]\r\nsvcpack\r\n");
    }
}

} // namespace ornibe
