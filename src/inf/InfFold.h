#pragma once

// Hashing and comparing section names and keys as Windows setup compares
// them, fast enough for every line of a large file: ASCII letters fold to
// upper case, the trail byte of a double-byte code page 932 character does
// not. Not part of the library's interface.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace ornibe::inf_detail {

// The same test as isCp932LeadByte, inline for the per-byte loops.
constexpr bool leadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

constexpr bool asciiLetter(unsigned char c) {
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

// Eight bytes, all below 0x80, with their lower-case letters made upper.
inline std::uint64_t upperAsciiWord(std::uint64_t word) {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    const std::uint64_t atLeastA = word + ones * (0x80 - 'a');
    const std::uint64_t aboveZ = word + ones * (0x80 - 'z' - 1);
    const std::uint64_t lower = atLeastA & ~aboveZ & (ones * 0x80);
    return word ^ (lower >> 2);
}

// Folds up to eight bytes one by one, carrying whether the next byte is a
// trail byte.
inline std::uint64_t foldBytes(const unsigned char* bytes, std::size_t count, bool& trail) {
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < count; ++i) {
        unsigned char c = bytes[i];
        if (!trail && c >= 'a' && c <= 'z')
            c = static_cast<unsigned char>(c - 'a' + 'A');
        trail = !trail && leadByte(bytes[i]);
        word |= std::uint64_t(c) << (8 * i);
    }
    return word;
}

inline std::uint64_t mixWord(std::uint64_t hash, std::uint64_t word) {
    hash = (hash ^ word) * 0xBF58476D1CE4E5B9ull;
    return hash ^ (hash >> 31);
}

// The hash of the folded text, eight bytes at a time: a run of ASCII folds
// in one step, a word that holds other bytes byte by byte.
inline std::size_t foldHash(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t left = text.size();
    std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ left;
    bool trail = false;
    for (; left >= 8; p += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        if (!trail && (word & 0x8080808080808080ull) == 0)
            word = upperAsciiWord(word);
        else
            word = foldBytes(p, 8, trail);
        hash = mixWord(hash, word);
    }
    if (left > 0 && text.size() >= 8) {
        // The last eight bytes of the text, shifted so that only those not
        // yet hashed remain.
        std::uint64_t word;
        std::memcpy(&word, p + left - 8, 8);
        word >>= 8 * (8 - left);
        if (!trail && (word & 0x8080808080808080ull) == 0)
            hash = mixWord(hash, upperAsciiWord(word));
        else
            hash = mixWord(hash, foldBytes(p, left, trail));
    } else if (left > 0) {
        hash = mixWord(hash, foldBytes(p, left, trail));
    }
    return static_cast<std::size_t>(hash ^ (hash >> 29));
}

// Whether the NUL-ended text at stored equals wanted as Windows setup
// compares them, without measuring stored first: most keys that share a
// slot differ in their first bytes.
inline bool foldEqualsStored(const char* stored, std::string_view wanted) {
    bool trail = false;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const auto a = static_cast<unsigned char>(stored[i]);
        const auto b = static_cast<unsigned char>(wanted[i]);
        if (a == 0 || (a != b && (trail || !asciiLetter(a) || (a ^ 0x20) != b)))
            return false;
        trail = !trail && leadByte(a);
    }
    return stored[wanted.size()] == '\0';
}

} // namespace ornibe::inf_detail
