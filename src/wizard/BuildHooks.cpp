#include "wizard/BuildHooks.h"

#include "runner/BuildRunner.h"
#include "runner/Summary.h"
#include "runner/UnexpectedFailure.h"
#include "source/EditionTags.h"
#include "source/Medium.h"
#include "source/SetupTree.h"
#include "wizard/DriverLoadStep.h"

#include <exception>
#include <string>

namespace ornibe {

ConfirmPageHooks buildHooks(const BuildSettings& settings, ConfirmData& data, ToolSearch tools) {
    ConfirmPageHooks hooks;
    hooks.writeSummary = [&settings, &data, tools](BuildPage& page) {
        writeSummary(settings, data, page.log(), tools, [&page] { return page.stopRequested(); });
        // The package holds the drivers only when the settings have some.
        appendDriverLoadSummary(
            settings, settings.GetDriverInf(0).empty() ? DriverPackage() : data.package,
            summarySource(settings, data), data.target, tools, data.cdModules.get(), page.log());
    };
    hooks.editionLine = [&settings, &data] {
        const std::shared_ptr<const Medium> source = summarySource(settings, data);
        return editionLine(*source, sourceArchitecture(*source));
    };
    hooks.runBuild = [&settings, &data, tools = std::move(tools)](BuildPage& page) {
        // The tools that date what they write (the image, the cabinets)
        // take a reproducible image's date from the environment.
        const std::optional<std::int64_t> epoch = settings.getImageEpoch();
        BuildRunner(settings, data, page,
                    epoch ? tools.withChildVariable("SOURCE_DATE_EPOCH", std::to_string(*epoch))
                          : tools)
            .runBuild();
    };
    return hooks;
}

void runPageHook(const std::function<void(BuildPage&)>& hook, BuildPage& page) {
    try {
        hook(page);
    } catch (...) {
        Failure failure = unexpectedFailure(std::current_exception());
        page.log().append("\r\n" + failure.headline + "\r\n" + failure.line() + "\r\n");
        page.setButtonEnabled(PageButton::Back, true);
    }
}

} // namespace ornibe
