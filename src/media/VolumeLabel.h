#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace ornibe {

// The ISO image's primary volume descriptor holds the label in 32 bytes of
// ASCII: a label fits when it is at most 32 printable ASCII characters
// (blanks and quotes included). The image tool and the settings checks
// share this rule.
constexpr std::size_t kVolumeLabelMaxLength = 32;

bool volumeLabelFits(const std::string& label);

// The first byte of the label that is not printable ASCII; nothing when
// every byte is.
std::optional<std::size_t> firstUnfitLabelByte(const std::string& label);

} // namespace ornibe
