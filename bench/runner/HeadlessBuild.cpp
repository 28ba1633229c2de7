// One whole build as "実行！" runs it, without the screen: reads the CD
// stand-in folder into the work folder, clears read-only attributes,
// integrates one driver and writes the ISO image with the tools of the
// tool folder.
//
//   ornibe_bench_whole_build CD_FOLDER WORK_FOLDER DRIVER_INF ISO_PATH LABEL
//
// The summary is written first, as the confirmation page does when it
// opens. The build's log goes to standard output; standard error gets each
// line of the log with the seconds since the start, so that the time
// each step takes can be read off. Exit status 0 when the build finished.

#include "runner/BuildPage.h"
#include "runner/BuildRunner.h"
#include "runner/ConfirmData.h"
#include "runner/MemoryProgressLog.h"
#include "runner/Summary.h"
#include "settings/BuildSettings.h"
#include "settings/CdDriveEntry.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

using namespace ornibe;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The lines of a log entry that hold more than white space.
std::vector<std::string> visibleLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        size_t end = text.find_first_of("\r\n");
        std::string_view line = text.substr(0, end);
        if (line.find_first_not_of(' ') != std::string_view::npos) {
            lines.emplace_back(line);
        }
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return lines;
}

// A log that prints each line of an entry with the time the entry arrived.
class TimedLog : public MemoryProgressLog {
public:
    explicit TimedLog(std::chrono::steady_clock::time_point start) : start_(start) {}

protected:
    void showText(std::string_view text) override {
        MemoryProgressLog::showText(text);
        for (const std::string& line : visibleLines(text)) {
            std::fprintf(stderr, "%9.3f s  %s\n", secondsSince(start_), line.c_str());
        }
    }

private:
    std::chrono::steady_clock::time_point start_;
};

// Answers "完成です！" with OK and remembers that it was shown.
class AnsweringMessageBox : public MessageBox {
public:
    MessageAnswer show(const std::string& text, MessageStyle) override {
        shown = text;
        return MessageAnswer::Ok;
    }
    std::string shown;
};

// The confirmation page as the build sees it, with nobody in front of it.
class HeadlessPage : public BuildPage {
public:
    explicit HeadlessPage(std::chrono::steady_clock::time_point start)
        : start_(start), log_(start) {}

    ProgressLog& log() override { return log_; }
    MessageBox& messageBox() override { return messages_; }
    void setButtonEnabled(PageButton, bool) override {}
    void endPage(int pageCode) override { pageCode_ = pageCode; }
    void processEvents() override {}
    void copyProgressStarted() override {}
    bool copyProgress(std::uint64_t, std::uint64_t, std::uint64_t filesDone,
                      std::uint64_t filesTotal) override {
        if (filesDone == filesTotal && !copyReported_) {
            copyReported_ = true;
            std::fprintf(stderr, "%9.3f s  (%llu files copied)\n", secondsSince(start_),
                         static_cast<unsigned long long>(filesDone));
        }
        return true;
    }
    void copyProgressFinished() override {}

    const std::string& logText() const { return log_.text(); }
    std::optional<int> pageCode() const { return pageCode_; }

private:
    std::chrono::steady_clock::time_point start_;
    TimedLog log_;
    AnsweringMessageBox messages_;
    std::optional<int> pageCode_;
    bool copyReported_ = false;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: ornibe_bench_whole_build CD_FOLDER WORK_FOLDER DRIVER_INF "
                             "ISO_PATH LABEL\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    BuildSettings settings;
    settings.SetCdDriveIndex(1);
    settings.SetCdDriveEntry(makeCdDriveEntry(argv[1], argv[5]));
    settings.setCdDriveRoot(argv[1]);
    settings.SetWorkFolder(argv[2]);
    settings.AddDriverInf(argv[3]);
    settings.SetIsoPath(argv[4]);
    settings.SetVolumeLabel(argv[5]);
    settings.SetBigDrive(1);

    HeadlessPage page(start);
    ConfirmData data;
    const ToolSearch tools = ToolSearch::forThisProgram(HostEnvironment::ofThisProcess());
    writeSummary(settings, data, page.log(), tools);
    BuildRunner(settings, data, page, tools).runBuild();

    for (char c : page.logText()) {
        if (c != '\r') {
            std::fputc(c, stdout);
        }
    }
    std::fprintf(stdout, "\n");
    if (page.pageCode() != 0) {
        std::fprintf(stderr, "the build did not finish\n");
        return 1;
    }
    std::fprintf(stderr, "%9.3f s  %s\n", secondsSince(start), "完成です！");
    return 0;
}
