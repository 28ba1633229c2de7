#include "media/SystemDriveSource.h"
#include "settings/Version.h"
#include "sys/HostEnvironment.h"
#include "sys/SearchPath.h"
#include "sys/UserLanguage.h"
#include "ui/PageLook.h"
#include "ui/QtMessageBox.h"
#include "ui/WizardApp.h"
#include "ui/WizardApplication.h"
#include "wizard/BuildHooks.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// The wizard takes no options: --help and --version answer on the terminal
// without opening a window; anything else is refused, pointing at the
// command-line build. Returns the exit status, or -1 to open the wizard.
int answerArguments(int argc, char** argv) {
    if (argc < 2) {
        return -1;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("Usage: ornibe [--help | --version]\n\n"
                    "Opens the ornibe wizard, which builds a customised Windows 2000, XP or\n"
                    "Server 2003 installation tree and a bootable ISO image. It takes no\n"
                    "options: every choice is made on its pages. To build from a script or\n"
                    "without a screen, use ornibe-build (see ornibe-build --help).\n");
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("ornibe %s\n", ornibe::kVersionText);
        return 0;
    }
    std::fprintf(stderr,
                 "ornibe: the wizard takes no arguments (got %s); to build from the command "
                 "line, use ornibe-build (see ornibe-build --help)\n",
                 argv[1]);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (int status = answerArguments(argc, argv); status >= 0) {
        return status;
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
