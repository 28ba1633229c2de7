#include "cli/ProgressLine.h"
#include "cli/TerminalText.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace ornibe {
namespace {

// The bar's inside: never narrower than this, or it goes; never wider than
// the other.
constexpr size_t kLeastBar = 10;
constexpr size_t kWidestBar = 30;

std::string megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", double(bytes) / 1048576.0);
    return text;
}

// The text right-aligned in the given width.
std::string padded(const std::string& text, size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// The length of the UTF-8 character that starts with the byte (1 for a
// byte that starts none, so that a broken text still moves on).
size_t characterLength(unsigned char lead) {
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

// The columns one character takes: two from U+1100 on (the kana and kanji
// this line shows are wide on a terminal), one below.
size_t characterColumns(std::string_view character) {
    if (character.size() == 4) {
        return 2;
    }
    if (character.size() != 3) {
        return 1;
    }
    // U+1100 is E1 84 80.
    const auto lead = static_cast<unsigned char>(character[0]);
    const auto second = static_cast<unsigned char>(character[1]);
    return lead > 0xE1 || (lead == 0xE1 && second >= 0x84) ? 2 : 1;
}

// The whole characters of the text that fit in the columns.
std::string cutToColumns(const std::string& text, size_t columns) {
    size_t used = 0;
    size_t end = 0;
    while (end < text.size()) {
        const size_t length = std::min(characterLength(text[end]), text.size() - end);
        const size_t width = characterColumns(std::string_view(text).substr(end, length));
        if (used + width > columns) {
            break;
        }
        used += width;
        end += length;
    }
    return text.substr(0, end);
}

} // namespace

size_t displayColumns(std::string_view utf8) {
    size_t columns = 0;
    for (size_t at = 0; at < utf8.size();) {
        const size_t length = std::min(characterLength(utf8[at]), utf8.size() - at);
        columns += characterColumns(utf8.substr(at, length));
        at += length;
    }
    return columns;
}

std::string progressLine(const ProgressFigures& figures, int columns) {
    const size_t room = columns > 1 ? size_t(columns - 1) : 0;

    // The share done: by the bytes when their total is known, otherwise by
    // the files.
    std::uint64_t done = figures.bytesTotal > 0 ? figures.bytes : figures.files;
    std::uint64_t total = figures.bytesTotal > 0 ? figures.bytesTotal : figures.filesTotal;
    bool share = total > 0;
    std::uint64_t permille = share ? std::min(done, total) * 1000 / total : 0;

    std::string head = figures.step;
    if (share) {
        char percent[8];
        std::snprintf(percent, sizeof percent, " %3u%%", unsigned(permille / 10));
        head += percent;
    }
    // Figures that count up are as wide as their total, so that the line
    // keeps its length as they grow.
    std::string amounts = megabytes(figures.bytes);
    if (figures.bytesTotal > 0) {
        std::string total = megabytes(figures.bytesTotal);
        amounts = padded(amounts, total.size()) + " / " + total;
    }
    amounts += " MB";
    std::vector<std::string> tails;
    if (figures.filesTotal > 0) {
        std::string total = std::to_string(figures.filesTotal);
        tails.push_back(", " + padded(std::to_string(figures.files), total.size()) + " / " + total +
                        " " + terminalText(TerminalText::ProgressFiles));
    }
    char rate[48] = ",  --.- MB/s";
    if (figures.megabytesPerSecond) {
        std::snprintf(rate, sizeof rate, ", %5.1f MB/s", *figures.megabytesPerSecond);
    }
    tails.emplace_back(rate);

    auto rest = [&] {
        std::string text = " " + amounts;
        for (const std::string& tail : tails) {
            text += tail;
        }
        return text;
    };
    // The bar takes what the figures leave, within its bounds.
    const size_t barFrame = 3; // " [" and "]"
    if (share && displayColumns(head) + barFrame + kLeastBar + displayColumns(rest()) <= room) {
        size_t inside =
            std::min(kWidestBar, room - displayColumns(head) - barFrame - displayColumns(rest()));
        size_t filled = size_t(permille * inside / 1000);
        return head + " [" + std::string(filled, '#') + std::string(inside - filled, '.') + "]" +
               rest();
    }
    while (!tails.empty() && displayColumns(head) + displayColumns(rest()) > room) {
        tails.pop_back();
    }
    if (displayColumns(head) + displayColumns(rest()) <= room) {
        return head + rest();
    }
    return cutToColumns(head, room);
}

} // namespace ornibe
