#include "runner/steps/BuildContext.h"

#include "inf/SetupArchitecture.h"
#include "sys/CaseLookup.h"
#include "sys/ChildProcessRunner.h"

namespace ornibe {

std::string shownQuoted(std::string_view value) {
    return "\"" + std::string(value) + "\"";
}

void reportBuildFailure(BuildPage& page, std::string_view message) {
    page.log().append(message);
    page.setButtonEnabled(PageButton::Back, true);
}

std::string withReason(std::string_view message, const Failure& failure) {
    return std::string(message) + "\r\n" + failure.line();
}

std::string withReason(std::string_view message, const FileError& error) {
    return withReason(message, Failure::fromFileError(error));
}

void BuildContext::note(const std::string& text) {
    page.note(text);
    ++results.notes;
}

Outcome BuildContext::runLogged(const std::string& commandLine) const {
    // Tools run in the work folder, so that a relative image name is taken
    // from there, as it always was.
    ChildProcessRunner runner(tools, commandLine);
    runner.setWorkingFolder(settings.GetWorkFolder());
    runner.setStopCheck([this] { return page.stopRequested(); });
    runner.run([this](std::string_view text) { page.log().append(text); },
               [this] { page.processEvents(); });
    return runner.outcome();
}

std::string BuildContext::i386Folder() const {
    return entryPathNoCase(settings.GetWorkFolder(),
                           std::string(setupFolderName(data.target.architecture)));
}

} // namespace ornibe
