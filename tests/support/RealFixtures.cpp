#include "support/RealFixtures.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace ornibe::test {
namespace {

bool required(const HostEnvironment& environment) {
    return environment.value("ORNIBE_REQUIRE_REAL_FIXTURES") == "1";
}

// GTEST_SKIP() and GTEST_FAIL() return from the function they are written in.
void skipOrFail(const std::string& why, const HostEnvironment& environment) {
    if (required(environment)) {
        GTEST_FAIL() << why << " (ORNIBE_REQUIRE_REAL_FIXTURES=1)";
    }
    GTEST_SKIP() << why;
}

} // namespace

std::string realFixtures(const HostEnvironment& environment) {
    return environment.nonEmpty("ORNIBE_REAL_FIXTURES").value_or(ORNIBE_REAL_FIXTURES_DEFAULT);
}

std::string realFixture(std::string_view relative, const HostEnvironment& environment) {
    return realFixtures(environment) + "/" + std::string(relative);
}

bool requireRealFixture(std::string_view relative, const HostEnvironment& environment) {
    std::string path = realFixture(relative, environment);
    struct stat status {};
    if (stat(path.c_str(), &status) == 0) {
        return true;
    }
    skipOrFail("real fixture not found: " + path +
                   " (ORNIBE_REAL_FIXTURES names the folder of real fixtures)",
               environment);
    return false;
}

} // namespace ornibe::test
