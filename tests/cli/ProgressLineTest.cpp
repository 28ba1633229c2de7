#include "cli/ProgressLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ornibe {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr std::uint64_t kMB = 1048576;

ProgressFigures copyAt(std::uint64_t megabytes, std::uint64_t files) {
    return {"コピー", megabytes * kMB, 1500 * kMB, files, 122, 61.6};
}

TEST(ProgressLine, shows_the_share_a_bar_the_amounts_files_and_rate_within_the_width) {
    EXPECT_EQ(progressLine(copyAt(48, 8), 80),
              "コピー   3% [..............]   48.0 / 1500.0 MB,   8 / 122 ファイル,  61.6 MB/s");
    // The image: by bytes, without files; its total once it is known.
    ProgressFigures image{"イメージ", 630 * kMB, 1500 * kMB, 0, 0, 29.1};
    EXPECT_EQ(progressLine(image, 80),
              "イメージ  42% [############..................]  630.0 / 1500.0 MB,  29.1 MB/s");
    image.bytesTotal = 0;
    EXPECT_EQ(progressLine(image, 80), "イメージ 630.0 MB,  29.1 MB/s");
    // Before the rate is known, the rate's place holds no figure, at the
    // same width.
    image.megabytesPerSecond.reset();
    EXPECT_EQ(progressLine(image, 80), "イメージ 630.0 MB,  --.- MB/s");
    // Past the total (a file that grew during the copy): a full bar.
    std::string over = progressLine(copyAt(1600, 122), 80);
    EXPECT_THAT(over, StartsWith("コピー 100% [#"));
    EXPECT_EQ(over.substr(0, over.find(']')).find('.'), std::string::npos) << over;
}

TEST(ProgressLine, keeps_its_length_as_it_grows_and_never_takes_the_last_column) {
    for (int columns : {0, 1, 2, 10, 20, 40, 60, 79, 80, 81, 132, 300}) {
        size_t length = displayColumns(progressLine(copyAt(0, 0), columns));
        for (std::uint64_t done = 0; done <= 1500; done += 50) {
            std::string line = progressLine(copyAt(done, done * 122 / 1500), columns);
            EXPECT_EQ(displayColumns(line), length) << columns << ": " << line;
            EXPECT_LT(int(displayColumns(line)), std::max(columns, 1)) << line;
        }
    }
    // A wide terminal: the bar stops at its widest.
    EXPECT_EQ(progressLine(copyAt(750, 61), 300).size(), progressLine(copyAt(750, 61), 200).size());
}

TEST(ProgressLine, a_short_width_drops_the_bar_then_the_rate_the_files_and_the_amounts) {
    ProgressFigures figures = copyAt(750, 61);
    const std::string full = progressLine(figures, 200);
    const std::string amounts = "750.0 / 1500.0 MB";
    const std::string files = "61 / 122 ファイル";
    const std::string rate = "61.6 MB/s";
    // What the line shows as the width shrinks: the bar, the rate, the
    // files, the amounts, the share.
    std::vector<std::vector<bool>> seen;
    for (int columns = 200; columns >= 1; --columns) {
        std::string line = progressLine(figures, columns);
        std::vector<bool> shows = {
            line.find('[') != std::string::npos, line.find(rate) != std::string::npos,
            line.find(files) != std::string::npos, line.find(amounts) != std::string::npos,
            line.find("50%") != std::string::npos};
        if (seen.empty() || shows != seen.back()) {
            seen.push_back(shows);
        }
    }
    EXPECT_EQ(seen, (std::vector<std::vector<bool>>{{true, true, true, true, true},
                                                    {false, true, true, true, true},
                                                    {false, false, true, true, true},
                                                    {false, false, false, true, true},
                                                    {false, false, false, false, true},
                                                    {false, false, false, false, false}}));
    EXPECT_THAT(full, HasSubstr("コピー  50% [###############...............] "));
    // A narrow terminal keeps whole characters that fit its columns.
    EXPECT_EQ(progressLine(figures, 9), "コピー  ");
    EXPECT_EQ(progressLine(figures, 6), "コピ");
}

} // namespace
} // namespace ornibe
