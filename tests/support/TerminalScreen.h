#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ornibe::test {

// What a terminal of a given size shows of the bytes a program writes to
// it, as a VT100-like terminal draws them: printable UTF-8 text (East Asian
// wide characters take two columns), wrapping at the last column; CR, LF;
// ESC [ K (clear to the end of the row), ESC 7 and ESC 8 (keep the cursor
// and go back to it), ESC D and ESC M (one row down or up in the same
// column, scrolling at the screen's edge). Rows scrolled off the top stay
// in its history. Other controls are noted, not drawn.
class TerminalScreen {
public:
    TerminalScreen(int columns, int rows);

    void feed(std::string_view bytes);

    // Every row from the first, history included, with trailing blanks
    // dropped; a row the text wrapped onto is joined to the row before it.
    std::vector<std::string> lines() const;
    // The rows on the screen now, one each, with trailing blanks dropped.
    std::vector<std::string> screenRows() const;
    // The cursor's row on the screen, from 0.
    int cursorRow() const { return row_ - top_; }
    int cursorColumn() const { return column_; }
    // Times the text wrapped at the last column.
    int wraps() const { return wraps_; }
    // Controls it does not know, as written.
    const std::vector<std::string>& unknownControls() const { return unknown_; }

private:
    struct Row {
        // One entry a column: a character, "" for the second column of a
        // wide one.
        std::vector<std::string> cells;
        bool continued = false;
    };
    void put(const std::string& character, int width);
    void down();
    void up();
    static std::string text(const Row& row);
    static std::string trimmed(std::string text);

    int columns_;
    int rows_;
    std::vector<Row> all_;
    int top_ = 0;
    int row_ = 0;
    int column_ = 0;
    int keptRow_ = 0;
    int keptColumn_ = 0;
    int wraps_ = 0;
    std::string pending_;
    std::vector<std::string> unknown_;
};

} // namespace ornibe::test
