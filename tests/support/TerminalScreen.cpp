#include "support/TerminalScreen.h"

namespace ornibe::test {
namespace {

// The code point of the UTF-8 character that starts text, and its length.
char32_t decode(std::string_view text, size_t& length) {
    auto byte = [&](size_t i) { return char32_t(static_cast<unsigned char>(text[i])); };
    char32_t first = byte(0);
    length = first < 0x80 ? 1 : first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
    if (length > text.size()) {
        length = 0;
        return 0;
    }
    if (length == 1) {
        return first;
    }
    char32_t point = first & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        point = (point << 6) | (byte(i) & 0x3F);
    }
    return point;
}

// Columns a character takes: two for the East Asian wide and full-width
// blocks, one otherwise.
int columnsOf(char32_t point) {
    struct Range {
        char32_t first;
        char32_t last;
    };
    static constexpr Range kWide[] = {{0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF},
                                      {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xA000, 0xA4CF},
                                      {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFE30, 0xFE4F},
                                      {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6}};
    for (const Range& range : kWide) {
        if (point >= range.first && point <= range.last) {
            return 2;
        }
    }
    return 1;
}

} // namespace

TerminalScreen::TerminalScreen(int columns, int rows)
    : columns_(columns), rows_(rows), all_(size_t(rows)) {}

void TerminalScreen::feed(std::string_view bytes) {
    std::string text = pending_ + std::string(bytes);
    pending_.clear();
    size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\r') {
            column_ = 0;
            ++i;
        } else if (c == '\n') {
            down();
            ++i;
        } else if (c == '\033') {
            if (i + 1 >= text.size() || (text[i + 1] == '[' && i + 2 >= text.size())) {
                pending_ = text.substr(i);
                return;
            }
            std::string control = text.substr(i, text[i + 1] == '[' ? 3 : 2);
            i += control.size();
            if (control == "\033[K") {
                Row& row = all_[size_t(row_)];
                if (size_t(column_) < row.cells.size()) {
                    row.cells.resize(size_t(column_));
                }
            } else if (control == "\0337") {
                keptRow_ = row_ - top_;
                keptColumn_ = column_;
            } else if (control == "\0338") {
                row_ = top_ + keptRow_;
                column_ = keptColumn_;
            } else if (control == "\033D") {
                down();
            } else if (control == "\033M") {
                up();
            } else {
                unknown_.push_back(control);
            }
        } else if (static_cast<unsigned char>(c) < 0x20) {
            unknown_.push_back(std::string(1, c));
            ++i;
        } else {
            size_t length = 0;
            char32_t point = decode(std::string_view(text).substr(i), length);
            if (length == 0) {
                pending_ = text.substr(i);
                return;
            }
            put(text.substr(i, length), columnsOf(point));
            i += length;
        }
    }
}

void TerminalScreen::put(const std::string& character, int width) {
    if (column_ + width > columns_) {
        ++wraps_;
        column_ = 0;
        down();
        all_[size_t(row_)].continued = true;
    }
    std::vector<std::string>& cells = all_[size_t(row_)].cells;
    if (cells.size() < size_t(column_ + width)) {
        cells.resize(size_t(column_ + width), " ");
    }
    cells[size_t(column_)] = character;
    if (width == 2) {
        cells[size_t(column_) + 1] = "";
    }
    column_ += width;
}

void TerminalScreen::down() {
    if (row_ == top_ + rows_ - 1) {
        all_.emplace_back();
        ++top_;
    }
    ++row_;
}

void TerminalScreen::up() {
    if (row_ == top_) {
        // Scrolling down brings back no history; it is not drawn here.
        unknown_.push_back("\033M at the top row");
        return;
    }
    --row_;
}

std::string TerminalScreen::text(const Row& row) {
    std::string out;
    for (const std::string& cell : row.cells) {
        out += cell;
    }
    return out;
}

std::string TerminalScreen::trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

std::vector<std::string> TerminalScreen::lines() const {
    std::vector<std::string> out;
    for (const Row& row : all_) {
        if (row.continued && !out.empty()) {
            out.back() += text(row);
        } else {
            out.push_back(text(row));
        }
    }
    for (std::string& line : out) {
        line = trimmed(line);
    }
    while (!out.empty() && out.back().empty()) {
        out.pop_back();
    }
    return out;
}

std::vector<std::string> TerminalScreen::screenRows() const {
    std::vector<std::string> out;
    for (int i = 0; i < rows_; ++i) {
        out.push_back(trimmed(text(all_[size_t(top_ + i)])));
    }
    return out;
}

} // namespace ornibe::test
