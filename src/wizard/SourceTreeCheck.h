#pragma once

#include "sys/Failure.h"

#include <cstdint>
#include <optional>

namespace ornibe {

class Medium;

// Whether the source (an image file, a disc read through its device, a
// mounted disc or a folder) holds the setup tree of Windows 2000,
// XP or Server 2003: I386/TXTSETUP.SIF or AMD64/TXTSETUP.SIF, letter case
// aside. Itanium media (IA64/TXTSETUP.SIF alone) are refused as such. An image or a disc is looked
// into without copying anything. A refusal's headline is the first line of the message (it names
// the source), its reason the second: what was found instead. A read of an image that stop ended is
// no refusal: the caller looks at stop itself.
Outcome validateSetupSource(const Medium& source);

// The bytes a copy of the source writes into the work folder: the files of
// an image's or a disc's tree, or of a folder, together, as the copy counts
// them. Nothing when the source cannot be read or stop ended the read.
std::optional<std::uint64_t> sourceBytes(const Medium& source);

} // namespace ornibe
