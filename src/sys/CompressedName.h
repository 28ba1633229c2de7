#pragma once

#include <string>
#include <string_view>

namespace ornibe {

// The name Windows setup gives the compressed form of a file: its name (or
// path) with the last character replaced by "_" (x.sys becomes x.sy_).
inline std::string compressedName(std::string_view name) {
    std::string compressed(name);
    if (!compressed.empty()) {
        compressed.back() = '_';
    }
    return compressed;
}

} // namespace ornibe
