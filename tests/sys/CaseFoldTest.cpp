#include "sys/CaseFold.h"

#include <gtest/gtest.h>

using namespace ornibe;

TEST(CaseFold, host_text_folds_ascii_letters_only) {
    EXPECT_TRUE(equalsHostNoCase("/Drv/A.inf", "/drv/a.INF"));
    EXPECT_FALSE(equalsHostNoCase("Ä", "ä"));
    EXPECT_FALSE(equalsHostNoCase("a", "a "));
    EXPECT_LT(compareHostNoCase("a", "B"), 0);
    EXPECT_GT(compareHostNoCase("ab", "A"), 0);
    EXPECT_EQ(compareHostNoCase("", ""), 0);
    EXPECT_EQ(foldHostText("aZ-ä"), "AZ-ä");
}

TEST(CaseFold, setup_text_never_folds_a_trail_byte) {
    // 0x82 0x61 and 0x82 0x41 are two different double-byte characters.
    EXPECT_FALSE(equalsSetupNoCase("\x82\x61", "\x82\x41"));
    EXPECT_TRUE(equalsSetupNoCase("\x82\x61z", "\x82\x61Z"));
    EXPECT_EQ(foldSetupText("ab\x82\x61"
                            "c"),
              "AB\x82\x61"
              "C");
    EXPECT_TRUE(equalsSetupNoCase("ScsiPort", "SCSIPORT"));
    EXPECT_EQ(compareSetupNoCase("a", "b"), -1);
    // A lead byte at the very end is a broken character; it compares as a byte.
    EXPECT_EQ(foldSetupText("a\x82"), "A\x82");
    EXPECT_TRUE(equalsSetupNoCase(std::string("a\0b", 3), std::string("A\0B", 3)));
}

TEST(CaseFold, backslash_test_looks_at_the_last_whole_character) {
    EXPECT_TRUE(endsWithBackslashCp932("C:\\"));
    EXPECT_FALSE(endsWithBackslashCp932("C:\\\x95\x5C")); // "表"
    EXPECT_TRUE(endsWithBackslashCp932("\x95\x5C\\"));
    EXPECT_FALSE(endsWithBackslashCp932(""));
    EXPECT_TRUE(endsWithSlash("/a/"));
    EXPECT_FALSE(endsWithSlash("/a"));
    EXPECT_FALSE(endsWithSlash(""));
}
