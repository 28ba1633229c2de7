#pragma once

#include <string>
#include <vector>

namespace ornibe {

// The settings page's Plug and Play driver list: what adding a picked INF
// and removing the selected entry leave in it.

// The entries with path appended, unless it is empty or the list already
// holds it, letter case aside (as the driver INF list judges it).
std::vector<std::string> pnpListWith(std::vector<std::string> entries, const std::string& path);

// The entries without the one at row; unchanged when row is no entry
// (nothing selected).
std::vector<std::string> pnpListWithout(std::vector<std::string> entries, int row);

} // namespace ornibe
