#include "inf/InfFile.h"

#include "inf/InfData.h"
#include "inf/InfLimits.h"
#include "inf/InfParser.h"
#include "inf/InfText.h"
#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/Translation.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace ornibe {

namespace {

using namespace inf_detail;

const char* const kSignatures[] = {"$Windows NT$", "$Chicago$", "$Windows 95$"};

InfProblem notAnInf(std::string reason) {
    return InfProblem{InfProblem::Kind::Text, 0, std::move(reason)};
}

} // namespace

std::uint32_t InfFile::Data::lineAt(InfPosition position) const {
    if (position.section >= sections.size())
        return kNone;
    const Section& s = sections[position.section];
    if (position.line >= s.lineCount)
        return kNone;
    auto first = runs.begin() + s.firstRun;
    auto last = first + s.runCount;
    // The last run that starts at or before the index.
    auto run =
        std::upper_bound(first + 1, last, position.line,
                         [](std::uint32_t index, const Run& r) { return index < r.firstIndex; }) -
        1;
    return run->firstLine + (position.line - run->firstIndex);
}

InfPosition InfFile::Data::positionOf(std::uint32_t line) const {
    std::uint32_t section = lines[line].section;
    const Section& s = sections[section];
    auto first = runs.begin() + s.firstRun;
    auto last = first + s.runCount;
    auto run = std::upper_bound(first + 1, last, line,
                                [](std::uint32_t l, const Run& r) { return l < r.firstLine; }) -
               1;
    return InfPosition{section, run->firstIndex + (line - run->firstLine)};
}

InfFile::InfFile() = default;

InfFile::InfFile(std::shared_ptr<const Data> data) : data_(std::move(data)) {}

std::string InfProblem::text() const {
    return line > 0 ? translated("%1 行目: %2", {std::to_string(line), reason}) : reason;
}

Result<InfFile, InfProblem> InfFile::read(const std::string& path, InfStyle style) {
    std::uint64_t size = 0;
    std::optional<std::string> bytes;
    try {
        bytes = readFileAtMost(path, kInfMaxFileBytes, &size);
    } catch (const FileError& error) {
        return InfProblem{InfProblem::Kind::Unreadable, 0,
                          translated("読み込めません（%1）。", {error.reason()})};
    }
    if (!bytes)
        return infFileTooLarge(size);
    return readBytes(std::move(*bytes), style);
}

Result<InfFile, InfProblem> InfFile::readBytes(std::string bytes, InfStyle style) {
    if (bytes.size() > kInfMaxFileBytes)
        return infFileTooLarge(bytes.size());
    const std::size_t fileBytes = bytes.size();
    auto data = std::make_shared<Data>();
    InfProblem problem;
    if (!parseInfText(decodeInfText(std::move(bytes)), fileBytes, *data, &problem, style))
        return problem;
    InfFile file(std::move(data));
    if (style != InfStyle::Win4)
        return file;
    // SetupOpenInfFileA with INF_STYLE_WIN4 takes only files that declare
    // themselves Windows INFs in their Version section.
    auto signature = file.findFirstLine("Version", "Signature");
    if (!signature)
        return notAnInf(
            translated("[Version] セクションに Windows の INF の Signature がありません。"));
    auto value = file.stringField(*signature, 1);
    if (!value || std::none_of(std::begin(kSignatures), std::end(kSignatures),
                               [&](const char* s) { return equalsSetupNoCase(*value, s); }))
        return notAnInf(translated("[Version] セクションの Signature が $Windows NT$、$Chicago$、"
                                   "$Windows 95$ のどれでもありません。"));
    return file;
}

InfFile InfFile::open(const std::string& path) {
    return read(path).valueOr(InfFile());
}

InfFile InfFile::parse(std::string_view bytes) {
    if (bytes.size() > kInfMaxFileBytes)
        return InfFile();
    return readBytes(std::string(bytes)).valueOr(InfFile());
}

bool InfFile::isOpen() const {
    return data_ != nullptr;
}

std::vector<std::string> InfFile::sectionNames() const {
    std::vector<std::string> names;
    if (data_)
        for (const Section& section : data_->sections)
            names.emplace_back(data_->name(section));
    return names;
}

