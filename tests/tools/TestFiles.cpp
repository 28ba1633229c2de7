#include "TestFiles.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace ornibe::test {

std::vector<std::string> listTree(const std::string& root) {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string relative = fs::relative(entry.path(), root).string();
        entries.push_back(entry.is_directory() ? relative + "/" : relative);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string noiseBytes(size_t size, std::uint32_t seed) {
    std::string bytes(size, '\0');
    std::uint32_t state = seed * 2654435761u + 1;
    for (char& c : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = static_cast<char>(state & 0xFF);
    }
    return bytes;
}

std::string textBytes(size_t size) {
    std::string bytes;
    for (int line = 0; bytes.size() < size; ++line) {
        bytes += "HKR,,DriverDesc,,\"Controller " + std::to_string(line) + "\"\r\n";
    }
    bytes.resize(size);
    return bytes;
}

} // namespace ornibe::test
