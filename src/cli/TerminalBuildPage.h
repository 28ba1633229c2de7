#pragma once

#include "runner/BuildPage.h"
#include "runner/MemoryProgressLog.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <string>

namespace ornibe {

// The log on a terminal: each text goes to standard output as it comes,
// with "\n" line breaks, and is kept as the wizard's log holds it (CR LF)
// for the log file.
class TerminalLog : public MemoryProgressLog {
public:
    // beforeWrite runs before each text is printed (the page clears its
    // progress bar there, so that the two never share a line).
    TerminalLog(std::FILE* out, std::function<void()> beforeWrite)
        : out_(out), beforeWrite_(std::move(beforeWrite)) {}

    // Whether the last line printed is unfinished (a step's line that waits
    // for its "完了").
    bool midLine() const { return midLine_; }

protected:
    void showText(std::string_view text) override;

private:
    std::FILE* out_;
    std::function<void()> beforeWrite_;
    bool midLine_ = false;
};

// The confirmation page without a screen. The log goes to standard output;
// the progress of the CD copy and of the image goes to standard error as a
// bar when asked for, as wide as the terminal; "完成です！" is the last line
// printed. When both go to the same terminal, a bar drawn while the log's
// line is unfinished goes on the row below it, so that the step's own line
// stays in view and goes on where it stopped.
class TerminalBuildPage : public BuildPage {
public:
    struct Options {
        std::FILE* out = stdout;
        std::FILE* err = stderr;
        // Draw the progress bar (standard error is a terminal, no --quiet).
        bool showProgress = false;
        // The absolute path of the image being written, for its progress;
        // empty when none.
        std::string isoPath;
        // The user's stop (Ctrl+C); false when nobody asked.
        std::function<bool()> stopRequested;
    };

    explicit TerminalBuildPage(Options options);

    ProgressLog& log() override { return log_; }
    const MemoryProgressLog& memoryLog() const { return log_; }
    MessageBox& messageBox() override { return finalBox_; }
    void setButtonEnabled(PageButton, bool) override {}
    void endPage(int pageCode) override { endedWith_ = pageCode; }
    void processEvents() override;
    void copyProgressStarted() override;
    bool copyProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::uint64_t filesDone,
                      std::uint64_t filesTotal) override;
    void copyProgressFinished() override;
    bool stopRequested() override;
    // On standard error, as "ornibe-build: text".
    void note(std::string_view text) override;

    // The page code the build ended the page with; -1 when it did not.
    int endedWith() const { return endedWith_; }

private:
    // "完成です！" on standard output.
    class FinalBox : public MessageBox {
    public:
        explicit FinalBox(std::FILE* out) : out_(out) {}
        MessageAnswer show(const std::string& text, MessageStyle style) override;

    private:
        std::FILE* out_;
    };

    using Clock = std::chrono::steady_clock;

    // Redraws the bar when the last drawing is old enough.
    void drawBar(const std::string& what, std::uint64_t bytes, std::uint64_t bytesTotal,
                 std::uint64_t files, std::uint64_t filesTotal, bool force);
    void clearBar();
    struct ImageSize {
        std::uint64_t written = 0;
        // The bytes of disk the file holds: the whole image's, where
        // cdimage could reserve them before writing.
        std::uint64_t held = 0;
    };
    // How far the image is, from its partial file.
    ImageSize imageBytesWritten() const;

    Options options_;
    TerminalLog log_;
    FinalBox finalBox_;
    int endedWith_ = -1;
    Clock::time_point stepStart_;
    // The bytes already done when the rate started counting.
    std::uint64_t stepStartBytes_ = 0;
    Clock::time_point lastDraw_;
    bool barShown_ = false;
    // The bar stands on the row below the log's unfinished line.
    bool barBelowLog_ = false;
    // Standard output and standard error are the same terminal.
    bool sharedTerminal_ = false;
    bool imageStepSeen_ = false;
    // The image's size in all, once its reservation is seen; 0 before.
    std::uint64_t imageTotal_ = 0;
};

} // namespace ornibe
