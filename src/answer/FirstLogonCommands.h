#pragma once

#include "answer/AnswerFileWriter.h"
#include "inf/InfFile.h"

#include <string>
#include <vector>

namespace ornibe {

// [GuiRunOnce] of the answer file: the commands the first logon runs, in
// order, each a line "CommandN" = "command" numbered from 0.

// The answer file written from the fields: OemPreinstall = Yes at the end
// of [Unattended] when preinstall asks for it and the entries lack it, and
// a [GuiRunOnce] line for each command at the end.
void addSetupAdditionEntries(std::vector<AnswerEntry>& entries, bool preinstall,
                             const std::vector<std::string>& firstLogon);

// The user's own answer file (CR LF lines) with the commands after the
// lines of its own [GuiRunOnce], in a section of that name at the end of
// the file, numbered after the user's. problem says, in the program's
// words, where the result does not read back as the user's lines followed
// by these commands; empty when it does.
struct FirstLogonMerge {
    std::string bytes;
    std::string problem;
};
FirstLogonMerge mergeFirstLogonCommands(const std::string& bytes,
                                        const std::vector<std::string>& firstLogon);

// The commands of [GuiRunOnce] of a parsed answer file, in order.
std::vector<std::string> firstLogonCommandsOf(const InfFile& file);

} // namespace ornibe
