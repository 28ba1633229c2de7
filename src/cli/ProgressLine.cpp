#include "cli/ProgressLine.h"

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

} // namespace

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
                        " files");
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
    if (share && head.size() + barFrame + kLeastBar + rest().size() <= room) {
        size_t inside = std::min(kWidestBar, room - head.size() - barFrame - rest().size());
        size_t filled = size_t(permille * inside / 1000);
        return head + " [" + std::string(filled, '#') + std::string(inside - filled, '.') + "]" +
               rest();
    }
    while (!tails.empty() && head.size() + rest().size() > room) {
        tails.pop_back();
    }
    if (head.size() + rest().size() <= room) {
        return head + rest();
    }
    return head.substr(0, room);
}

} // namespace ornibe
