#include "inf/WindowsTarget.h"

#include <gtest/gtest.h>

using namespace ornibe;

TEST(WindowsTarget, digits_spell_each_version_and_read_back) {
    EXPECT_EQ(versionDigit(WindowsVersion::Windows2000), '0');
    EXPECT_EQ(versionDigit(WindowsVersion::WindowsXp), '1');
    EXPECT_EQ(versionDigit(WindowsVersion::Server2003), '2');
    EXPECT_EQ(versionDigit(WindowsVersion::Unknown), '?');
    for (WindowsVersion version : {WindowsVersion::Windows2000, WindowsVersion::WindowsXp,
                                   WindowsVersion::Server2003, WindowsVersion::Unknown}) {
        EXPECT_EQ(versionOfDigit(versionDigit(version)), version);
    }
    // No other character names a version.
    for (char other : {'3', '9', 'x', ' ', '\0'}) {
        EXPECT_EQ(versionOfDigit(other), WindowsVersion::Unknown) << other;
    }
}
