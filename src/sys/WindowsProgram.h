#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ornibe {

// What a Windows program file is, read from its headers, and whether the
// Wine found on this machine can run it.

// IMAGE_FILE_MACHINE_I386: a 32-bit x86 program, as every Service Pack
// installer of Windows 2000, XP and Server 2003 for x86 is.
constexpr std::uint16_t kMachineI386 = 0x014C;

// IMAGE_FILE_MACHINE_AMD64: an x64 program, as the Service Pack of XP x64
// and Server 2003 x64 is.
constexpr std::uint16_t kMachineAmd64 = 0x8664;

// A PE32+ program (the optional header's magic 0x20B, the form of every
// 64-bit Windows program) rather than PE32 (0x10B) or no PE program.
bool isPe32Plus(const std::string& path);

// A file that begins with the two bytes "MZ" of a DOS or Windows program.
bool startsWithMz(const std::string& path);

// The Machine field of the file's PE header (the "PE\0\0" signature at the
// offset that the DOS header gives at 0x3C); nothing when the file is not
// a PE program.
std::optional<std::uint16_t> peMachineType(const std::string& path);
// The same for a program's bytes held in memory.
std::optional<std::uint16_t> peMachineTypeOf(std::string_view bytes);

// An ELF file of the 32-bit class.
bool isElf32(const std::string& path);

// The loader that runs 32-bit Windows programs for the wine program at
// winePath: winePath itself (links followed) when it is a 32-bit ELF
// program, otherwise a 32-bit "wine" beside it or in the lib/wine folder
// next to its bin folder (Debian's wine32 puts it in /usr/lib/wine). The
// empty text when there is none: only the 64-bit Wine is installed, and a
// 32-bit program crashes inside it.
std::string wine32Loader(const std::string& winePath);

} // namespace ornibe
