#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
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

} // namespace ornibe
