#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace ornibe {

// infquery: answers questions about one INF or SIF file the way Windows
// setup's INF parser answers them, for checks and for a person debugging a
// driver INF. args are the command-line arguments after the program name.
// Texts are written as the parser holds them (code page 932 bytes), each
// followed by LF. Returns the exit status: 0 answered, 1 the asked line or
// field does not exist, 2 a usage error or a file that cannot be read (with
// one line on err).
int runInfQuery(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace ornibe
