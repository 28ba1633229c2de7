#include "inf/PeImage.h"
#include "sys/Translation.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace ornibe {

namespace {

// The offsets of the PE/COFF format that the reader uses. The optional
// header is PE32 (magic 0x10B) or PE32+ (0x20B); the two differ in where
// the data directories start.
constexpr std::size_t kDosNewHeaderOffset = 0x3C;
constexpr std::size_t kCoffHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::size_t kImportDescriptorSize = 20;
constexpr std::size_t kExportDirectorySize = 40;

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t virtualSize;
    std::uint32_t rawSize;
    std::uint32_t rawOffset;
};

// Little-endian reads that say when the bytes run out, and the address
// map from the image's RVAs to the file's offsets.
class ImageBytes {
public:
    explicit ImageBytes(std::string_view bytes) : bytes_(bytes) {}

    std::optional<std::uint64_t> read(std::size_t offset, std::size_t width) const {
        if (offset > bytes_.size() || bytes_.size() - offset < width)
            return std::nullopt;
        std::uint64_t value = 0;
        for (std::size_t i = width; i-- > 0;)
            value = value << 8 | static_cast<unsigned char>(bytes_[offset + i]);
        return value;
    }
    std::optional<std::uint32_t> u16(std::size_t offset) const {
        auto value = read(offset, 2);
        return value ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*value))
                     : std::nullopt;
    }
    std::optional<std::uint32_t> u32(std::size_t offset) const {
        auto value = read(offset, 4);
        return value ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*value))
                     : std::nullopt;
    }

    // The file offset of rva, when a section (or the headers) holds at
    // least width bytes from it in the file.
    std::optional<std::size_t> offsetOf(std::uint32_t rva, std::size_t width = 1) const {
        if (rva < headersSize_ && rva + width <= bytes_.size())
            return rva;
        for (const Section& section : sections_) {
            std::uint64_t start = section.virtualAddress;
            std::uint64_t span = std::max(section.virtualSize, section.rawSize);
            if (rva < start || rva - start >= span)
                continue;
            std::uint64_t inSection = rva - start;
            if (inSection + width > section.rawSize)
                return std::nullopt;
            std::uint64_t offset = std::uint64_t{section.rawOffset} + inSection;
            if (offset + width > bytes_.size())
                return std::nullopt;
            return static_cast<std::size_t>(offset);
        }
        return std::nullopt;
    }

    // The NUL-ended name at rva, at most kPeMaxNameLength bytes long.
    std::optional<std::string> nameAt(std::uint32_t rva) const {
        auto offset = offsetOf(rva);
        if (!offset)
            return std::nullopt;
        std::string_view rest = bytes_.substr(*offset, kPeMaxNameLength + 1);
        std::size_t end = rest.find('\0');
        if (end == std::string_view::npos || end == 0)
            return std::nullopt;
        return std::string(rest.substr(0, end));
    }

    std::vector<Section> sections_;
    std::uint32_t headersSize_ = 0;

private:
    std::string_view bytes_;
};

Failure malformed(const std::string& path, const std::string& why) {
    return {"read", path, translated("Windows のドライバーとして読めません（%1）", {why})};
}

struct DataDirectory {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
};

std::optional<Failure> readImports(const ImageBytes& image, DataDirectory directory, bool wide,
                                   const std::string& path, PeImage& pe) {
    if (directory.rva == 0)
        return std::nullopt;
    for (std::size_t index = 0;; ++index) {
        if (index >= kPeMaxImportedModules)
            return malformed(path, translated("取り込むモジュールが多すぎます"));
        auto entry = image.offsetOf(
            static_cast<std::uint32_t>(directory.rva + index * kImportDescriptorSize),
            kImportDescriptorSize);
        if (!entry)
            return malformed(path, translated("取り込みの表がファイルの外を指しています"));
        std::uint32_t lookup = *image.u32(*entry);
        std::uint32_t nameRva = *image.u32(*entry + 12);
        std::uint32_t addresses = *image.u32(*entry + 16);
        if (lookup == 0 && nameRva == 0 && addresses == 0)
            return std::nullopt;
        auto name = image.nameAt(nameRva);
        if (!name)
            return malformed(path, translated("取り込むモジュールの名前が読めません"));
        PeImportedModule module{*name, {}, {}};
        std::uint32_t table = lookup != 0 ? lookup : addresses;
        std::size_t width = wide ? 8 : 4;
        for (std::size_t slot = 0;; ++slot) {
            if (slot >= kPeMaxImportsPerModule)
                return malformed(path, translated("%1 から取り込む関数が多すぎます", {*name}));
            auto at = image.offsetOf(static_cast<std::uint32_t>(table + slot * width), width);
            if (!at)
                return malformed(
                    path, translated("%1 の取り込みの表がファイルの外を指しています", {*name}));
            std::uint64_t value = *image.read(*at, width);
            if (value == 0)
                break;
            std::uint64_t ordinalFlag = std::uint64_t{1} << (width * 8 - 1);
            if (value & ordinalFlag) {
                module.ordinals.push_back(static_cast<std::uint32_t>(value & 0xFFFF));
                continue;
            }
            auto function = image.nameAt(static_cast<std::uint32_t>(value & 0x7FFFFFFF) + 2);
            if (!function)
                return malformed(path,
                                 translated("%1 から取り込む関数の名前が読めません", {*name}));
            module.functions.push_back(std::move(*function));
        }
        pe.imports.push_back(std::move(module));
    }
}

