#pragma once

// The parsed form of an INF file, shared by the parser that fills it and
// the queries that read it. Not part of the library's interface.
//
// The form is kept small, since a file may be large: the fields of a line
// lie one after the other in one text, each ended by a NUL byte (the text
// of a file never holds one: it reads as a space), so that a line needs no
// table of its fields; the lines of all sections lie in one list in file
// order; one open-addressing table finds sections by name and another the
// first line of each key, both keeping bits of the hash beside each id.

#include "inf/InfFile.h"
#include "inf/InfFold.h"
#include "inf/InfKeyTable.h"
#include "sys/CaseFold.h"

#include <cstdint>
#include <cstring>
#include <deque>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe::inf_detail {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// Hash of section names and keys as Windows setup compares them
// (InfFold.h).
struct FoldHash {
    std::size_t operator()(std::string_view text) const { return foldHash(text); }
};

struct FoldEqual {
    bool operator()(std::string_view a, std::string_view b) const noexcept {
        return a.size() == b.size() && equalsSetupNoCase(a, b);
    }
};

// A set of ids (of sections, lines or text offsets) found by a key that
// the caller derives from an id: the table holds the ids alone, in slots
// at most three quarters full.
class IdTable {
public:
    // Empties the table and makes room for count ids.
    void reset(std::size_t count) {
        std::size_t size = 8;
        while (size / 4 * 3 < count)
            size *= 2;
        slots_.assign(size, kNone);
        count_ = 0;
    }

    // The memory the table takes with room for count ids.
    static std::size_t bytesFor(std::size_t count) {
        std::size_t size = 8;
        while (size / 4 * 3 < count)
            size *= 2;
        return size * sizeof(std::uint32_t);
    }

    std::size_t bytes() const { return slots_.size() * sizeof(std::uint32_t); }
    bool full() const { return slots_.empty() || count_ + 1 > slots_.size() / 4 * 3; }

    // The slot that holds the id whose key is the one sought (equal(id)
    // is true), or the empty slot where such an id would go.
    template <typename Equal> std::size_t slotOf(std::size_t hash, Equal&& equal) const {
        std::size_t mask = slots_.size() - 1;
        for (std::size_t i = spread(hash) & mask;; i = (i + 1) & mask) {
            std::uint32_t id = slots_[i];
            if (id == kNone || equal(id))
                return i;
        }
    }

    std::uint32_t at(std::size_t slot) const { return slots_[slot]; }

    // Puts id into the slot that slotOf gave; an empty slot counts it.
    void put(std::size_t slot, std::uint32_t id) {
        if (slots_[slot] == kNone)
            ++count_;
        slots_[slot] = id;
    }

    // Doubles the room, placing every id again by hashOf(id).
    template <typename HashOf> void grow(HashOf&& hashOf) {
        std::vector<std::uint32_t> old = std::move(slots_);
        slots_.assign(old.empty() ? 8 : old.size() * 2, kNone);
        std::size_t mask = slots_.size() - 1;
        for (std::uint32_t id : old) {
            if (id == kNone)
                continue;
            std::size_t i = spread(hashOf(id)) & mask;
            while (slots_[i] != kNone)
                i = (i + 1) & mask;
            slots_[i] = id;
        }
    }

    // The slots that hold ids, in table order.
    const std::vector<std::uint32_t>& slots() const { return slots_; }

private:
    // The folding hash varies most in its high bits.
    static std::size_t spread(std::size_t hash) {
        return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ull) >> 20);
    }

    std::vector<std::uint32_t> slots_;
    std::size_t count_ = 0;
};

struct Span {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

struct Line {
    // Where the line's fields begin: the key when it has one, else value 1.
    std::uint32_t offset = 0;
    std::uint32_t section = 0;
    // The next line of the section with the same key, for
    // SetupFindNextMatchLine without a scan.
    std::uint32_t nextSameKey = kNone;
    // The number of values, and the flags below.
    std::uint32_t bits = 0;

    static constexpr std::uint32_t kHasKey = 1u << 31;
    // A field of the line holds a percent sign: string keys may be replaced.
    static constexpr std::uint32_t kPercent = 1u << 30;
    // The fields lie in the replaced text, not in the text of the file.
    static constexpr std::uint32_t kReplaced = 1u << 29;
    static constexpr std::uint32_t kCountMask = (1u << 29) - 1;

    std::uint32_t valueCount() const { return bits & kCountMask; }
    bool hasKey() const { return (bits & kHasKey) != 0; }
    // Whether the line can be found by its key: a line with "=", or a line
    // of one value, found under that value.
    bool findable() const { return hasKey() || valueCount() == 1; }
};

// A stretch of a section's lines that lie one after the other in the file:
// the first line and its index in the section.
struct Run {
    std::uint32_t firstLine = 0;
    std::uint32_t firstIndex = 0;
};

struct Section {
    Span name;
    std::uint32_t lineCount = 0;
    std::uint32_t firstRun = 0;
    std::uint32_t runCount = 0;
    // Values in a Strings section are whole texts: a comma in them does
    // not start another field.
    bool strings = false;
};

} // namespace ornibe::inf_detail

namespace ornibe {

struct InfFile::Data {
    using Line = inf_detail::Line;
    using Section = inf_detail::Section;

    // Section names and the NUL-ended fields of every line, in file order.
    std::string text;
    // The fields of lines whose string keys were replaced.
    std::string replaced;
    std::deque<Line> lines;
    std::deque<Section> sections;
    // Every section's runs, a section's own in file order.
    std::vector<inf_detail::Run> runs;
    inf_detail::KeyTable sectionTable;
    // The first line of every key of every section.
    inf_detail::KeyTable keyTable;

    std::string_view name(const Section& section) const {
        return {text.data() + section.name.offset, section.name.size};
    }

    // The first stored field of the line; the others follow it, each after
    // the NUL that ends the one before.
    const char* fields(const Line& line) const {
        return ((line.bits & Line::kReplaced) != 0 ? replaced.data() : text.data()) + line.offset;
    }

    // The key of a findable line.
    std::string_view key(const Line& line) const { return fields(line); }

    static std::size_t keyHash(std::uint32_t section, std::string_view key) {
        return inf_detail::FoldHash()(key) ^ (section * 0x9E3779B97F4A7C15ull);
    }

    std::uint32_t findSection(std::string_view wanted) const {
        if (sectionTable.empty())
            return inf_detail::kNone;
        std::size_t slot =
            sectionTable.slotOf(inf_detail::FoldHash()(wanted), [&](std::uint32_t id) {
                return inf_detail::FoldEqual()(name(sections[id]), wanted);
            });
        return sectionTable.at(slot);
    }

    // The first line of the section with the key, or kNone.
    std::uint32_t findKey(std::uint32_t section, std::string_view wanted) const {
        if (keyTable.empty())
            return inf_detail::kNone;
        std::size_t slot = keyTable.slotOf(keyHash(section, wanted), [&](std::uint32_t id) {
            const Line& line = lines[id];
            return line.section == section && inf_detail::foldEqualsStored(fields(line), wanted);
        });
        return keyTable.at(slot);
    }

    // The line at the position, or kNone.
    std::uint32_t lineAt(InfPosition position) const;
    // The position of a line.
    InfPosition positionOf(std::uint32_t line) const;
};

} // namespace ornibe
