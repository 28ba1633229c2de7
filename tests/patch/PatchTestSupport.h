#pragma once

#include "support/TempDir.h"
#include "support/TestEnvironment.h"

#include <set>
#include <string>
#include <string_view>

namespace ornibe::test {

// The start of every INF and SIF file that the parser opens.
inline const std::string kVersionHeader = "[Version]\r\nSignature=\"$Windows NT$\"\r\n";

// The names in a folder, "." and ".." left out.
std::set<std::string> namesIn(const std::string& folder);

// Every file below folder with its bytes, as "relative path\n<bytes>"
// records, so that two snapshots compare equal exactly when nothing changed.
std::string snapshot(const std::string& folder);

// Makes a cabinet of file with the project's makecab into folder and
// returns the cabinet's path.
std::string makeCabinet(const std::string& file, const std::string& folder);
// Expands the cabinet with the project's extract into folder.
void expandCabinet(const std::string& cabinet, const std::string& folder);

// Removes a folder with everything in it.
void removeTree(const std::string& folder);

// Clears the owner write bit: the file layer then treats it as read-only.
void makeReadOnly(const std::string& path);

} // namespace ornibe::test