std::optional<Failure> readExports(const ImageBytes& image, DataDirectory directory,
                                   const std::string& path, PeImage& pe) {
    if (directory.rva == 0)
        return std::nullopt;
    auto table = image.offsetOf(directory.rva, kExportDirectorySize);
    if (!table)
        return malformed(path, translated("公開の表がファイルの外を指しています"));
    std::uint32_t ordinalBase = *image.u32(*table + 16);
    std::uint32_t addressCount = *image.u32(*table + 20);
    std::uint32_t nameCount = *image.u32(*table + 24);
    std::uint32_t addressTable = *image.u32(*table + 28);
    std::uint32_t nameTable = *image.u32(*table + 32);
    if (addressCount > kPeMaxExports || nameCount > kPeMaxExports)
        return malformed(path, translated("公開する関数が多すぎます"));
    for (std::uint32_t i = 0; i < addressCount; ++i) {
        auto at = image.offsetOf(addressTable + i * 4, 4);
        if (!at)
            return malformed(path, translated("公開の表がファイルの外を指しています"));
        if (*image.u32(*at) != 0)
            pe.exportOrdinals.push_back(ordinalBase + i);
    }
    for (std::uint32_t i = 0; i < nameCount; ++i) {
        auto at = image.offsetOf(nameTable + i * 4, 4);
        if (!at)
            return malformed(path, translated("公開の表がファイルの外を指しています"));
        auto name = image.nameAt(*image.u32(*at));
        if (!name)
            return malformed(path, translated("公開する関数の名前が読めません"));
        pe.exportNames.push_back(std::move(*name));
    }
    std::sort(pe.exportNames.begin(), pe.exportNames.end());
    return std::nullopt;
}

} // namespace

bool PeImage::exports(std::string_view function) const {
    return std::binary_search(exportNames.begin(), exportNames.end(), function);
}

Result<PeImage> readPeImage(std::string_view bytes, const std::string& path) {
    ImageBytes image(bytes);
    if (bytes.substr(0, 2) != "MZ")
        return malformed(path, translated("MZ の印がありません"));
    auto peOffset = image.u32(kDosNewHeaderOffset);
    if (!peOffset || *peOffset > bytes.size() ||
        bytes.substr(*peOffset, 4) != std::string_view("PE\0\0", 4))
        return malformed(path, translated("PE の印がありません"));
    std::size_t coff = *peOffset + 4;
    auto machine = image.u16(coff);
    auto sectionCount = image.u16(coff + 2);
    auto optionalSize = image.u16(coff + 16);
    if (!machine || !sectionCount || !optionalSize)
        return malformed(path, translated("ヘッダーが途中で切れています"));
    if (*sectionCount > kPeMaxSections)
        return malformed(path, translated("セクションが多すぎます"));
    std::size_t optional = coff + kCoffHeaderSize;
    auto magic = image.u16(optional);
    if (!magic || (*magic != kMagicPe32 && *magic != kMagicPe32Plus))
        return malformed(path, translated("オプションヘッダーの種類が分かりません"));
    bool wide = *magic == kMagicPe32Plus;
    std::size_t directoryCountAt = optional + (wide ? 108 : 92);
    std::size_t directoriesAt = directoryCountAt + 4;
    auto subsystemMajor = image.u16(optional + 48);
    auto subsystemMinor = image.u16(optional + 50);
    auto headersSize = image.u32(optional + 60);
    auto directoryCount = image.u32(directoryCountAt);
    if (!subsystemMajor || !subsystemMinor || !headersSize || !directoryCount ||
        directoriesAt > optional + *optionalSize)
        return malformed(path, translated("ヘッダーが途中で切れています"));

    PeImage pe;
    pe.machine = static_cast<std::uint16_t>(*machine);
    pe.subsystemMajor = static_cast<std::uint16_t>(*subsystemMajor);
    pe.subsystemMinor = static_cast<std::uint16_t>(*subsystemMinor);

    std::size_t sectionsAt = optional + *optionalSize;
    for (std::size_t i = 0; i < *sectionCount; ++i) {
        std::size_t at = sectionsAt + i * kSectionHeaderSize;
        auto rawOffset = image.u32(at + 20);
        if (!rawOffset)
            return malformed(path, translated("セクションの表が途中で切れています"));
        image.sections_.push_back(
            {*image.u32(at + 12), *image.u32(at + 8), *image.u32(at + 16), *rawOffset});
    }
    image.headersSize_ = std::min<std::uint32_t>(
        *headersSize, static_cast<std::uint32_t>(sectionsAt + *sectionCount * kSectionHeaderSize));

    // The export table is directory 0, the import directory 1; a slot
    // beyond the count the header gives is absent.
    DataDirectory directories[2];
    for (std::uint32_t i = 0; i < 2 && i < *directoryCount; ++i) {
        std::size_t at = directoriesAt + i * 8;
        if (at + 8 > optional + *optionalSize)
            break;
        auto rva = image.u32(at);
        auto size = image.u32(at + 4);
        if (!rva || !size)
            return malformed(path, translated("ヘッダーが途中で切れています"));
        directories[i] = {*rva, *size};
    }
    if (auto failure = readExports(image, directories[0], path, pe))
        return *failure;
    if (auto failure = readImports(image, directories[1], wide, path, pe))
        return *failure;
    return pe;
}

bool looksLikePeImage(std::string_view bytes) {
    auto peOffset = ImageBytes(bytes).u32(kDosNewHeaderOffset);
    return bytes.substr(0, 2) == "MZ" && peOffset && *peOffset <= bytes.size() &&
           bytes.substr(*peOffset, 4) == std::string_view("PE\0\0", 4);
}

std::string peMachineName(std::uint16_t machine) {
    if (machine == kPeMachineX86)
        return "x86";
    if (machine == kPeMachineX64)
        return "x64";
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", machine);
    return text;
}

} // namespace ornibe
