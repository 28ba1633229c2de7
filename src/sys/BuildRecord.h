#pragma once

#include <string_view>

namespace ornibe {

// The record in which the build notes what it put into the work folder for
// the next build of the same folder ($OEM$\ORNIBE.TXT, the Plug and Play
// driver folders it made). It is the build's, not the CD's: the image
// leaves it out.
inline constexpr std::string_view kBuildRecordFolder = "$OEM$";
inline constexpr std::string_view kBuildRecordName = "ORNIBE.TXT";

// Whether relative, a path below the tree's root with "/" between names,
// is the record, letter case ignored.
bool isBuildRecord(std::string_view relative);

} // namespace ornibe
