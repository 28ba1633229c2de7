#include "sys/TextEncoding.h"

#include <gtest/gtest.h>

using namespace ornibe;

namespace {
// "日本語" in code page 932 and "表" whose trail byte is 0x5C.
const std::string kNihongoSjis = "\x93\xFA\x96\x7B\x8C\xEA";
const std::string kHyouSjis = "\x95\x5C";
} // namespace

TEST(TextEncoding, utf8_and_cp932_round_trip_japanese_and_ascii) {
    EXPECT_EQ(utf8ToCp932("日本語 ABC"), kNihongoSjis + " ABC");
    EXPECT_EQ(cp932ToUtf8(kNihongoSjis + " ABC"), "日本語 ABC");
    EXPECT_EQ(cp932ToUtf8(kHyouSjis + "\\"), "表\\");
    // Half-width katakana are single bytes in code page 932.
    EXPECT_EQ(utf8ToCp932("ﾊﾞｰｼﾞｮﾝ"), "\xCA\xDE\xB0\xBC\xDE\xAE\xDD");
}

TEST(TextEncoding, unmappable_or_invalid_input_gives_a_replacement_not_a_crash) {
    EXPECT_EQ(utf8ToCp932("a€b"), "a?b"); // code page 932 has no euro sign
    EXPECT_EQ(utf8ToCp932("a😀b"), "a?b");
    EXPECT_EQ(utf8ToCp932("a\xFF\xFE"
                          "b"),
              "a??b");
    EXPECT_EQ(utf8ToCp932("ab\xE6\x97"), "ab?"); // cut in the middle of a character
    EXPECT_EQ(cp932ToUtf8("a\x81"), "a\xEF\xBF\xBD");
    EXPECT_EQ(cp932ToUtf8("a\xA0z"), "a\xEF\xBF\xBDz");
}

TEST(TextEncoding, nul_bytes_and_empty_texts_pass_through) {
    EXPECT_EQ(utf8ToCp932(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(cp932ToUtf8(""), "");
    EXPECT_EQ(utf16leToCp932(""), "");
    EXPECT_EQ(cp932ToUtf16le(""), "");
}

TEST(TextEncoding, utf16le_to_cp932_replaces_unmappable_characters_with_question_marks) {
    std::string text("A\0\xE5\x65\x2C\x67\x3D\xD8\x00\xDE"
                     "B\0",
                     12); // A 日本 😀 B
    EXPECT_EQ(utf16leToCp932(text), "A\x93\xFA\x96\x7B?B");
    EXPECT_EQ(utf16leToCp932(std::string("\x01\x04", 2)), "\x84\x46"); // Cyrillic Ё is in 932
    EXPECT_EQ(utf16leToCp932(std::string("\x00\x01", 2)), "?");        // Latin Ā is not
    EXPECT_EQ(utf16leToCp932(std::string("A\0B", 3)), "A?");           // odd last byte
    EXPECT_EQ(utf16leToCp932(std::string("\x00\xDC"
                                         "A\0",
                                         4)),
              "?A"); // lone low surrogate
}

TEST(TextEncoding, cp932_to_utf16le_writes_little_endian_units) {
    EXPECT_EQ(cp932ToUtf16le("A" + kHyouSjis), std::string("A\0\x68\x88", 4));
}
