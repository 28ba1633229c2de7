#pragma once

// The table that finds the first line of a key in a section, and the one
// that finds a section by its name. Not part of the library's interface.
//
// Like IdTable it holds 32-bit slots, three quarters full at most, but
// each slot keeps beside the line's id as many bits of the key's hash as
// the id leaves free. A probe compares those bits first and reads the line
// and its text only when they match: in a large file every line and every
// key text a probe reads misses the cache, and without the bits a probe
// passed over several other keys' lines for each one it entered.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace ornibe::inf_detail {

class KeyTable {
public:
    static constexpr std::uint32_t kEmpty = std::numeric_limits<std::uint32_t>::max();

    // Empties the table and makes room for count ids, each below idLimit.
    // The room is that of an IdTable of count ids.
    void reset(std::size_t count, std::size_t idLimit) {
        std::size_t size = 8;
        while (size / 4 * 3 < count)
            size *= 2;
        slots_.assign(size, kEmpty);
        count_ = 0;
        // Ids below idLimit never have all their bits set, so that no slot
        // in use reads as empty.
        idBits_ = std::max<unsigned>(1, static_cast<unsigned>(std::bit_width(idLimit)));
        if (idBits_ >= 32) {
            idBits_ = 32;
            idMask_ = kEmpty;
        } else {
            idMask_ = (1u << idBits_) - 1;
        }
    }

    bool empty() const { return slots_.empty(); }

    // The memory the table takes, and whether one more id would fill it
    // past three quarters (as in IdTable).
    std::size_t bytes() const { return slots_.size() * sizeof(std::uint32_t); }
    bool full() const { return count_ + 1 > slots_.size() / 4 * 3; }

    // Doubles the room, placing again the ids 0 to count - 1, which must be
    // all the table holds, by hashOf(id). They are taken in their order,
    // not the slots': whatever hashOf reads for an id then lies next to
    // what it read for the one before, where reading it in slot order
    // would miss the cache for every id of a large table.
    template <typename HashOf> void grow(std::uint32_t count, HashOf&& hashOf) {
        slots_.assign(slots_.size() * 2, kEmpty);
        const std::size_t mask = slots_.size() - 1;
        for (std::uint32_t id = 0; id < count; ++id) {
            const std::size_t hash = hashOf(id);
            std::size_t i = spread(hash) & mask;
            while (slots_[i] != kEmpty)
                i = (i + 1) & mask;
            slots_[i] = tagOf(hash) | id;
        }
        count_ = count;
    }

    // The slot that holds the id whose key is the one sought (equal(id) is
    // true), or the empty slot where such an id would go.
    template <typename Equal> std::size_t slotOf(std::size_t hash, Equal&& equal) const {
        const std::size_t mask = slots_.size() - 1;
        const std::uint32_t tag = tagOf(hash);
        for (std::size_t i = spread(hash) & mask;; i = (i + 1) & mask) {
            const std::uint32_t slot = slots_[i];
            if (slot == kEmpty || ((slot & ~idMask_) == tag && equal(slot & idMask_)))
                return i;
        }
    }

    // The id in the slot, or kEmpty.
    std::uint32_t at(std::size_t slot) const {
        return slots_[slot] == kEmpty ? kEmpty : slots_[slot] & idMask_;
    }

    // Asks the processor to fetch the first slot of the hash ahead of its
    // use: in a large table nearly every lookup misses the cache. Only
    // after reset, which leaves the table never empty. Inlined always: GCC
    // takes a function that does nothing but prefetch for one without
    // effect and drops its calls before it would inline them.
    [[gnu::always_inline]] void prefetch(std::size_t hash) const {
        __builtin_prefetch(slots_.data() + (spread(hash) & (slots_.size() - 1)));
    }

    // Puts the id of a key of this hash into the slot that slotOf gave.
    void put(std::size_t slot, std::uint32_t id, std::size_t hash) {
        if (slots_[slot] == kEmpty)
            ++count_;
        slots_[slot] = tagOf(hash) | id;
    }

private:
    // The folding hash varies most in its high bits (as in IdTable).
    static std::size_t spread(std::size_t hash) {
        return static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ull) >> 20);
    }

    // The top bits of the hash, placed above the id. The slot's index
    // comes from the hash's lower bits, so in a large table these tell
    // apart the keys that share a run of slots.
    std::uint32_t tagOf(std::size_t hash) const {
        if (idBits_ >= 32)
            return 0;
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> (32 + idBits_))
               << idBits_;
    }

    std::vector<std::uint32_t> slots_;
    std::size_t count_ = 0;
    unsigned idBits_ = 0;
    std::uint32_t idMask_ = 0;
};

} // namespace ornibe::inf_detail
