#include "support/RealFixtures.h"

#include "support/TempDir.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

namespace ornibe::test {
namespace {

TEST(RealFixtures, the_folder_is_read_from_the_environment_when_asked) {
    TempDir dir;
    dir.write("drivers/a.inf", "x");
    const HostEnvironment named = hostEnvironment().with("ORNIBE_REAL_FIXTURES", dir.path());
    EXPECT_EQ(realFixtures(named), dir.path());
    EXPECT_EQ(realFixture("drivers/a.inf", named), dir / "drivers/a.inf");
    EXPECT_TRUE(requireRealFixture("drivers/a.inf", named));
    EXPECT_TRUE(requireRealFixture("drivers", named));
    EXPECT_FALSE(::testing::Test::IsSkipped());
    // Unset or empty, it is the folder beside the checkout.
    const std::string beside =
        std::filesystem::path(std::string(ORNIBE_SOURCE_DIR) + "/../shared/fixtures/real")
            .lexically_normal()
            .string();
    for (const HostEnvironment& unnamed : {hostEnvironment().without("ORNIBE_REAL_FIXTURES"),
                                           hostEnvironment().with("ORNIBE_REAL_FIXTURES", "")}) {
        EXPECT_EQ(std::filesystem::path(realFixtures(unnamed)).lexically_normal(), beside);
    }
}

TEST(RealFixtures, a_missing_fixture_fails_the_test_with_its_path_when_they_are_required) {
    // The statement of EXPECT_FATAL_FAILURE cannot name a local variable.
    EXPECT_FATAL_FAILURE(requireRealFixture("setup/no-such-tree",
                                            hostEnvironment()
                                                .with("ORNIBE_REAL_FIXTURES", "/nonexistent-ornibe")
                                                .with("ORNIBE_REQUIRE_REAL_FIXTURES", "1")),
                         "/setup/no-such-tree (ORNIBE_REAL_FIXTURES names the folder");
}

} // namespace
} // namespace ornibe::test
