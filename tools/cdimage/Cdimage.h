#pragma once

#include "sys/HostEnvironment.h"

#include <ostream>
#include <string>
#include <vector>

namespace ornibe {

// cdimage [-lLABEL] [-h] [-n] [-m] [-o] [-x] [-bBOOTFILE] TREE IMAGE
//
// Writes an ISO 9660 image of the folder TREE to IMAGE, laid out as the
// boot loader of a Windows setup CD expects to read it: names in upper
// case, no ";1" version suffix and no dot after a name without extension,
// folders as deep as the tree, no Rock Ridge and no Joliet. The options:
//   -l  volume label: printable ASCII, at most 32 characters;
//   -h  include hidden entries (names starting with ".");
//   -n  keep long names (up to 37 characters) instead of 8.3 names;
//   -o  store files of identical content once;
//   -b  El Torito no-emulation boot from BOOTFILE, loaded at segment
//       0x07C0, 4 sectors; the boot file and the boot catalog do not show
//       in the directory tree;
//   -m, -x  accepted; they change nothing here.
// The image never holds its own output file, also when IMAGE lies inside
// TREE, nor an earlier ISO image lying in TREE's top folder under any name
// (each named on out as left out). It is written under a temporary name beside IMAGE and renamed
// into place, so a failed run leaves no partial image.
//
// SOURCE_DATE_EPOCH in environment, when set, dates every entry of the
// image.
//
// Returns the exit code: 0 on success; otherwise 1 after one line on err.
int runCdimage(const std::vector<std::string>& args, const HostEnvironment& environment,
               std::ostream& out, std::ostream& err);

} // namespace ornibe
