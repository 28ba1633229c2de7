#pragma once

#include "media/ImageDevice.h"

#include <optional>
#include <string>

namespace ornibe {

// What the ISO 9660 volume descriptors of a medium say, read through
// ImageDevice::findDescriptor: from the last session on an optical disc
// written in several sessions, from sector 16 of an image file. The drive
// list, the image reader and the image tool all read them here.

// Whether the image file or device holds an ISO 9660 image: its volume
// descriptor set starts with "CD001" after the type byte. This is how an
// earlier image of this program is told from other files. A file that
// cannot be read has no signature.
bool hasIso9660Signature(const std::string& path);

// The volume identifier of the primary volume descriptor (bytes 40 to 71)
// without its padding: up to the first NUL, trailing spaces removed.
// Nothing when the medium holds no such descriptor or cannot be read.
std::optional<std::string> readIso9660Label(const ImageDevice& device);
std::optional<std::string> readIso9660Label(const std::string& path);

} // namespace ornibe
