#include "check/TreeCheckText.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

// Whatever bytes a listing or a path holds, the JSON string is valid:
// control characters and DEL escaped, UTF-8 kept, and every byte of a
// broken, overlong or surrogate sequence, or of another encoding, U+FFFD.
TEST(TreeCheckText, json_strings_stay_valid_json_whatever_bytes_the_text_holds) {
    EXPECT_EQ(jsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(jsonString(std::string("\t\n\x01\x7F", 4)), "\"\\u0009\\u000a\\u0001\\u007f\"");
    EXPECT_EQ(jsonString("検証 é 😀"), "\"検証 é 😀\"");
    // CP932 "ソ" (83 5C), Latin-1 é, a lone continuation byte, a cut
    // sequence at the end.
    EXPECT_EQ(jsonString("\x83\x5C|\xE9|\x80|\xE6\xA4"),
              "\"\\ufffd\\\\|\\ufffd|\\ufffd|\\ufffd\\ufffd\"");
    // Overlong '/', an encoded surrogate, above U+10FFFF.
    EXPECT_EQ(jsonString("\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80"),
              "\"\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\\ufffd\"");
}

} // namespace
} // namespace ornibe
