#include "media/SystemDriveSource.h"
#include "settings/Version.h"
#include "sys/HostEnvironment.h"
#include "sys/SearchPath.h"
#include "sys/Translation.h"
#include "sys/UserLanguage.h"
#include "ui/PageLook.h"
#include "ui/QtMessageBox.h"
#include "ui/WizardApp.h"
#include "ui/WizardApplication.h"
#include "wizard/BuildHooks.h"
#include "wizard/WizardArguments.h"

#include <cstdio>
#include <cstring>
#include <utility>

int main(int argc, char** argv) {
    // The wizard takes no options: --help and --version answer on the
    // terminal without opening a window, in the language the environment
    // asks for; anything else is refused.
    if (argc > 1) {
        ornibe::speakLanguage(ornibe::userLanguage(ornibe::HostEnvironment::ofThisProcess()));
        const auto answer =
            ornibe::answerWizardArguments({argv + 1, argv + argc}, ornibe::kVersionText);
        std::fputs(answer->out.c_str(), stdout);
        std::fputs(answer->error.c_str(), stderr);
        return answer->status;
    }
    ornibe::WizardApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ornibe"));
    QApplication::setDesktopFileName(QStringLiteral("ornibe"));
    QApplication::setWindowIcon(ornibe::programIcon());
    QApplication::setFont(ornibe::pageFont());
    // The environment is read here once, after the toolkit has taken what
    // it reads from it; the pages speak the language it asks for, and
    // everything below takes it from the tool search.
    ornibe::HostEnvironment environment = ornibe::HostEnvironment::ofThisProcess();
    ornibe::loadPageTexts(ornibe::userLanguage(environment));
    // The core's texts (its messages and the log) follow it too; without
    // their English catalog they stay Japanese.
    if (const auto missing = ornibe::speakLanguage(ornibe::userLanguage(environment))) {
        std::fprintf(stderr, "ornibe: no English texts in %s; the build speaks Japanese\n",
                     missing->c_str());
    }

    ornibe::QtMessageBox screenBox;
    app.setFailureHandler([&screenBox](std::exception_ptr error) {
        ornibe::showUnexpectedFailure(screenBox, error);
    });
    // What escapes the pages outside the handling of an event (opening a
    // page reads the drive list) ends the wizard with the message and the
    // status of a failure, never with std::terminate.
    try {
        ornibe::SystemDriveSource drives;
        const ornibe::ToolSearch tools = ornibe::ToolSearch::forThisProgram(std::move(environment));
        ornibe::WizardApp wizard(drives, screenBox, tools);
        wizard.confirmPage().setHooks(
            ornibe::buildHooks(wizard.settings(), wizard.confirmData(), tools));
        wizard.run();
    } catch (...) {
        ornibe::showUnexpectedFailure(screenBox, std::current_exception());
        return 1;
    }
    return 0;
}
