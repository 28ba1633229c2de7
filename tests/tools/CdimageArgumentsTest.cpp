#include "CdimageArguments.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

TEST(CdimageArguments, takes_the_build_command_line_with_each_value_glued_to_its_option) {
    auto parsed = parseCdimageArguments(
        {"-lMY \"CD\"", "-h", "-n", "-m", "-o", "-x", "-b/w/BOOTSECT.BIN", "/w", "/w/x.iso"});

    ASSERT_TRUE(parsed) << parsed.failure().message;
    EXPECT_EQ(parsed->label, "MY \"CD\"");
    EXPECT_TRUE(parsed->includeHidden);
    EXPECT_TRUE(parsed->longNames);
    EXPECT_TRUE(parsed->storeTwinsOnce);
    EXPECT_EQ(parsed->bootFile, "/w/BOOTSECT.BIN");
    EXPECT_EQ(parsed->tree, "/w");
    EXPECT_EQ(parsed->image, "/w/x.iso");
}

TEST(CdimageArguments, label_is_printable_ascii_of_at_most_32_characters) {
    EXPECT_TRUE(isValidVolumeLabel(""));
    EXPECT_TRUE(isValidVolumeLabel(std::string(32, '~')));
    EXPECT_TRUE(isValidVolumeLabel(" \"quoted\" "));
    EXPECT_FALSE(isValidVolumeLabel(std::string(33, 'A')));
    EXPECT_FALSE(isValidVolumeLabel("\x7f"));
    EXPECT_FALSE(isValidVolumeLabel("\x1f"));
    EXPECT_FALSE(isValidVolumeLabel("\xe3\x82\xa6")); // a katakana letter in UTF-8
}

} // namespace
} // namespace ornibe
