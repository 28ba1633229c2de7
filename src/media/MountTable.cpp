#include "media/MountTable.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string_view>

namespace ornibe {
namespace {

bool isOctal(char c) {
    return c >= '0' && c <= '7';
}

// Mount tables write space, tab, newline and backslash as \ooo.
std::string unescapeOctal(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && text.size() - i >= 4 && isOctal(text[i + 1]) &&
            isOctal(text[i + 2]) && isOctal(text[i + 3])) {
            out +=
                char(((text[i + 1] - '0') << 6) | ((text[i + 2] - '0') << 3) | (text[i + 3] - '0'));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::vector<Mount> readMounts(const std::string& mountInfo) {
    std::vector<Mount> mounts;
    std::ifstream in(mountInfo);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<std::string> parts;
        std::string part;
        while (fields >> part) {
            parts.push_back(part);
        }
        auto dash = std::find(parts.begin(), parts.end(), "-");
        if (parts.size() < 5 || dash == parts.end() || parts.end() - dash < 3) {
            continue;
        }
        mounts.push_back(
            {parts[2], unescapeOctal(parts[4]), *(dash + 1), unescapeOctal(*(dash + 2))});
    }
    return mounts;
}

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

bool isCdFileSystem(const std::string& fsType) {
    return fsType == "iso9660" || fsType == "udf";
}

} // namespace ornibe
