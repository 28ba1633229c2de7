#include "support/RealFixtures.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

namespace ornibe::test {
namespace {

bool required() {
    const char* value = std::getenv("ORNIBE_REQUIRE_REAL_FIXTURES");
    return value != nullptr && std::string_view(value) == "1";
}

// GTEST_SKIP() and GTEST_FAIL() return from the function they are written in.
void skipOrFail(const std::string& why) {
    if (required()) {
        GTEST_FAIL() << why << " (ORNIBE_REQUIRE_REAL_FIXTURES=1)";
    }
    GTEST_SKIP() << why;
}

} // namespace

std::string realFixtures() {
    const char* folder = std::getenv("ORNIBE_REAL_FIXTURES");
    if (folder != nullptr && *folder != '\0') {
        return folder;
    }
    return ORNIBE_REAL_FIXTURES_DEFAULT;
}

std::string realFixture(std::string_view relative) {
    return realFixtures() + "/" + std::string(relative);
}

bool requireRealFixture(std::string_view relative) {
    std::string path = realFixture(relative);
    struct stat status {};
    if (stat(path.c_str(), &status) == 0) {
        return true;
    }
    skipOrFail("real fixture not found: " + path +
               " (ORNIBE_REAL_FIXTURES names the folder of real fixtures)");
    return false;
}

} // namespace ornibe::test
