#pragma once

#include "sys/Failure.h"
#include "sys/Result.h"
#include "sys/SearchPath.h"
#include "sys/StopCheck.h"

#include <string>

namespace ornibe {

// Driver floppies as their makers ship them: image files of a FAT12 or
// FAT16 floppy, read without mounting through mtools (mcopy), run as a
// child like the other tools (found and started as tools says), so an
// ordinary user can read them.

// Whether the file at path is a floppy image: its name ends in .img, .ima,
// .vfd or .flp (ignoring case), or it starts with a FAT12 or FAT16 boot
// sector (a BIOS parameter block that reads as one, and 55 AA at the end of
// the sector).
bool isFloppyImage(const std::string& path);

// Whether the file at path starts with a FAT12 or FAT16 boot sector.
bool hasFatBootSector(const std::string& path);

// Copies every file of the image into folder (an existing, empty one),
// keeping the image's folders, with "mcopy -i image -s -n -m ::/* folder/".
// mtools runs with MTOOLS_SKIP_CHECK=1 and MTOOLSRC=/dev/null, so neither
// the user's configuration nor a strict check of the boot sector changes
// what it reads. The failure says why (the tool's exit code and last line,
// or that mcopy is not installed). The image is walked first
// (checkFloppyImage, media/FloppyImageCheck.h), so that a folder loop, a
// cross-linked chain or a file larger than its chain is refused by name
// before mcopy reads it; mcopy then runs within the same time limit, and
// stop or the limit ends it with its process group.
Outcome extractFloppyImage(const std::string& image, const std::string& folder,
                           const ToolSearch& tools, const StopCheck& stop = {});

// The folder that holds the image's files for this run of the program:
// extracted on the first call for the image, again when the image has
// changed since, and removed when the program ends. A refused or stopped
// extraction removes what it copied at once.
Result<std::string> floppyImageFolder(const std::string& image, const ToolSearch& tools,
                                      const StopCheck& stop = {});

} // namespace ornibe
