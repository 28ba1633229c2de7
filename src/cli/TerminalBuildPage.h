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

protected:
    void showText(std::string_view text) override;

private:
    std::FILE* out_;
    std::function<void()> beforeWrite_;
};

// The confirmation page without a screen. The log goes to standard output;
// the progress of the CD copy and of the image goes to standard error as a
// bar when asked for; "完成です！" is the last line printed.
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
    // The bytes of the image written so far, from its partial file.
    std::uint64_t imageBytesWritten() const;

    Options options_;
    TerminalLog log_;
    FinalBox finalBox_;
    int endedWith_ = -1;
    Clock::time_point stepStart_;
    Clock::time_point lastDraw_;
    bool barShown_ = false;
    bool imageStepSeen_ = false;
};

} // namespace ornibe
