#pragma once

#include <string>

namespace ornibe::test {

// The samples shipped with the program: a Windows XP CD tree and a driver
// folder that holds one storage driver's INF and files.
inline const std::string kSampleTree = std::string(ORNIBE_SOURCE_DIR) + "/samples/xp";
inline const std::string kSampleDriverFolder = std::string(ORNIBE_SOURCE_DIR) + "/samples/driver";
inline const std::string kSampleDriverInf = kSampleDriverFolder + "/OrScsi.inf";

} // namespace ornibe::test
