#include "support/TerminalScreen.h"

#include <gtest/gtest.h>

using ornibe::test::TerminalScreen;
using Rows = std::vector<std::string>;

TEST(TerminalScreen, draws_text_in_columns_wide_characters_in_two_and_wraps_at_the_edge) {
    TerminalScreen screen(10, 3);
    screen.feed("abc\r\nコピー\r\n");
    EXPECT_EQ(screen.screenRows(), (Rows{"abc", "コピー", ""}));
    EXPECT_EQ(screen.cursorRow(), 2);
    // Two-column characters: the sixth does not fit in the last column.
    screen.feed("ｘ完了完了完了完了");
    EXPECT_EQ(screen.wraps(), 1);
    EXPECT_EQ(screen.lines(), (Rows{"abc", "コピー", "ｘ完了完了完了完了"}));
    EXPECT_EQ(screen.screenRows(), (Rows{"コピー", "ｘ完了完了", "完了完了"}));
    // A row filled to the edge wraps only at the next character.
    screen.feed("\r\n0123456789");
    EXPECT_EQ(screen.wraps(), 1);
    EXPECT_EQ(screen.cursorColumn(), 10);
    EXPECT_TRUE(screen.unknownControls().empty());
}

TEST(TerminalScreen, clears_rows_keeps_the_cursor_across_scrolling_and_notes_unknown_controls) {
    TerminalScreen screen(20, 2);
    screen.feed("one\r\nstep...");
    // Down a row and back on the last row scrolls once; the kept place is
    // on the screen, so it follows the scroll.
    screen.feed("\033D\033M\0337\033D\rbar 10%");
    EXPECT_EQ(screen.screenRows(), (Rows{"step...", "bar 10%"}));
    screen.feed("\r\033[Kbar 20%");
    EXPECT_EQ(screen.screenRows(), (Rows{"step...", "bar 20%"}));
    screen.feed("\r\033[K\0338done\r\n");
    EXPECT_EQ(screen.lines(), (Rows{"one", "step...done"}));
    EXPECT_TRUE(screen.unknownControls().empty());
    // Split across feeds, a control still counts as one.
    screen.feed("ab\033");
    screen.feed("[K\033[2J\a");
    EXPECT_EQ(screen.unknownControls(), (Rows{"\033[2", "\a"}));
}
