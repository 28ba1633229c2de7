#pragma once

#include "cli/CommandOptions.h"
#include "settings/AnswerFileFields.h"

#include <optional>
#include <string>

namespace ornibe {

// Why the answer file's options do not fit together, as a usage error's
// text: --unattended and --answer-file both, a field without
// --unattended, a time zone that is not a number, a language other than
// ja or en. Nothing when they fit. What the fields hold is the checks' on
// "次へ >" to judge.
std::optional<std::string> answerFileOptionsMisfit(const CommandOptions& options);

// The settings' answer file fields from options that fit: none without
// --unattended or --answer-file, the defaults where a field is not given.
AnswerFileFields answerFileFieldsOf(const CommandOptions& options);

} // namespace ornibe
