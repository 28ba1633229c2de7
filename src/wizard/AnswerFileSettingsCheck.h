#pragma once

#include "inf/WindowsTarget.h"
#include "runner/MessageBox.h"
#include "settings/AnswerFileFields.h"
#include "sys/InputSnapshot.h"

namespace ornibe {

// The answer file's checks on "次へ >", before anything changes: the
// fields of a file to write, or the user's own file, for the version of
// the tree (which may be unknown). A refusal is a message whose first
// line names the field or the file and whose second line gives the rule;
// a warning is shown and passes. True when the page may go on; always true
// when no answer file is asked for.
// The user's file is read through inputs.
bool checkAnswerFileSettings(const AnswerFileFields& fields, WindowsVersion version,
                             InputSnapshots& inputs, MessageBox& messages);

} // namespace ornibe
