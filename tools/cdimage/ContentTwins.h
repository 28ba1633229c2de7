#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ornibe {

// For each file, the index of the first file of the list with the same
// bytes (its own index when it has no earlier twin). Files are compared
// only within the same size, first by a hash and then byte for byte, so a
// hash collision never joins different files. Empty files stay apart.
// Throws FileError when a file that needs comparing cannot be read.
std::vector<size_t> findContentTwins(const std::vector<std::string>& paths,
                                     const std::vector<std::uint64_t>& sizes);

} // namespace ornibe
