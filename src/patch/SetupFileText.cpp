#include "inf/InfReader.h"
#include "patch/SetupFileEditor.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/SearchPath.h"
#include "sys/TextEncoding.h"

#include <cerrno>

namespace ornibe {
namespace {

// The offset of the first 0x1A in content[from, to), or npos.
std::size_t findMarker(const std::string& content, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        if (content[i] == '\x1A') {
            return i;
        }
    }
    return std::string::npos;
}

// The file's end-of-file byte, looked for where Windows setup files keep
// it: in the last 10 bytes, then in the 10 before them. A file without one
// there is still read only up to its first 0x1A by Windows setup (and by
// our parser), so text added behind such a byte would never be seen: the
// first 0x1A anywhere is used then. With none at all, the end of the file.
std::size_t markerPosition(const std::string& content) {
    std::size_t size = content.size();
    std::size_t lastTen = size >= 10 ? size - 10 : 0;
    std::size_t lastTwenty = size >= 20 ? size - 20 : 0;
    std::size_t at = findMarker(content, lastTen, size);
    if (at == std::string::npos) {
        at = findMarker(content, lastTwenty, lastTen);
    }
    if (at == std::string::npos) {
        at = findMarker(content, 0, lastTwenty);
    }
    return at == std::string::npos ? size : at;
}

// The content with text, CR LF and the end-of-file byte written over the
// marker at offset at. The new bytes replace the marker and whatever
// follows it as far as they reach; the file is not cut short behind them.
std::string writtenOverMarker(const std::string& content, std::size_t at, std::string_view text) {
    std::string added(text);
    added += "\r\n\x1A";
    std::string updated = content.substr(0, at);
    updated += added;
    if (at + added.size() < content.size()) {
        updated.append(content, at + added.size());
    }
    return updated;
}

} // namespace

void SetupFileEditor::WriteText(std::string& content, bool asUnicode, std::string_view text) {
    if (asUnicode) {
        content += cp932ToUtf16le(text);
    } else {
        content += text;
    }
}

bool SetupFileEditor::IsUnicodeFile(const std::string& path) {
    return readFileHead(path, 2) == "\xFF\xFE";
}

void SetupFileEditor::AppendText(const std::string& path, std::string_view text) {
    writeFileAtomic(path, withTextAppended(readFile(path), text));
}

std::string SetupFileEditor::withTextAppended(std::string content, std::string_view text) {
    const bool asUnicode = content.starts_with("\xFF\xFE");
    // Setup reads an 8-bit file only up to its end-of-file byte: text added
    // behind it would never be seen (and every build would add it again),
    // so it goes over the marker as in TXTSETUP.SIF.
    if (std::size_t at = markerPosition(content); !asUnicode && at < content.size()) {
        return writtenOverMarker(content, at, text);
    }
    WriteText(content, asUnicode, text);
    return content;
}

void SetupFileEditor::WriteAtEofMarker(const std::string& path, std::string_view text) {
    std::string content = readFile(path);
    writeFileAtomic(path, writtenOverMarker(content, markerPosition(content), text));
}

InfReader SetupFileEditor::readSetupFile(const std::string& path) {
    InfReader reader(path);
    if (reader.problem().kind == InfProblem::Kind::Limit) {
        throw FileError("read", path, reader.problem().reason);
    }
    return reader;
}

bool SetupFileEditor::HasLine(const InfReader& reader, std::string_view section) {
    return reader.file().findFirstLine(section).has_value();
}

bool SetupFileEditor::HasLine(const InfReader& reader, std::string_view section,
                              std::string_view key) {
    return reader.file().findFirstLine(section, key).has_value();
}

std::string SetupFileEditor::FindKeyByField(const InfReader& reader, std::string_view section,
                                            std::size_t field, std::string_view value) {
    const InfFile& file = reader.file();
    for (auto line = file.findFirstLine(section); line; line = file.findNextLine(*line)) {
        if (equalsSetupNoCase(reader.GetField(*line, field), value)) {
            return reader.GetField(*line, 0);
        }
    }
    return {};
}

bool SetupFileEditor::HasLineText(const InfReader& reader, std::string_view section,
                                  std::string_view text) {
    const InfFile& file = reader.file();
    for (auto line = file.findFirstLine(section); line; line = file.findNextLine(*line)) {
        std::optional<std::string> lineText = file.lineText(*line);
        if (lineText && equalsSetupNoCase(*lineText, text)) {
            return true;
        }
    }
    return false;
}

bool SetupFileEditor::FileExists(const std::string& path) {
    // Every component of the path may differ in case, as on Windows.
    return findNoCase(path.starts_with('/') ? "/" : ".", path).has_value();
}

bool SetupFileEditor::IsCabinet(const std::string& path) {
    return readFileHead(path, 4) == "MSCF";
}

std::string SetupFileEditor::FindTool(const ToolSearch& tools, std::string_view name) {
    std::string file(name);
    if (fileName(file).find('.') == std::string::npos) {
        file += ".EXE";
    }
    return tools.findOnSearchPath(file);
}

std::string SetupFileEditor::setupFilePath(std::string_view name) const {
    return entryPathNoCase(i386Folder_, name);
}

} // namespace ornibe
