#include "sys/WindowsProgram.h"

#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"

#include <cstdint>

namespace ornibe {
namespace {

std::uint32_t littleEndian(const std::string& bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value |= std::uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return value;
}

std::string resolved(const std::string& path) {
    return realPath(path).value_or(path);
}

} // namespace

bool startsWithMz(const std::string& path) {
    return peekFile(path, 2) == "MZ";
}

// Where the PE signature lies: the offset that the DOS header gives.
static std::optional<std::uint32_t> peHeaderOffset(const std::string& path) {
    std::string dos = peekFile(path, 0x40);
    if (dos.size() < 0x40 || dos.compare(0, 2, "MZ") != 0) {
        return std::nullopt;
    }
    return littleEndian(dos, 0x3C, 4);
}

bool isPe32Plus(const std::string& path) {
    std::optional<std::uint32_t> offset = peHeaderOffset(path);
    if (!offset) {
        return false;
    }
    // The 4-byte signature, the 20-byte file header, then the optional
    // header, which begins with its magic.
    std::string pe = peekFile(path, 26, *offset);
    return pe.size() == 26 && pe.compare(0, 4, std::string("PE\0\0", 4)) == 0 &&
           littleEndian(pe, 24, 2) == 0x20B;
}

std::optional<std::uint16_t> peMachineType(const std::string& path) {
    std::optional<std::uint32_t> start = peHeaderOffset(path);
    if (!start) {
        return std::nullopt;
    }
    std::uint32_t offset = *start;
    std::string pe = peekFile(path, 6, offset);
    if (pe.size() < 6 || pe.compare(0, 4, std::string("PE\0\0", 4)) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(littleEndian(pe, 4, 2));
}

std::optional<std::uint16_t> peMachineTypeOf(std::string_view bytes) {
    if (bytes.size() < 0x40 || !bytes.starts_with("MZ")) {
        return std::nullopt;
    }
    const std::string dos(bytes.substr(0, 0x40));
    const std::uint64_t offset = littleEndian(dos, 0x3C, 4);
    if (bytes.size() < offset + 6 || bytes.substr(offset, 4) != std::string_view("PE\0\0", 4)) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(littleEndian(std::string(bytes.substr(offset, 6)), 4, 2));
}

bool isElf32(const std::string& path) {
    // EI_CLASS, the fifth byte, is 1 for ELFCLASS32.
    return peekFile(path, 5) == std::string("\x7F"
                                            "ELF\x01");
}

std::string wine32Loader(const std::string& winePath) {
    if (winePath.empty()) {
        return {};
    }
    std::string wine = resolved(winePath);
    if (isElf32(wine)) {
        return wine;
    }
    std::string bin = folderPart(wine);
    for (const std::string& candidate :
         {joinPath(bin, "wine32"), joinPath(folderPart(bin), "lib/wine/wine")}) {
        if (isElf32(resolved(candidate))) {
            return candidate;
        }
    }
    return {};
}

} // namespace ornibe
