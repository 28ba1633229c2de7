#pragma once

#include "runner/MessageBox.h"
#include "runner/ProgressLog.h"
#include "settings/PageCode.h"

#include <cstdint>
#include <string_view>

namespace ornibe {

// The three buttons of the confirmation page.
enum class PageButton { Back, Run, Quit };

// What the build needs from the confirmation page. The Qt page implements
// it; tests fake it.
class BuildPage {
public:
    virtual ~BuildPage() = default;

    virtual ProgressLog& log() = 0;
    virtual MessageBox& messageBox() = 0;
    virtual void setButtonEnabled(PageButton button, bool enabled) = 0;
    // Ends the page with a page code (see PageCode.h).
    virtual void endPage(int pageCode) = 0;
    // After "完成です！" of a build whose log tells more than usual: the
    // wizard keeps its page open for the log to be read and saved until
    // the user closes it; a page with nothing to keep ends as after any
    // finished build.
    virtual void keepResults() { endPage(PageCode::Quit); }
    // Lets the window repaint and handle input while a child runs.
    virtual void processEvents() = 0;

    // A progress window with a cancel button while the CD tree is copied.
    virtual void copyProgressStarted() = 0;
    // Reports progress; false when the user asked to cancel.
    virtual bool copyProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal,
                              std::uint64_t filesDone, std::uint64_t filesTotal) = 0;
    virtual void copyProgressFinished() = 0;

    // A line about the build that is no part of its log (an attribute step
    // that failed, folders whose mode or times could not be set; neither
    // stops the build): ornibe-build writes it on standard error, the
    // wizard below its log, so that the logs of the two stay equal.
    virtual void note(std::string_view) {}

    // Whether the user has asked to quit while the build runs (the window
    // closed, or Ctrl+C on a terminal). The build then ends the running
    // child, runs no further step and shows no "完成です！".
    virtual bool stopRequested() { return false; }
};

} // namespace ornibe
