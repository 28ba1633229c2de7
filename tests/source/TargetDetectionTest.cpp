#include "source/TargetDetection.h"

#include <gtest/gtest.h>

using namespace ornibe;

TEST(TargetDetection, later_match_wins_and_case_matters) {
    std::optional<DetectedVersion> found = detectTarget("Windows XP Professional");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->versionCode, '1');
    EXPECT_EQ(found->buildNumber, "2600");
    found = detectTarget("Windows 2000 or 2003");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->versionCode, '2');
    EXPECT_EQ(found->buildNumber, "3790");
    found = detectTarget("Windows 2000");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->versionCode, '0');
    EXPECT_EQ(found->buildNumber, "2195");
    EXPECT_FALSE(detectTarget("windows xp")); // no match
}
