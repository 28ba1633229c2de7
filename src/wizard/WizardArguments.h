#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// What the wizard answers on the terminal when it is started with
// arguments: it takes none but --help and --version, and refuses anything
// else, pointing at the command-line build. The texts are in the language
// the program speaks.
struct WizardArgumentAnswer {
    int status = 0;
    // For standard output, and for standard error.
    std::string out;
    std::string error;
};

// The answer to the arguments after the program's name; nothing when there
// are none, and the wizard opens.
std::optional<WizardArgumentAnswer> answerWizardArguments(const std::vector<std::string>& arguments,
                                                          const std::string& version);

} // namespace ornibe
