#include "runner/MemoryProgressLog.h"

#include <gtest/gtest.h>

using ornibe::MemoryProgressLog;

TEST(ProgressLog, text_without_line_break_continues_on_the_next_append) {
    MemoryProgressLog log;
    log.append("CD の内容を作業フォルダにコピーしています。。。");
    log.append("完了\r\n\r\n");
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[0], "CD の内容を作業フォルダにコピーしています。。。完了");
    EXPECT_EQ(log.lines()[1], "");
}

TEST(ProgressLog, text_ends_at_its_first_nul) {
    MemoryProgressLog log;
    log.append(std::string_view("ab\0cd", 5));
    log.append("e");
    EXPECT_EQ(log.text(), "abe");
}

TEST(ProgressLog, empty_text_adds_nothing_but_is_still_an_append) {
    MemoryProgressLog log;
    log.append("x");
    log.append("");
    EXPECT_EQ(log.text(), "x");
    EXPECT_EQ(log.appendCount(), 2);
}

TEST(ProgressLog, lone_lf_or_cr_does_not_break_a_line) {
    MemoryProgressLog log;
    log.append("a\nb\rc\r\nd");
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[0], "a\nb\rc");
    EXPECT_EQ(log.lines()[1], "d");
}