int InfFile::lineCount(std::string_view section) const {
    if (!data_)
        return -1;
    std::uint32_t s = data_->findSection(section);
    if (s == kNone)
        return -1;
    return static_cast<int>(
        std::min<std::size_t>(data_->sections[s].lineCount, std::numeric_limits<int>::max()));
}

std::optional<InfPosition> InfFile::findFirstLine(std::string_view section) const {
    return lineByIndex(section, 0);
}

std::optional<InfPosition> InfFile::findFirstLine(std::string_view section,
                                                  std::string_view key) const {
    if (!data_)
        return std::nullopt;
    std::uint32_t s = data_->findSection(section);
    if (s == kNone)
        return std::nullopt;
    std::uint32_t line = data_->findKey(s, key);
    if (line == kNone)
        return std::nullopt;
    return data_->positionOf(line);
}

std::optional<InfPosition> InfFile::findNextLine(InfPosition position) const {
    if (!data_ || data_->lineAt(position) == kNone)
        return std::nullopt;
    InfPosition next{position.section, position.line + 1};
    if (data_->lineAt(next) == kNone)
        return std::nullopt;
    return next;
}

std::optional<InfPosition> InfFile::findNextMatchLine(InfPosition position,
                                                      std::string_view key) const {
    if (!data_)
        return std::nullopt;
    std::uint32_t at = data_->lineAt(position);
    if (at == kNone)
        return std::nullopt;
    const Data::Line& line = data_->lines[at];
    // When the line has this key, its chain gives the next one directly;
    // otherwise the first line with the key after this one.
    if (line.findable() && FoldEqual()(data_->key(line), key)) {
        if (line.nextSameKey == kNone)
            return std::nullopt;
        return data_->positionOf(line.nextSameKey);
    }
    for (std::uint32_t l = data_->findKey(line.section, key); l != kNone;
         l = data_->lines[l].nextSameKey)
        if (l > at)
            return data_->positionOf(l);
    return std::nullopt;
}

std::optional<InfPosition> InfFile::lineByIndex(std::string_view section, std::size_t index) const {
    if (!data_)
        return std::nullopt;
    std::uint32_t s = data_->findSection(section);
    if (s == kNone || index >= data_->sections[s].lineCount)
        return std::nullopt;
    return InfPosition{s, static_cast<std::uint32_t>(index)};
}

std::size_t InfFile::fieldCount(InfPosition position) const {
    std::uint32_t at = data_ ? data_->lineAt(position) : kNone;
    return at == kNone ? 0 : data_->lines[at].valueCount();
}

std::optional<std::string> InfFile::stringField(InfPosition position, std::size_t index) const {
    std::uint32_t at = data_ ? data_->lineAt(position) : kNone;
    if (at == kNone)
        return std::nullopt;
    const Data::Line& line = data_->lines[at];
    if (index > line.valueCount() || (index == 0 && !line.findable()))
        return std::nullopt;
    // Without a key, value 1 is stored first and is the key of a line of
    // one value.
    std::size_t stored = line.hasKey() ? index : (index == 0 ? 0 : index - 1);
    const char* field = data_->fields(line);
    for (; stored > 0; --stored)
        field += std::strlen(field) + 1;
    return std::string(field);
}

std::optional<std::string> InfFile::lineText(InfPosition position) const {
    if (!data_ || data_->lineAt(position) == kNone)
        return std::nullopt;
    std::string text;
    Values all = values(position);
    for (bool first = true; auto value = all.next(); first = false) {
        if (!first)
            text.push_back(',');
        text.append(*value);
    }
    return text;
}

InfFile::Values InfFile::values(InfPosition position) const {
    Values all;
    std::uint32_t at = data_ ? data_->lineAt(position) : kNone;
    if (at == kNone)
        return all;
    const Data::Line& line = data_->lines[at];
    all.at_ = data_->fields(line);
    if (line.hasKey())
        all.at_ += std::strlen(all.at_) + 1;
    all.left_ = line.valueCount();
    return all;
}

std::optional<std::string_view> InfFile::Values::next() {
    if (left_ == 0)
        return std::nullopt;
    std::string_view value(at_);
    at_ += value.size() + 1;
    --left_;
    return value;
}

} // namespace ornibe
