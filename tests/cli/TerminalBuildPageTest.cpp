#include "cli/TerminalBuildPage.h"
#include "cli/ProgressLine.h"

#include "support/TempDir.h"
#include "support/TerminalScreen.h"
#include "sys/PendingFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using Rows = std::vector<std::string>;

constexpr std::uint64_t kMB = 1048576;
const std::string kStepLine = "CD の内容を作業フォルダにコピーしています。。。";

// A terminal for the page: the stream the program writes to, and the
// screen that shows what arrives at the terminal's side.
class Terminal {
public:
    Terminal(int columns, int rows) : screen(columns, rows) {
        winsize size{};
        size.ws_col = static_cast<unsigned short>(columns);
        size.ws_row = static_cast<unsigned short>(rows);
        int program = -1;
        if (openpty(&terminal_, &program, nullptr, nullptr, &size) == 0) {
            stream = ::fdopen(program, "w");
        }
    }
    ~Terminal() {
        if (stream != nullptr) {
            std::fclose(stream);
        }
        if (terminal_ >= 0) {
            ::close(terminal_);
        }
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Shows on the screen everything written so far: a mark written after
    // it comes through the terminal behind it.
    void show() {
        static const std::string kMark = "\033]ornibe-test\a";
        std::fputs(kMark.c_str(), stream);
        std::fflush(stream);
        std::string received;
        while (received.find(kMark) == std::string::npos) {
            pollfd ready{terminal_, POLLIN, 0};
            ASSERT_EQ(::poll(&ready, 1, 10000), 1) << "the terminal received nothing";
            char buffer[4096];
            ssize_t n = ::read(terminal_, buffer, sizeof buffer);
            ASSERT_GT(n, 0) << errno;
            received.append(buffer, size_t(n));
        }
        screen.feed(received.substr(0, received.find(kMark)));
    }

    std::FILE* stream = nullptr;
    TerminalScreen screen;

private:
    int terminal_ = -1;
};

TerminalBuildPage::Options onTerminal(std::FILE* out, std::FILE* err) {
    TerminalBuildPage::Options options;
    options.out = out;
    options.err = err;
    options.showProgress = true;
    return options;
}

TEST(TerminalBuildPage, on_the_log_s_terminal_the_bar_stands_below_the_unfinished_line) {
    // The step's line at the top and on the last row (the bar then scrolls
    // the screen), on a wide and a narrow terminal (the line wraps there).
    for (int columns : {80, 40}) {
        for (int before : {0, 23}) {
            SCOPED_TRACE(std::to_string(columns) + " columns, " + std::to_string(before) +
                         " lines before");
            Terminal terminal(columns, 24);
            ASSERT_NE(terminal.stream, nullptr);
            TerminalBuildPage page(onTerminal(terminal.stream, terminal.stream));
            Rows expected;
            for (int i = 0; i < before; ++i) {
                expected.push_back("line " + std::to_string(i));
                page.log().append(expected.back() + "\r\n");
            }
            page.log().append(kStepLine);
            terminal.show();
            const int wraps = terminal.screen.wraps();
            Rows shown = terminal.screen.screenRows();

            page.copyProgressStarted();
            page.copyProgress(48 * kMB, 1500 * kMB, 8, 122);
            terminal.show();
            // The step's line is as it was, the bar on the row below.
            Rows withBar = terminal.screen.screenRows();
            int row = terminal.screen.cursorRow();
            ASSERT_GT(row, 0);
            EXPECT_THAT(withBar[size_t(row)],
                        StartsWith(columns == 80 ? "コピー   3% [...." : "コピー   3%   48.0"));
            EXPECT_THAT(withBar[size_t(row)], HasSubstr("48.0 / 1500.0 MB"));
            EXPECT_LT(displayColumns(withBar[size_t(row)]), size_t(columns));
            EXPECT_EQ(terminal.screen.wraps(), wraps);
            if (before == 0) {
                EXPECT_EQ(Rows(withBar.begin(), withBar.begin() + row),
                          Rows(shown.begin(), shown.begin() + row));
            } else {
                // One row scrolled off to make room for the bar.
                EXPECT_EQ(Rows(withBar.begin(), withBar.end() - 1),
                          Rows(shown.begin() + 1, shown.end()));
            }

            page.copyProgressFinished();
            page.log().append("完了\r\n\r\n");
            page.log().append("next\r\n");
            terminal.show();
            expected.push_back(kStepLine + "完了");
            expected.push_back("");
            expected.push_back("next");
            EXPECT_EQ(terminal.screen.lines(), expected);
            EXPECT_TRUE(terminal.screen.unknownControls().empty());
        }
    }
}

TEST(TerminalBuildPage, with_the_log_elsewhere_the_bar_takes_its_own_row_and_clears_it) {
    Terminal terminal(80, 24);
    ASSERT_NE(terminal.stream, nullptr);
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    TerminalBuildPage page(onTerminal(log, terminal.stream));
    page.log().append(kStepLine);
    page.copyProgressStarted();
    page.copyProgress(750 * kMB, 1500 * kMB, 61, 122);
    terminal.show();
    EXPECT_EQ(terminal.screen.screenRows()[0], "コピー  50% [#######.......]  750.0 / "
                                               "1500.0 MB,  61 / 122 ファイル,  --.- MB/s");
    page.copyProgressFinished();
    page.log().append("完了\r\n");
    terminal.show();
    EXPECT_TRUE(terminal.screen.lines().empty());
    EXPECT_EQ(terminal.screen.cursorColumn(), 0);
    std::rewind(log);
    char text[256] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text - 1, log), kStepLine.size() + 7);
    EXPECT_EQ(std::string(text), kStepLine + "完了\n");
    std::fclose(log);
}

TEST(TerminalBuildPage, the_image_bar_shows_the_total_reserved_for_the_image_and_its_share) {
    TempDir dir;
    const std::string iso = dir / "out.iso";
    for (bool reserved : {true, false}) {
        SCOPED_TRACE(reserved ? "reserved" : "not reserved");
        PendingFile partial(iso);
        partial.write(std::string(2 * kMB, 'x'));
        if (reserved && ::fallocate(partial.fd(), FALLOC_FL_KEEP_SIZE, 0, 8 * kMB) != 0) {
            GTEST_SKIP() << dir.path() << " cannot reserve room for a file: " << errno;
        }
        Terminal terminal(80, 24);
        ASSERT_NE(terminal.stream, nullptr);
        TerminalBuildPage::Options options = onTerminal(terminal.stream, terminal.stream);
        options.isoPath = iso;
        TerminalBuildPage page(std::move(options));
        page.processEvents();
        terminal.show();
        std::string bar = terminal.screen.screenRows()[0];
        if (reserved) {
            EXPECT_EQ(bar,
                      "イメージ  25% [#######.......................] 2.0 / 8.0 MB,  --.- MB/s");
        } else {
            EXPECT_EQ(bar, "イメージ 2.0 MB,  --.- MB/s");
        }
    }
}

} // namespace
} // namespace ornibe::test
