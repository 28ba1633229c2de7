#pragma once

#include <string>
#include <vector>

namespace ornibe {

// The commands of a cmdlines.txt as setup reads them: the lines of
// [Commands], quotes removed, in order; nothing when it does not parse.
std::vector<std::string> cmdlinesCommands(const std::string& bytes);

// The $OEM$ step (runner/steps/BuildSteps.h): merges the user's folder
// into the work folder's $OEM$ (file by file, letter case ignored as on
// Windows) and adds the commands to $OEM$\cmdlines.txt after the lines it
// holds, each once. A file there already with the same bytes stays; one
// with other bytes (the PnP drivers', the CD's, an earlier build's) is
// never replaced: the step is refused before anything is copied.
// cmdlines.txt is read back through the INF parser. On a failure the
// files it copied are removed again.

} // namespace ornibe
