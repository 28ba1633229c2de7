#pragma once

#include "sys/Result.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ornibe {

// A driver floppy's description file (TXTSETUP.OEM), as text-mode setup
// reads it for the "scsi" component, the only one a storage driver uses.
// Every text is host text (UTF-8), converted from the file's code page 932;
// the fields are as written, enclosing quotes removed.

// [Disks]: dN = "description", tagfile, directory. The directory is a path
// from the disk's root, with or without a leading backslash.
struct OemDisk {
    std::string id;
    std::string description;
    std::string tagFile;
    std::string directory;
};

// A line of [Files.scsi.ID]: kind = disk, file[, driver key].
struct OemFileLine {
    // "driver", "port", "class", "dll", "inf", "catalog" (lower case).
    std::string kind;
    std::string disk;
    std::string name;
    // For a driver: the key that names its [Config.key] section.
    std::string driverKey;
};

// A line of the entry's [Config] section: value = subkey, name, type, data.
// An empty subkey is the service's own key.
struct OemConfigValue {
    std::string subkey;
    std::string name;
    // "REG_DWORD" and the like, as written.
    std::string type;
    std::vector<std::string> data;
};

// One option of [scsi]: ID = "description"[, servicekey], with the sections
// named after it.
struct OemEntry {
    std::string id;
    std::string description;
    // The optional key name of the [scsi] line; empty when not given.
    std::string keyName;
    // Whether a [Files.scsi.ID] section exists (it may be empty).
    bool hasFiles = false;
    std::vector<OemFileLine> files;
    // [HardwareIds.scsi.ID]: each ID with the service it names.
    std::vector<std::pair<std::string, std::string>> hardwareIds;
    // The [Config] section the values come from, as the file names it
    // (Config.driverkey, Config.ID or Config.scsi.ID); empty when none.
    std::string configSection;
    std::vector<OemConfigValue> config;

    // The entry's driver line; null when it has none.
    const OemFileLine* driver() const;
};

struct TxtsetupOem {
    // The file's host path, and the folder that stands for the disk's root.
    std::string path;
    std::string root;
    // The floppy image the files were taken from; empty when they are read
    // where they lie. The folder its files were extracted into.
    std::string image;
    std::string imageFolder;
    std::vector<OemDisk> disks;
    // The ID that [Defaults] names, or the first entry's when it names none.
    std::string defaultId;
    std::vector<OemEntry> entries;

    // A host path below root as the user knows it: in an image, the image
    // and the path inside it ("floppy.img:/TXTSETUP.OEM").
    std::string shown(const std::string& hostPath) const;

    const OemDisk* disk(std::string_view id) const;
    const OemEntry* entry(std::string_view id) const;
};

// Reads the file at path, its folder taken for the disk's root. Refused,
// with the reason, when it cannot be read as a setup file or has no [scsi]
// section. A headline names the file.
Result<TxtsetupOem> readTxtsetupOem(const std::string& path);

// Whether a file name is 8.3: a base of one to eight characters and at most
// one dot with an extension of at most three, none of them a blank or a
// character that FAT names cannot hold.
bool isShortFileName(std::string_view name);

// The host path of a file of the entry: the disk's directory joined under
// the root, then the name, each part matched ignoring letter case. Refused
// when the disk is not in [Disks] or the path leaves the root.
Result<std::string> oemFilePath(const TxtsetupOem& oem, const OemFileLine& file);

} // namespace ornibe
