#pragma once

#include "answer/AnswerCheck.h"
#include "inf/InfFile.h"
#include "inf/WindowsTarget.h"
#include "sys/InputSnapshot.h"

#include <string>
#include <vector>

namespace ornibe {

// The user's own answer file, read as setup reads it and held to its rules.
struct AnswerFileReading {
    AnswerCheck check;
    // The sections and keys that no rule here knows, named as
    // "[Section]" or "[Section] Key": they pass as they are.
    std::vector<std::string> unchecked;
    // The file's bytes with LF line ends made CR LF: what the tree gets.
    std::string bytes;
    // The file as the INF parser read it; not open when it was refused
    // before it could be read.
    InfFile file;
};

// Reads the file at path (host path) and checks it for the version (which
// may be unknown); see checkAnswerFileBytes.
AnswerFileReading readAnswerFile(const std::string& path, WindowsVersion version);

// The same for the user's own answer file, read once through inputs (the
// settings record's, sys/InputSnapshot.h): the checks, the summary and the
// build see the same bytes, and a pipe or a FIFO is refused.
AnswerFileReading readUserAnswerFile(const std::string& path, WindowsVersion version,
                                     InputSnapshots& inputs);

// Refuses bytes that text-mode setup would not read as written: a
// byte-order mark, a NUL, a byte over 0x7F (each with its line), and a
// file that the INF parser does not open as an answer file (text before
// the first section, a bracket or a quote left open), with the line as
// setup counts it. Then holds the values of the keys it knows (in
// [Data], [Unattended], [GuiUnattended], [UserData], [RegionalSettings],
// [Identification], [Networking]) to their rules, and asks for a full
// name. Windows 2000 reads the key only as ProductID. Lines without a key
// pass; [GuiRunOnce] holds commands. Path names the file in the messages.
AnswerFileReading checkAnswerFileBytes(std::string bytes, const std::string& path,
                                       WindowsVersion version);

} // namespace ornibe
