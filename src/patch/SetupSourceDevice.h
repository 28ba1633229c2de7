#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ornibe {

// The line that makes text-mode setup read its files from the second hard
// disk's first partition: the USB stick, which the running system numbers
// after the one internal disk.
inline constexpr std::string_view kSetupSourceDeviceLine =
    "SetupSourceDevice = \"\\device\\harddisk1\\partition1\"";

// TXTSETUP.SIF's text with the line as the first of its [SetupData]
// section, in place of any SetupSourceDevice line the section held; its
// other bytes as they were. Nothing when the text has no [SetupData]
// section.
std::optional<std::string> withSetupSourceDevice(std::string_view txtsetup);

// How many SetupSourceDevice lines the [SetupData] section holds.
std::size_t setupSourceDeviceLines(std::string_view txtsetup);

} // namespace ornibe
