#pragma once

#include "sys/Failure.h"

#include <string>
#include <vector>

namespace ornibe {

// The answer of a check of an answer file: a refusal (its what names the
// field or the file, its reason the rule), and the warnings to show even
// when it passes.
struct AnswerCheck {
    Outcome outcome;
    std::vector<std::string> warnings;
};

} // namespace ornibe
