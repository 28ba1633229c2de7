#pragma once

namespace ornibe {

// The one-character code of the Windows version that the confirmation page
// detects from the CD name, and that the driver walk and the setup file
// editor receive. Only Windows 2000 changes how a driver INF is read.
namespace VersionCode {
inline constexpr char Windows2000 = '0';
inline constexpr char WindowsXp = '1';
inline constexpr char Server2003 = '2';
} // namespace VersionCode

} // namespace ornibe
