#pragma once

#include "inf/WindowsTarget.h"
#include "settings/AnswerFileFields.h"
#include "sys/InputSnapshot.h"

#include <string>
#include <vector>

namespace ornibe {

// The confirmation summary's lines for the answer file, without their
// indent: which file goes into the tree, then the computer name, the
// language, the time zone, whether a password is set and the product key
// with only its last group shown. A user's file is read for them. Nothing
// when no answer file is written. The password never appears.
std::vector<std::string> answerFileSummary(const AnswerFileFields& fields, WindowsVersion version,
                                           InputSnapshots& inputs);

// "日本語" or "英語（米国）", as the dialog lists the languages.
std::string languageName(AnswerFileFields::Language language);

} // namespace ornibe
