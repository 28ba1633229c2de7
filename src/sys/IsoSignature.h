#pragma once

#include <string>

namespace ornibe {

// A file that holds an ISO 9660 image: "CD001" at byte 32769, where the
// first volume descriptor (sector 16) has it after its type byte. This is
// how an earlier image of this program is told from other files. A file
// that cannot be read has no signature.
bool hasIso9660Signature(const std::string& path);

} // namespace ornibe
