#pragma once

#include "inf/WindowsTarget.h"

#include <string_view>

namespace ornibe {

// The target that the name of the installation CD, as its TXTSETUP.SIF
// spells it, tells for a tree of the architecture. "2000" (build 2195),
// "XP" (2600) and "2003" (3790) are looked for in this order,
// case-sensitively, and a later match wins; every x64 system is build
// 3790. With no match the version is unknown and the build number empty.
WindowsTarget detectTarget(std::string_view cdName, Architecture architecture);

} // namespace ornibe
