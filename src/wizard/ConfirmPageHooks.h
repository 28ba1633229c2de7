#pragma once

#include "runner/BuildPage.h"

#include <functional>
#include <string>

namespace ornibe {

// The work the confirmation page hands to the build layer. Both default to
// doing nothing; the program fills them with the summary and the build.
struct ConfirmPageHooks {
    // Runs each time the page opens, with an empty log, before the page is
    // shown: writes the summary of the planned work.
    std::function<void(BuildPage&)> writeSummary;
    // Runs on "実行！": the build. It returns when the build has ended.
    std::function<void(BuildPage&)> runBuild;
    // The edition line shown beside the summary (never inside the log):
    // "エディション：" and the CD's edition, Service Pack and architecture.
    std::function<std::string()> editionLine = {};
};

} // namespace ornibe
