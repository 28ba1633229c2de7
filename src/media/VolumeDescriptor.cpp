#include "media/VolumeDescriptor.h"

#include <string_view>

namespace ornibe {

bool hasIso9660Signature(const std::string& path) {
    // Any descriptor but the set's terminator is the start of a set.
    Result<ImageDevice> device = ImageDevice::open(path);
    return device && device->findDescriptor([](const unsigned char*) { return true; });
}

std::optional<std::string> readIso9660Label(const ImageDevice& device) {
    std::optional<std::string> label;
    device.findDescriptor([&](const unsigned char* sector) {
        if (sector[0] != 1) {
            return false;
        }
        // The primary volume descriptor (type 1) holds the identifier in
        // 32 bytes padded at the end: with spaces, or with NULs as some
        // writers pad it. It is read as text that ends at a NUL, as
        // libisofs reads it, without the spaces at its end.
        std::string_view field(reinterpret_cast<const char*>(sector) + 40, 32);
        field = field.substr(0, field.find('\0'));
        while (!field.empty() && field.back() == ' ') {
            field.remove_suffix(1);
        }
        label.emplace(field);
        return true;
    });
    return label;
}

std::optional<std::string> readIso9660Label(const std::string& path) {
    Result<ImageDevice> device = ImageDevice::open(path);
    return device ? readIso9660Label(*device) : std::nullopt;
}

} // namespace ornibe
