#include "inf/InfFile.h"

#include "inf/InfData.h"
#include "inf/InfParser.h"
#include "inf/InfText.h"
#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace ornibe {

namespace {

using namespace inf_detail;

// Files beyond this size are refused: offsets into the parsed text are 32
// bits, and no setup file comes near it.
constexpr std::size_t kMaxInputBytes = 512u << 20;

const char* const kSignatures[] = {"$Windows NT$", "$Chicago$", "$Windows 95$"};

InfFile refuse(InfProblem* problem, int line, std::string what) {
    if (problem != nullptr) {
        *problem = InfProblem{line, std::move(what)};
    }
    return InfFile();
}

} // namespace

InfFile::InfFile() = default;

InfFile::InfFile(std::shared_ptr<const Data> data) : data_(std::move(data)) {}

InfFile InfFile::open(const std::string& path, InfProblem* problem) {
    std::string bytes;
    try {
        bytes = readFile(path);
    } catch (const FileError& error) {
        return refuse(problem, 0, error.what());
    }
    return parse(bytes, problem);
}

InfFile InfFile::parse(std::string_view bytes, InfProblem* problem) {
    if (bytes.size() > kMaxInputBytes)
        return refuse(problem, 0, "the file is larger than 512 MB");
    auto data = std::make_shared<Data>();
    std::string text = decodeInfText(bytes);
    if (!parseInfText(text, *data, problem))
        return InfFile();
    InfFile file(std::move(data));
    // SetupOpenInfFileA with INF_STYLE_WIN4 takes only files that declare
    // themselves Windows INFs in their Version section.
    auto signature = file.findFirstLine("Version", "Signature");
    if (!signature)
        return refuse(problem, 0, "there is no Signature in a [Version] section");
    auto value = file.stringField(*signature, 1);
    if (!value || std::none_of(std::begin(kSignatures), std::end(kSignatures),
                               [&](const char* s) { return equalsSetupNoCase(*value, s); }))
        return refuse(problem, 0, "the signature is not $Windows NT$, $Chicago$ or $Windows 95$");
    return file;
}

bool InfFile::isOpen() const {
    return data_ != nullptr;
}

int InfFile::lineCount(std::string_view section) const {
    if (!data_)
        return -1;
    const Section* s = data_->section(section);
    if (!s)
        return -1;
    return static_cast<int>(
        std::min<std::size_t>(s->lines.size(), std::numeric_limits<int>::max()));
}

std::optional<InfPosition> InfFile::findFirstLine(std::string_view section) const {
    return lineByIndex(section, 0);
}

std::optional<InfPosition> InfFile::findFirstLine(std::string_view section,
                                                  std::string_view key) const {
    if (!data_)
        return std::nullopt;
    auto it = data_->sectionIndex.find(section);
    if (it == data_->sectionIndex.end())
        return std::nullopt;
    const Section& s = data_->sections[it->second];
    auto k = s.keys.find(key);
    if (k == s.keys.end())
        return std::nullopt;
    return InfPosition{it->second, k->second.first};
}

std::optional<InfPosition> InfFile::findNextLine(InfPosition position) const {
    if (!data_ || !data_->line(position))
        return std::nullopt;
    InfPosition next{position.section, position.line + 1};
    if (!data_->line(next))
        return std::nullopt;
    return next;
}

std::optional<InfPosition> InfFile::findNextMatchLine(InfPosition position,
                                                      std::string_view key) const {
    if (!data_)
        return std::nullopt;
    const Line* line = data_->line(position);
    if (!line)
        return std::nullopt;
    const Section& s = data_->sections[position.section];
    // When the line has this key, its chain gives the next one directly;
    // otherwise the first line with the key after this one.
    if (line->findable && FoldEqual()(data_->view(data_->fields[line->firstField]), key)) {
        if (line->nextSameKey == kNone)
            return std::nullopt;
        return InfPosition{position.section, line->nextSameKey};
    }
    auto k = s.keys.find(key);
    if (k == s.keys.end())
        return std::nullopt;
    for (std::uint32_t l = k->second.first; l != kNone; l = s.lines[l].nextSameKey)
        if (l > position.line)
            return InfPosition{position.section, l};
    return std::nullopt;
}

std::optional<InfPosition> InfFile::lineByIndex(std::string_view section, std::size_t index) const {
    if (!data_)
        return std::nullopt;
    auto it = data_->sectionIndex.find(section);
    if (it == data_->sectionIndex.end() || index >= data_->sections[it->second].lines.size())
        return std::nullopt;
    return InfPosition{it->second, static_cast<std::uint32_t>(index)};
}

std::size_t InfFile::fieldCount(InfPosition position) const {
    const Line* line = data_ ? data_->line(position) : nullptr;
    return line ? line->valueCount : 0;
}

std::optional<std::string> InfFile::stringField(InfPosition position, std::size_t index) const {
    const Line* line = data_ ? data_->line(position) : nullptr;
    if (!line || index > line->valueCount || (index == 0 && !line->findable))
        return std::nullopt;
    return std::string(data_->view(data_->fields[line->firstField + index]));
}

std::optional<std::string> InfFile::lineText(InfPosition position) const {
    const Line* line = data_ ? data_->line(position) : nullptr;
    if (!line)
        return std::nullopt;
    std::string text;
    for (std::uint32_t i = 1; i <= line->valueCount; ++i) {
        if (i > 1)
            text.push_back(',');
        text.append(data_->view(data_->fields[line->firstField + i]));
    }
    return text;
}

} // namespace ornibe
