#include "support/FileAssertions.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace ornibe::test {
namespace {

bool readAll(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    out = content.str();
    return true;
}

} // namespace

std::string visibleBytes(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out;
}

::testing::AssertionResult fileEndsWith(const std::string& path, std::string_view tail) {
    std::string content;
    if (!readAll(path, content)) {
        return ::testing::AssertionFailure() << "cannot read " << path;
    }
    if (content.size() >= tail.size() &&
        std::string_view(content).substr(content.size() - tail.size()) == tail) {
        return ::testing::AssertionSuccess();
    }
    size_t shown = std::min(content.size(), tail.size() + 16);
    return ::testing::AssertionFailure()
           << path << " ends with \"" << visibleBytes(content.substr(content.size() - shown))
           << "\", expected the end \"" << visibleBytes(tail) << "\"";
}

::testing::AssertionResult fileHolds(const std::string& path, std::string_view bytes) {
    std::string content;
    if (!readAll(path, content)) {
        return ::testing::AssertionFailure() << "cannot read " << path;
    }
    if (content == bytes) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << path << " holds \"" << visibleBytes(content)
                                         << "\", expected \"" << visibleBytes(bytes) << "\"";
}

TreeSnapshot snapshotTree(const std::string& root) {
    namespace fs = std::filesystem;
    TreeSnapshot snapshot;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
         it.increment(error)) {
        const std::string path = it->path().string();
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            continue;
        }
        std::string entry = std::to_string(st.st_mode) + " " + std::to_string(st.st_mtim.tv_sec) +
                            "." + std::to_string(st.st_mtim.tv_nsec) + " ";
        if (S_ISLNK(st.st_mode)) {
            entry += fs::read_symlink(it->path(), error).string();
        } else if (S_ISREG(st.st_mode)) {
            std::ifstream in(path, std::ios::binary);
            entry.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        snapshot[fs::relative(it->path(), root).string()] = entry;
    }
    return snapshot;
}

} // namespace ornibe::test
