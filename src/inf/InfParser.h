#pragma once

#include "inf/InfFile.h"

#include <cstddef>
#include <string>

namespace ornibe {

// Reads decoded INF text (code page 932) into data in one pass over the
// text, which data keeps: the fields are written over the text they are
// read from. Then replaces string keys and builds the lookup tables.
// False when the text breaks a rule for which Windows setup refuses the
// whole file: a section header without its closing bracket, a section
// name longer than 255 characters, or text before the first section
// header; or when reading it would take more memory than a file of
// fileBytes may (InfLimits.h); in an answer file also a double quote left
// open on its line. Problem, when given, then says which line and why.
bool parseInfText(std::string text, std::size_t fileBytes, InfFile::Data& data, InfProblem* problem,
                  InfStyle style = InfStyle::Win4);

} // namespace ornibe
