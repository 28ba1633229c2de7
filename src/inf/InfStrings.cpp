#include "inf/InfData.h"
#include "inf/InfDirids.h"
#include "inf/InfLimits.h"
#include "inf/InfParseSteps.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace ornibe::inf_detail {
namespace {

// A value taken from the Strings section is cut to this many characters
// (512 with the terminating NUL on Windows 2000, XP and Server 2003).
constexpr std::size_t kMaxStringValue = 511;

// The length of the longest prefix of text that holds at most count
// characters, a double-byte character counting as one.
std::size_t prefixOfCharacters(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t n = 0; i < text.size() && n < count; ++n)
        i += leadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    return i;
}

// Replaces the tokens of the lines that hold a percent sign: the keys of
// the Strings section chosen, found through a table of their own that is
// let go again once the lines are written.
class StringSubstitution {
public:
    StringSubstitution(InfFile::Data& data, ParseMemory& memory) : d_(data), memory_(memory) {}

    // Replaces %strkey% tokens from the Strings section chosen, in lines
    // in file order, as long as the memory the replaced lines take stays
    // within the budget; past it, lines keep their tokens as written. The
    // replaced lines are measured first and written into text sized for
    // them, so that nothing grows and moves while they are written.
    bool run() {
        if (!collectStrings())
            return false;
        const std::size_t before = memory_.used();
        const std::size_t budget = memory_.budget();
        auto eachReplacedLine = [&](auto&& write) {
            std::size_t used = before;
            for (Line& line : d_.lines) {
                if ((line.bits & Line::kPercent) == 0)
                    continue;
                std::optional<std::size_t> size = decide(line, [](auto, auto) {});
                if (!size || used + *size > budget)
                    continue;
                used += *size;
                write(line);
            }
            return used - before;
        };
        const std::size_t total = eachReplacedLine([](Line&) {});
        // Within the budget: every line was measured against it.
        memory_.charge(total);
        d_.replaced.reserve(total);
        eachReplacedLine([&](Line& line) {
            const std::size_t offset = d_.replaced.size();
            decide(line, [&](std::string_view raw, std::optional<std::size_t> expanded) {
                if (expanded)
                    expand(raw, [&](std::string_view part) { d_.replaced.append(part); });
                else
                    d_.replaced.append(raw);
                d_.replaced.push_back('\0');
            });
            line.offset = static_cast<std::uint32_t>(offset);
            line.bits |= Line::kReplaced;
        });
        memory_.release(strings_.bytes() + stringEntries_.capacity() * sizeof(StringEntry));
        strings_ = KeyTable();
        stringEntries_ = {};
        return true;
    }

private:
    // A key of the Strings section in use and its value, both in the text
    // as the file has it, the value already cut to its length.
    struct StringEntry {
        std::uint32_t key = 0;
        std::uint32_t value = 0;
        std::uint32_t valueSize = 0;
    };

    std::string_view stringValue(std::uint32_t id) const {
        const StringEntry& entry = stringEntries_[id];
        return {d_.text.data() + entry.value, entry.valueSize};
    }

    // The key's text is NUL-ended: it is compared without being measured.
    bool keyIs(std::uint32_t id, std::string_view name) const {
        return foldEqualsStored(d_.text.data() + stringEntries_[id].key, name);
    }

    std::uint32_t findString(std::string_view name) const {
        std::size_t slot =
            strings_.slotOf(FoldHash()(name), [&](std::uint32_t id) { return keyIs(id, name); });
        return strings_.at(slot);
    }

