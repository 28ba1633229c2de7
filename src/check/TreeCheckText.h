#pragma once

#include "check/TreeCheck.h"

#include <string>

namespace ornibe {

// The check's section at the end of a build's log: the "検証" heading and
// one line for each problem, CR LF; the empty text when there is none, so
// that the log of a build without problems stays as it always was. Notes
// are left to ornibe-build --check.
std::string treeCheckLogText(const TreeCheckReport& report);

// The report as a table for a terminal: one row for each finding (its
// kind and its text), then the counts; LF line ends.
std::string treeCheckTable(const TreeCheckReport& report, const std::string& workFolder);

// The report as one JSON object: {"work": ..., "ok": ..., "problems": N,
// "notes": N, "findings": [{"kind": "problem"|"note", "text": ...,
// "unreadable": ...}]}, with a final LF.
std::string treeCheckJson(const TreeCheckReport& report, const std::string& workFolder);

// Text as a JSON string, quotes included: control characters escaped, and
// each byte that is no part of a well-formed UTF-8 character as U+FFFD.
std::string jsonString(std::string_view text);

} // namespace ornibe
