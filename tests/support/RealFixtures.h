#pragma once

#include "support/TestEnvironment.h"

#include <string>
#include <string_view>

namespace ornibe::test {

// Real files from outside the project (vendors' driver INFs, the setup files
// of a real text-mode setup tree) are read where they stand: in the folder
// that the environment variable ORNIBE_REAL_FIXTURES names when the tests
// run, or else in ../shared/fixtures/real beside the checkout. The
// variables are read from environment, the test program's own by default.
std::string realFixtures(const HostEnvironment& environment = hostEnvironment());

// realFixtures()/relative.
std::string realFixture(std::string_view relative,
                        const HostEnvironment& environment = hostEnvironment());

// True when realFixture(relative) is there. Otherwise the running test is
// skipped with the missing path named, or fails instead when
// ORNIBE_REQUIRE_REAL_FIXTURES=1 (as in CI, so that a lost folder cannot
// pass as skipped), and the answer is false. Call it from a fixture's
// SetUp(): the test body then does not run; code after the call in SetUp()
// must return when it answers false.
bool requireRealFixture(std::string_view relative,
                        const HostEnvironment& environment = hostEnvironment());

} // namespace ornibe::test
