#pragma once

#include "inf/SetupArchitecture.h"

#include <string>

namespace ornibe {

class Medium;

// Where the setup files of a source (a folder that holds a CD's files, or
// an image file or disc read in place) are: AMD64 when AMD64/TXTSETUP.SIF
// is there (letter case aside), which is what makes an x64 CD, otherwise
// I386. The build, the checks on "次へ >" and the summary all take the
// setup folder from here.
Architecture sourceArchitecture(const Medium& source);

// "I386/TXTSETUP.SIF" or "AMD64/TXTSETUP.SIF".
std::string setupFileOf(Architecture architecture);

} // namespace ornibe
