#pragma once

#include "inf/SetupArchitecture.h"
#include "sys/Failure.h"
#include "sys/Result.h"
#include "sys/StopCheck.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// A file a driver brings into the tree: its name as it lands there
// (folded; every file of a text-mode driver lands in the setup folder under
// its own name) and what its bytes are, so that two files of one name can
// be told equal or different.
struct PackFile {
    std::string name;
    std::uint64_t size = 0;
    std::uint64_t digest = 0;

    bool sameBytes(const PackFile& other) const {
        return size == other.size && digest == other.digest;
    }
};

// One driver of a pack: an entry of a TXTSETUP.OEM, or a mass-storage INF
// of a folder that has no TXTSETUP.OEM.
struct PackDriver {
    // What the build reads it from, as a driver list entry: the folder
    // that holds the TXTSETUP.OEM (a driver floppy) or the INF.
    std::string source;
    // The entry's ID in the TXTSETUP.OEM; empty for an INF.
    std::string entryId;
    // How the messages name it: its path below the pack, with the entry's
    // ID for a TXTSETUP.OEM ("Intel/ICH7/XP/TXTSETUP.OEM [iaStor]").
    std::string shown;
    // Its hardware IDs as they go into TXTSETUP.SIF (setup text).
    std::vector<std::string> ids;
    // The INF's DriverVer (date, then version; empty when it states none).
    std::string driverVer;
    std::vector<PackFile> files;
    // Its driver binaries (.sys) that lie plain in the pack, for the load
    // check.
    std::vector<std::string> binaries;
    // The first file it names that is not in the pack or lies outside its
    // folder: a driver that cannot be integrated as it is.
    std::optional<Failure> missing;
};

class DriverPackage;

// Fills driver's IDs, files, binaries and first missing file from what the
// build would take of it, read into package.
void describePackage(const DriverPackage& package, PackDriver& driver);

struct DriverPack {
    // The pack's folder as given, made absolute.
    std::string root;
    // In the order the folders were walked (names sorted in each folder).
    std::vector<PackDriver> drivers;
    // Drivers of the pack for another architecture or version, passed over.
    std::size_t otherSystems = 0;
};

// Walks the pack in folder: each folder's TXTSETUP.OEM (every entry of its
// [scsi] section that names a driver file) or, in a folder without one or
// whose TXTSETUP.OEM cannot be read or names no driver file, each INF of
// class SCSIAdapter or hdc. Only drivers for the target are kept: an INF (an
// entry's own INF too) with models for the target's version and
// architecture, an entry whose driver binary is built for the target's
// machine. Refused, before anything is read into the build: a folder that
// is not there, a link that leads out of the pack, a pack with no driver
// for the target.
Result<DriverPack> readDriverPack(const std::string& folder, const WindowsTarget& target,
                                  const StopCheck& stop = {});

} // namespace ornibe
