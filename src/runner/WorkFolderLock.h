#pragma once

#include "sys/Failure.h"
#include "sys/FolderLock.h"

#include <string>

namespace ornibe {

// The lock that keeps a second build off a work folder while one works on
// it (see FolderLock). The build holds it from its first step to its end;
// "次へ >" asks for it first, so that a folder in use is refused before any
// question about it.

// Takes the work folder's lock into lock for a build: the failure that
// names the folder when another build holds it. A file system that cannot
// lock (or a folder that does not exist yet or cannot be opened, which the
// build itself then meets) leaves the build unguarded, as it always was,
// rather than refusing it.
Outcome lockWorkFolder(FolderLock& lock, const std::string& folder);

// Whether a build could take the folder's lock now, asked without keeping
// it: the same failure when another build holds it.
Outcome checkWorkFolderFree(const std::string& folder);

} // namespace ornibe
