#include "source/TargetDetection.h"

#include <gtest/gtest.h>

using namespace ornibe;

TEST(TargetDetection, later_match_wins_case_matters_and_x64_is_build_3790) {
    const Architecture x86 = Architecture::X86;
    EXPECT_EQ(detectTarget("Windows XP Professional", x86),
              (WindowsTarget{WindowsVersion::WindowsXp, x86, "2600"}));
    EXPECT_EQ(detectTarget("Windows 2000 or 2003", x86),
              (WindowsTarget{WindowsVersion::Server2003, x86, "3790"}));
    EXPECT_EQ(detectTarget("Windows 2000", x86),
              (WindowsTarget{WindowsVersion::Windows2000, x86, "2195"}));
    EXPECT_EQ(detectTarget("Windows XP Professional x64 Edition", Architecture::Amd64),
              (WindowsTarget{WindowsVersion::WindowsXp, Architecture::Amd64, "3790"}));
    // No match: nothing known but the architecture.
    EXPECT_EQ(detectTarget("windows xp", Architecture::Amd64),
              (WindowsTarget{WindowsVersion::Unknown, Architecture::Amd64, ""}));
}
