#pragma once

#include <cstddef>

namespace ornibe {

// The longest name, in bytes, that cdimage writes whole into an image with
// long names (-n, ISO 9660 level 3 with 37-character names and no Joliet
// tree, as the build writes it); a longer one is shortened in the image.
inline constexpr std::size_t kIsoLongNameLimit = 37;

} // namespace ornibe
