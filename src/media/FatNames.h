#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ornibe {

// The 11 bytes of a FAT short name: eight for the base, three for the
// extension, padded with spaces.
using ShortName = std::array<char, 11>;

// The names one FAT directory entry carries for a host name: its short
// name, and the long name's UTF-16 units when the short name alone does not
// give the name back as it is.
struct FatName {
    ShortName shortName{};
    std::vector<std::uint16_t> longName;
};

// The short names already given in one folder, so that each new one is
// unique there.
using ShortNamesTaken = std::set<ShortName>;

// The FAT names for name (UTF-8) in a folder whose short names are taken:
// a name that is an 8.3 name in capitals keeps that name alone (as the
// loaders of Windows setup read it); any other gets a long name and a short
// name made from it, with a "~N" tail where needed. Nothing for a name a FAT
// folder cannot hold (not UTF-8, a character FAT forbids, longer than 255
// units, ".", ".."). The short name is added to taken.
std::optional<FatName> fatNameFor(std::string_view name, ShortNamesTaken& taken);

// The name in capitals (ASCII letters only), as FAT compares names.
std::string fatFoldedName(std::string_view name);

// The checksum of a short name that each of its long-name entries holds.
std::uint8_t shortNameChecksum(const ShortName& name);

// A little-endian 16- or 32-bit value into bytes at at.
void putLe16(std::string& bytes, std::size_t at, std::uint32_t value);
void putLe32(std::string& bytes, std::size_t at, std::uint32_t value);

// A time as FAT dates it: the date and the time of day in two 16-bit
// words; UTC for an epoch, so that the image does not depend on the
// machine's zone, and the host's local time for a file's own time, as
// Windows shows it. Clamped to the years FAT can hold.
std::pair<std::uint16_t, std::uint16_t> fatTime(std::int64_t seconds, bool utc);

// Gives the directory entry at at its dates of creation, last reading and
// writing.
void putFatDates(std::string& entry, std::size_t at, std::pair<std::uint16_t, std::uint16_t> when);

// Appends a short-name directory entry, or the long-name entries of a
// name (before its short entry, last part first), to out.
void putFatShortEntry(std::string& out, const ShortName& name, std::uint8_t attributes,
                      std::uint32_t cluster, std::uint32_t size,
                      std::pair<std::uint16_t, std::uint16_t> when);
void putFatLongEntries(std::string& out, const FatName& name);

} // namespace ornibe
