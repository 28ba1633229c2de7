#pragma once

// The parsed form of an INF file, shared by the parser that fills it and
// the queries that read it. Not part of the library's interface.

#include "inf/InfFile.h"
#include "sys/CaseFold.h"

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ornibe::inf_detail {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// The same test as isCp932LeadByte, inline for the per-byte loops.
constexpr bool leadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Hash and equality of section names and keys as Windows setup compares
// them: ASCII letters fold, the trail byte of a double-byte code page 932
// character does not. Both are transparent so that lookups with a
// string_view do not allocate.
struct FoldHash {
    using is_transparent = void;
    // Not noexcept, so that the tables keep each node's hash rather than
    // folding keys again while walking a bucket.
    std::size_t operator()(std::string_view text) const {
        std::uint64_t hash = 1469598103934665603ull;
        bool trail = false;
        for (unsigned char c : text) {
            unsigned char folded = c;
            if (!trail && c >= 'a' && c <= 'z')
                folded = static_cast<unsigned char>(c - 'a' + 'A');
            trail = !trail && leadByte(c);
            hash = (hash ^ folded) * 1099511628211ull;
        }
        return static_cast<std::size_t>(hash);
    }
};

struct FoldEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept {
        return a.size() == b.size() && equalsSetupNoCase(a, b);
    }
};

struct Span {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

struct Line {
    // Index of the key slot in Data::fields; the values follow it.
    std::uint32_t firstField = 0;
    std::uint32_t valueCount = 0;
    // The next line of the section with the same key, for
    // SetupFindNextMatchLine without a scan.
    std::uint32_t nextSameKey = kNone;
    // Whether the line can be found by its key: a line with "=", or a line
    // of one value, found under that value.
    bool findable = false;
    // A line without "=" holding one value: its key is that value.
    bool keyIsValue = false;
};

struct KeyEntry {
    std::uint32_t first = kNone;
    std::uint32_t last = kNone;
};

struct Section {
    Span name;
    std::vector<Line> lines;
    std::unordered_map<std::string_view, KeyEntry, FoldHash, FoldEqual> keys;
};

} // namespace ornibe::inf_detail

namespace ornibe {

struct InfFile::Data {
    using Span = inf_detail::Span;
    using Line = inf_detail::Line;
    using Section = inf_detail::Section;

    // Every section name and field text, one after the other.
    std::string text;
    // Per line: the key slot, then the values.
    std::vector<Span> fields;
    std::vector<Section> sections;
    std::unordered_map<std::string_view, std::uint32_t, inf_detail::FoldHash, inf_detail::FoldEqual>
        sectionIndex;

    std::string_view view(Span span) const { return {text.data() + span.offset, span.size}; }

    const Section* section(std::string_view name) const {
        auto it = sectionIndex.find(name);
        return it == sectionIndex.end() ? nullptr : &sections[it->second];
    }

    const Line* line(InfPosition position) const {
        if (position.section >= sections.size())
            return nullptr;
        const auto& lines = sections[position.section].lines;
        return position.line < lines.size() ? &lines[position.line] : nullptr;
    }
};

} // namespace ornibe