    // The Strings section chosen as Windows chooses it for the Japanese
    // locale of the systems served: the section of the exact language and
    // sublanguage ([Strings.0411]), else that of the language with the
    // neutral sublanguage ([Strings.0011]), else [Strings]. Keys of the
    // other sections are not used.
    bool collectStrings() {
        std::uint32_t chosen = kNone;
        for (const char* name : {"Strings.0411", "Strings.0011", "Strings"}) {
            chosen = d_.findSection(name);
            if (chosen != kNone)
                break;
        }
        std::size_t count = chosen == kNone ? 0 : d_.sections[chosen].lineCount;
        if (!memory_.charge(IdTable::bytesFor(count) + count * sizeof(StringEntry)))
            return false;
        // The entries' ids stay below count; the bits above them keep the
        // hash, which tells most other keys apart without reading them.
        strings_.reset(count, count + 1);
        stringEntries_.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const Line& line = d_.lines[d_.lineAt(InfPosition{chosen, i})];
            if (!line.findable())
                continue;
            std::string_view key = d_.text.data() + line.offset;
            const std::size_t hash = FoldHash()(key);
            std::size_t slot =
                strings_.slotOf(hash, [&](std::uint32_t id) { return keyIs(id, key); });
            if (strings_.at(slot) != kNone)
                continue;
            std::string_view value = line.hasKey() ? key.data() + key.size() + 1 : key;
            stringEntries_.push_back(StringEntry{
                line.offset, static_cast<std::uint32_t>(value.data() - d_.text.data()),
                static_cast<std::uint32_t>(prefixOfCharacters(value, kMaxStringValue))});
            strings_.put(slot, static_cast<std::uint32_t>(stringEntries_.size() - 1), hash);
        }
        return true;
    }

    // Writes the field with its tokens replaced through out (a function
    // taking a string_view); true when a token was replaced. A value is cut
    // to 511 characters. A token that names no key but a number is a DIRID
    // and is replaced by its folder (diridTokenText: DIRIDs the system does
    // not know, 0 and -1 by nothing); after a folder that ends in a
    // backslash (a drive root), a backslash that follows the token is
    // dropped. "%%" becomes one percent sign. Any other token stays as
    // written. Keys are replaced as values are. Replacement text is not
    // searched again, so a key that refers to itself cannot loop.
    template <typename Out> bool expand(std::string_view raw, Out&& out) const {
        bool replaced = false;
        std::size_t p = 0;
        while (p < raw.size()) {
            std::size_t open = raw.find('%', p);
            if (open == std::string_view::npos) {
                out(raw.substr(p));
                break;
            }
            out(raw.substr(p, open - p));
            std::size_t close = raw.find('%', open + 1);
            if (close == std::string_view::npos) {
                out(raw.substr(open));
                break;
            }
            p = close + 1;
            std::string_view name = raw.substr(open + 1, close - open - 1);
            std::uint32_t hit = name.empty() ? kNone : findString(name);
            if (name.empty()) {
                out("%");
            } else if (hit != kNone) {
                out(stringValue(hit));
            } else if (auto folder = diridTokenText(name)) {
                out(*folder);
                if (!folder->empty() && folder->back() == '\\' && p < raw.size() && raw[p] == '\\')
                    ++p;
            } else {
                out(raw.substr(open, close - open + 1));
                continue;
            }
            replaced = true;
        }
        return replaced;
    }

    // The size of the field with its tokens replaced, when a token is
    // replaced at all.
    std::optional<std::size_t> expandedSize(std::string_view raw) const {
        std::size_t size = 0;
        bool replaced = expand(raw, [&](std::string_view part) { size += part.size(); });
        return replaced ? std::optional<std::size_t>(size) : std::nullopt;
    }

    // Walks the fields of a line whose tokens may be replaced, deciding
    // for each field in order whether its replaced text is used: a field
    // is, unless it would make the line longer than the longer of the line
    // as written and kInfMaxReplacedLineBytes. use(field, replacedSize or
    // nothing) is called for every field; the size of the line as it will
    // be is returned, or nothing when no field changes.
    template <typename Use> std::optional<std::size_t> decide(const Line& line, Use&& use) const {
        const std::size_t stored = line.valueCount() + (line.hasKey() ? 1 : 0);
        const char* fields = d_.text.data() + line.offset;
        std::size_t rawSize = 0;
        const char* at = fields;
        for (std::size_t i = 0; i < stored; ++i) {
            std::size_t length = std::strlen(at);
            rawSize += length + 1;
            at += length + 1;
        }
        const std::size_t limit = std::max(rawSize, kInfMaxReplacedLineBytes);
        std::size_t size = rawSize;
        bool changed = false;
        at = fields;
        for (std::size_t i = 0; i < stored; ++i) {
            std::string_view raw(at);
            at += raw.size() + 1;
            std::optional<std::size_t> expanded;
            if (raw.find('%') != std::string_view::npos)
                expanded = expandedSize(raw);
            if (expanded && size - raw.size() + *expanded <= limit) {
                size = size - raw.size() + *expanded;
                changed = true;
            } else {
                expanded.reset();
            }
            use(raw, expanded);
        }
        return changed ? std::optional<std::size_t>(size) : std::nullopt;
    }

    InfFile::Data& d_;
    ParseMemory& memory_;
    KeyTable strings_;
    std::vector<StringEntry> stringEntries_;
};

} // namespace

bool substituteStrings(InfFile::Data& data, ParseMemory& memory) {
    return StringSubstitution(data, memory).run();
}

} // namespace ornibe::inf_detail
