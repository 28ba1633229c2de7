// SVCPACK.INF's list of programs that setup runs at T-13, and DOSNET.INF's
// entry that makes winnt32 copy SVCPACK along with the setup folder.

#include "patch/SvcpackHotfixes.h"

#include "inf/InfReader.h"
#include "patch/SetupFileEditor.h"
#include "sys/CaseFold.h"
#include "sys/FileIo.h"
#include "sys/Trimmed.h"

#include <unistd.h>

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

} // namespace

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

Outcome SetupFileEditor::addHotfixes(const std::vector<HotfixLine>& hotfixes) {
    if (Outcome prepared = PrepareWorkCopy(setupFilePath("SVCPACK.INF")); !prepared) {
        return prepared;
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
    if (usable) {
        if (lines.empty()) {
            // Every one is listed already: the setup folder stays as it was.
            ::unlink(workCopyPath_.c_str());
            return {};
        }
        AppendText(workCopyPath_, "\r\n[" + std::string(kSection) + "]\r\n" + lines);
    } else {
        std::string content;
        WriteText(content, false,
                  svcpackTemplate({}) + "[" + std::string(kSection) + "]\r\n" + lines);
        writeFileAtomic(workCopyPath_, content);
    }
    return PackBack();
}

void SetupFileEditor::nameSvcpackInDosnet() {
    if (!DosnetHasSvcpack()) {
        AppendText(setupFilePath("DOSNET.INF"), "\r\n[OptionalSrcDirs]\r\nsvcpack\r\n");
    }
}

} // namespace ornibe
