#pragma once

#include "runner/ConfirmData.h"

#include <string_view>

namespace ornibe {

// Sets the version code and build number from the name of the installation
// CD as its TXTSETUP.SIF spells it. "2000", "XP" and "2003" are looked for
// in this order, case-sensitively, and a later match wins; with no match
// both values stay as they were.
void detectTarget(std::string_view cdName, ConfirmData& data);

} // namespace ornibe
