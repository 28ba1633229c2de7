#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>

namespace ornibe::test {

// Shows bytes with CR, LF, TAB, 0x1A and other control or high bytes
// escaped, so that a failure message tells line ends apart.
std::string visibleBytes(std::string_view bytes);

// Passes when the file ends with exactly these bytes.
::testing::AssertionResult fileEndsWith(const std::string& path, std::string_view tail);
// Passes when the file holds exactly these bytes.
::testing::AssertionResult fileHolds(const std::string& path, std::string_view bytes);

// Everything below root as it stands: each entry's path relative to root
// with its type, permission bits, modification time and content (a link's
// target, a file's bytes). Two snapshots compare equal only when nothing
// below root was written, renamed, removed or changed in mode or time.
using TreeSnapshot = std::map<std::string, std::string>;
TreeSnapshot snapshotTree(const std::string& root);

} // namespace ornibe::test
