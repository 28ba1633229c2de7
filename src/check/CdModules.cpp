#include "check/CdModules.h"

#include <cstdint>

namespace ornibe {

std::string CdModules::key(std::string_view folded, std::string_view bytes) {
    // The 64-bit FNV-1a hash of the bytes, with their count: files that
    // differ in their bytes get different keys.
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (char byte : bytes) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 0x100000001B3ull;
    }
    return std::string(folded) + '\0' + std::to_string(bytes.size()) + '\0' + std::to_string(hash);
}

const std::optional<PeImage>* CdModules::find(const std::string& key) const {
    auto found = modules_.find(key);
    return found == modules_.end() ? nullptr : &found->second;
}

void CdModules::add(const std::string& key, std::optional<PeImage> image) {
    modules_.insert_or_assign(key, std::move(image));
}

} // namespace ornibe
