#pragma once

#include "runner/BuildPage.h"
#include "runner/MemoryProgressLog.h"
#include "support/ScriptedMessages.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ornibe::test {

// The confirmation page as the build sees it, without a screen: the log is
// kept in memory, button states and the page code are recorded, and copy
// progress can be cancelled after a number of reports.
class FakeBuildPage : public BuildPage {
public:
    FakeBuildPage();

    ProgressLog& log() override { return log_; }
    MessageBox& messageBox() override { return messages_; }
    void setButtonEnabled(PageButton button, bool enabled) override { enabled_[button] = enabled; }
    void endPage(int pageCode) override { pageCode_ = pageCode; }
    void processEvents() override { ++eventPumps_; }
    void copyProgressStarted() override { ++progressWindows_; }
    bool copyProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::uint64_t filesDone,
                      std::uint64_t filesTotal) override;
    void copyProgressFinished() override { --progressWindows_; }
    bool stopRequested() override { return stopRequested_; }
    void note(std::string_view text) override { notes_.emplace_back(text); }

    const std::string& logText() const { return log_.text(); }
    bool isEnabled(PageButton button) const { return enabled_.at(button); }
    std::optional<int> pageCode() const { return pageCode_; }
    ScriptedMessages& messages() { return messages_; }
    int eventPumps() const { return eventPumps_; }
    int openProgressWindows() const { return progressWindows_; }
    int progressReports() const { return progressReports_; }
    const std::vector<std::string>& notes() const { return notes_; }
    // The user presses cancel at the given report (counted from 1).
    void cancelCopyAt(int report) { cancelAt_ = report; }
    // The user asks the whole build to stop (Ctrl+C, or quitting the
    // window) at the given report of the copy (counted from 1).
    void stopBuildAt(int report) { stopAt_ = report; }
    // Runs at every report of the copy, as the work folder's surroundings
    // may change while the copy goes on.
    void onCopyProgress(std::function<void()> action) { onCopyProgress_ = std::move(action); }

private:
    MemoryProgressLog log_;
    ScriptedMessages messages_;
    std::map<PageButton, bool> enabled_;
    std::vector<std::string> notes_;
    std::function<void()> onCopyProgress_;
    std::optional<int> pageCode_;
    int eventPumps_ = 0;
    int progressWindows_ = 0;
    int progressReports_ = 0;
    int cancelAt_ = 0;
    int stopAt_ = 0;
    bool stopRequested_ = false;
};

} // namespace ornibe::test
