#pragma once

#include "sys/Result.h"

#include <string>
#include <vector>

namespace ornibe {

// The fields of a tool's list file, in order: each field is ended by a NUL
// byte, so that any path can stand in it. Fails, naming the list, when it
// cannot be read or its last field is not ended.
Result<std::vector<std::string>> readListFields(const std::string& list);

} // namespace ornibe
