#pragma once

#include "cli/CommandOptions.h"
#include "settings/AnswerFileFields.h"

#include <istream>
#include <optional>
#include <string>

namespace ornibe {

// Why the answer file's options do not fit together, as a usage error's
// text: --unattended and --answer-file both, a field without
// --unattended, a time zone that is not a number, a language other than
// ja or en. Nothing when they fit. What the fields hold is the checks' on
// "次へ >" to judge.
std::optional<std::string> answerFileOptionsMisfit(const CommandOptions& options);

// Reads --admin-password-file and --product-key-file (a file, or standard
// input for "-") into the password and the key, each without its one
// trailing line break. The program's message (Japanese, naming the option's
// file, never its content) when one cannot be read.
std::optional<std::string> readSecretFiles(CommandOptions& options, std::istream& in);

// Overwrites with NUL bytes, in the program's own argument vector, the
// values of --admin-password and --product-key, so that the process list
// (ps, /proc/PID/cmdline) never shows them. The arguments are read by the
// option table's rules first: the value of another option or what follows
// "--" is left as it is.
void hideSecretArguments(int argc, char** argv);

// The settings' answer file fields from options that fit: none without
// --unattended or --answer-file, the defaults where a field is not given.
AnswerFileFields answerFileFieldsOf(const CommandOptions& options);

} // namespace ornibe
