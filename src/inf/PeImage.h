#pragma once

#include "sys/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// What a Windows driver or kernel module says about how it is loaded, read
// from its PE image: the machine it was built for, the Windows version its
// subsystem fields ask for, the modules and functions it imports and the
// functions it exports.

inline constexpr std::uint16_t kPeMachineX86 = 0x014C;
inline constexpr std::uint16_t kPeMachineX64 = 0x8664;

// One module of the import directory, with the functions the image takes
// from it: by name, or by ordinal only.
struct PeImportedModule {
    std::string name;
    std::vector<std::string> functions;
    std::vector<std::uint32_t> ordinals;
};

struct PeImage {
    std::uint16_t machine = 0;
    std::uint16_t subsystemMajor = 0;
    std::uint16_t subsystemMinor = 0;
    std::vector<PeImportedModule> imports;
    // The export table: every exported name (sorted, as the table holds
    // them) and every ordinal it gives an address for.
    std::vector<std::string> exportNames;
    std::vector<std::uint32_t> exportOrdinals;

    bool exports(std::string_view function) const;
};

// The limits the reader keeps: an image past them is refused rather than
// read at length.
inline constexpr std::size_t kPeMaxSections = 96;
inline constexpr std::size_t kPeMaxImportedModules = 256;
inline constexpr std::size_t kPeMaxImportsPerModule = 8192;
inline constexpr std::size_t kPeMaxExports = 65536;
inline constexpr std::size_t kPeMaxNameLength = 512;

// Reads the image held in bytes, never past their end. A malformed image
// (no MZ or PE signature, a table that points outside the file, more
// entries than the limits above) fails with the reason in Japanese; path
// only names the file in the failure.
Result<PeImage> readPeImage(std::string_view bytes, const std::string& path);

// Whether the bytes start as a PE image does (the MZ signature, and the
// PE signature where the MZ header points): a file without them is no
// Windows binary at all, rather than a damaged one.
bool looksLikePeImage(std::string_view bytes);

// "x86", "x64" or the machine's number in hexadecimal.
std::string peMachineName(std::uint16_t machine);

} // namespace ornibe
