#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace ornibe::test {

// The stand-in Windows drivers and CD modules that tests/standin builds
// with mingw-w64: X86/ORCLEAN.SYS, X86/cd/NTOSKRNL.EXE and the like. Empty
// when the build found no mingw-w64.
inline const std::string kStandIns = ORNIBE_STANDIN_DIR;

inline std::string standIn(std::string_view relative) {
    return kStandIns + "/" + std::string(relative);
}

// Skips the running test, naming what is missing, when the stand-ins were
// not built; call it as `if (!haveStandIns()) GTEST_SKIP() << ...` does,
// from SetUp() or a test's start.
#define ORNIBE_REQUIRE_STAND_INS()                                                                 \
    if (::ornibe::test::kStandIns.empty())                                                         \
    GTEST_SKIP() << "the mingw-w64 cross compilers (Debian package mingw-w64) were not found "     \
                    "when the build was configured"

} // namespace ornibe::test
