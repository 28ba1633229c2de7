#include "support/RealFixtures.h"

#include "support/TempDir.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace ornibe::test {
namespace {

// Sets an environment variable, or removes it, for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* before = std::getenv(name)) {
            before_ = before;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (before_) {
            setenv(name_, before_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> before_;
};

TEST(RealFixtures, the_folder_is_read_from_the_environment_when_asked) {
    TempDir dir;
    dir.write("drivers/a.inf", "x");
    {
        ScopedEnv folder("ORNIBE_REAL_FIXTURES", dir.path().c_str());
        EXPECT_EQ(realFixtures(), dir.path());
        EXPECT_EQ(realFixture("drivers/a.inf"), dir / "drivers/a.inf");
        EXPECT_TRUE(requireRealFixture("drivers/a.inf"));
        EXPECT_TRUE(requireRealFixture("drivers"));
        EXPECT_FALSE(::testing::Test::IsSkipped());
    }
    // Unset or empty, it is the folder beside the checkout.
    const std::string beside =
        std::filesystem::path(std::string(ORNIBE_SOURCE_DIR) + "/../shared/fixtures/real")
            .lexically_normal()
            .string();
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        ScopedEnv folder("ORNIBE_REAL_FIXTURES", value);
        EXPECT_EQ(std::filesystem::path(realFixtures()).lexically_normal(), beside);
    }
}

TEST(RealFixtures, a_missing_fixture_fails_the_test_with_its_path_when_they_are_required) {
    TempDir dir;
    ScopedEnv folder("ORNIBE_REAL_FIXTURES", dir.path().c_str());
    ScopedEnv require("ORNIBE_REQUIRE_REAL_FIXTURES", "1");
    EXPECT_FATAL_FAILURE(requireRealFixture("setup/no-such-tree"),
                         "/setup/no-such-tree (ORNIBE_REAL_FIXTURES names the folder");
}

} // namespace
} // namespace ornibe::test
