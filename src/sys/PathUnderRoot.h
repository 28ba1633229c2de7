#pragma once

#include "sys/Result.h"

#include <string>
#include <string_view>

namespace ornibe {

// The one way a path that comes from outside (a setup file, a driver INF,
// a tree copied from a CD or an image) is joined under a folder the program
// owns or reads from: the result always lies inside root, and nothing on
// the way is a link.

enum class NameCase {
    Exact,
    // Each part matches an existing entry ignoring ASCII letter case, the
    // exact spelling first (as Windows finds names).
    Ignore,
};

// root joined with the parts of relative, or why the path was refused:
// the failure's reason names the offending part; its path is left to the
// caller, who knows what the path was for.
using RootedPath = Result<std::string>;

// Joins relative (parts separated by "/" or "\"; empty and "." parts are
// dropped) under root. Refused: a ".." part, a relative path that begins
// with "/" or "\" or with a drive such as "C:", and an existing entry on
// the way, the last one included, that is a link. Parts that do not exist
// are joined as given, so the result may name a file still to be made.
// root itself is trusted as given; an empty root means the current folder
// and gives a relative result.
RootedPath pathUnderRoot(const std::string& root, std::string_view relative,
                         NameCase nameCase = NameCase::Exact);

// Checks a path the program built itself below root (for example the I386
// folder of the work folder): refused when any entry below root on the way
// to it, the last one included, is a link, or when it does not lie below
// root. The accepted path is returned unchanged.
RootedPath checkUnderRoot(const std::string& root, const std::string& path);

} // namespace ornibe
