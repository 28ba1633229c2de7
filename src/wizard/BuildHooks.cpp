#include "wizard/BuildHooks.h"

#include "runner/BuildRunner.h"
#include "runner/Summary.h"

namespace ornibe {

ConfirmPageHooks buildHooks(const BuildSettings& settings, ConfirmData& data, ToolSearch tools) {
    ConfirmPageHooks hooks;
    hooks.writeSummary = [&settings, &data](BuildPage& page) {
        writeSummary(settings, data, page.log(), [&page] { return page.stopRequested(); });
    };
    hooks.runBuild = [&settings, &data, tools = std::move(tools)](BuildPage& page) {
        BuildRunner(settings, data, page, tools).runBuild();
    };
    return hooks;
}

} // namespace ornibe
