#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace ornibe::test;

TEST(FileAssertions, ends_with_compares_the_exact_tail_bytes) {
    TempDir dir;
    std::string file = dir.write("f.sif", std::string("abc\r\n\x1A", 6));
    EXPECT_TRUE(fileEndsWith(file, std::string("\r\n\x1A", 3)));
    EXPECT_FALSE(fileEndsWith(file, "\n\x1A\r"));
    EXPECT_FALSE(fileEndsWith(file, std::string("xabc\r\n\x1A", 7)));
    EXPECT_FALSE(fileEndsWith(dir / "missing", ""));
}

TEST(FileAssertions, holds_and_visible_bytes_tell_line_ends_apart) {
    TempDir dir;
    std::string file = dir.write("f", "a\r\n");
    EXPECT_TRUE(fileHolds(file, "a\r\n"));
    EXPECT_FALSE(fileHolds(file, "a\n"));
    EXPECT_EQ(visibleBytes(std::string("\r\n\t\x1A\\", 5)), "\\r\\n\\t\\x1A\\\\");
}
