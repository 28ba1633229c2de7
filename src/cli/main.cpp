// ornibe-build: the wizard's build from the command line, without a screen.

#include "cli/AnswerFileOptions.h"
#include "cli/BuildCommand.h"
#include "cli/CheckCommand.h"
#include "cli/CommandOptions.h"
#include "cli/DriverLoadCommand.h"
#include "cli/ListEntriesCommand.h"
#include "cli/TerminalText.h"
#include "runner/UnexpectedFailure.h"
#include "settings/Version.h"
#include "sys/HostEnvironment.h"
#include "sys/SearchPath.h"
#include "sys/Translation.h"
#include "sys/UserLanguage.h"

#include <clocale>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

namespace {

volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int signal) {
    stopSignal = signal;
}

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes in flight go on; the build looks at the flag.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int run(int argc, char** argv) {
    // The environment is read here once; everything below takes it from
    // the tool search.
    const ornibe::ToolSearch tools =
        ornibe::ToolSearch::forThisProgram(ornibe::HostEnvironment::ofThisProcess());
    // The terminal's texts and the log follow the locale; without its
    // English catalog the program stays Japanese.
    if (const auto missing = ornibe::speakLanguage(ornibe::userLanguage(tools.environment()))) {
        std::fprintf(stderr, "ornibe-build: no English texts in %s; speaking Japanese\n",
                     missing->c_str());
    }
    std::vector<std::string> arguments(argv + 1, argv + argc);
    ornibe::ParsedCommand parsed = ornibe::parseCommandOptions(arguments);
    // Read into the options already: the process list shows no secret.
    ornibe::hideSecretArguments(argc, argv);
    if (const auto* error = std::get_if<ornibe::UsageError>(&parsed)) {
        std::fprintf(stderr, "ornibe-build: %s\n", error->message.c_str());
        return ornibe::kExitRefused;
    }
    if (const auto* action = std::get_if<ornibe::CommandAction>(&parsed)) {
        if (*action == ornibe::CommandAction::Help) {
            std::fputs(ornibe::commandHelp().c_str(), stdout);
        } else {
            std::printf("ornibe-build %s\n", ornibe::kVersionText);
        }
        return 0;
    }
    auto& options = std::get<ornibe::CommandOptions>(parsed);
    if (std::optional<std::string> unread = ornibe::readSecretFiles(options, std::cin)) {
        std::fprintf(stderr, "ornibe-build: %s\n", unread->c_str());
        return ornibe::kExitRefused;
    }
    if (!options.listEntries.empty()) {
        // Ctrl+C ends the reading of a floppy image and its mcopy too.
        catchStopSignals();
        return ornibe::runListEntries(
            options.listEntries, options.source != "none" ? options.source : options.workFolder,
            tools, [] { return stopSignal != 0; });
    }
    if (!options.checkDriver.empty()) {
        return ornibe::runDriverLoadCommand(options, tools, std::cout, std::cerr);
    }
    if (options.check) {
        return ornibe::runCheckCommand(options, tools, std::cout, std::cerr);
    }
    catchStopSignals();
    int status = ornibe::runBuildCommand(
        std::get<ornibe::CommandOptions>(parsed), [] { return stopSignal != 0; }, tools);
    if (stopSignal != 0) {
        std::fprintf(stderr, "ornibe-build: %s\n",
                     ornibe::terminalText(ornibe::TerminalText::Stopped).c_str());
    }
    return status;
}

} // namespace

// Whatever escapes the build (too little memory above all) ends the
// program with its message and the status of a failed build, never with
// std::terminate.
int main(int argc, char** argv) {
    // The system's reasons (strerror) in the user's language, as the
    // wizard's toolkit sets it from the environment.
    std::setlocale(LC_ALL, "");
    try {
        return run(argc, argv);
    } catch (...) {
        ornibe::Failure failure = ornibe::unexpectedFailure(std::current_exception());
        std::fprintf(stderr, "ornibe-build: %s\n%s\n", failure.headline.c_str(),
                     failure.line().c_str());
        return ornibe::kExitFailed;
    }
}
