#pragma once

#include "inf/InfFile.h"

#include <string_view>

namespace ornibe {

// Reads decoded INF text (code page 932) into data in one pass, then
// replaces string keys and builds the lookup index. False when the text
// breaks a rule for which Windows setup refuses the whole file: a section
// header without its closing bracket, a section name longer than 255
// characters, or text before the first section header; problem, when
// given, then says which line and why.
bool parseInfText(std::string_view text, InfFile::Data& data, InfProblem* problem);

} // namespace ornibe
