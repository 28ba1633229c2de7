#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ornibe::test {

// Every file and folder below root, as paths relative to root, folders
// with a trailing "/", sorted.
std::vector<std::string> listTree(const std::string& root);

// size bytes that do not compress: the same for the same seed.
std::string noiseBytes(size_t size, std::uint32_t seed);

// size bytes of setup-file-like text that compresses well.
std::string textBytes(size_t size);

} // namespace ornibe::test
