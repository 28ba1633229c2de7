#pragma once

#include "sys/Result.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ornibe {

// A driver floppy's description file (TXTSETUP.OEM), as text-mode setup
// reads it for the "scsi" component, the only one a storage driver uses.
// Every text keeps the file's bytes (code page 932), as the INF reader
// keeps its text, so that what goes into TXTSETUP.SIF and HIVESYS.INF is
// what the floppy holds; it is converted to host text (oemShown) only where
// it is shown or names a host file. The fields are as written, enclosing
// quotes removed.

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

// A line of a [Config] section of the entry: value = subkey, name, type,
// data. An empty subkey is the service's own key.
struct OemConfigValue {
    // The service whose key the value goes under: that of the driver line
    // whose section holds it (its file's name without the extension).
    std::string service;
    // The section as the file names it.
    std::string section;
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
    // The [Config] sections the values come from, as the file names them:
    // each driver line's Config.driverkey; for the first driver line, when
    // its own is missing, Config.ID or Config.scsi.ID, as real files name
    // it. Empty when there is none.
    std::vector<std::string> configSections;
    std::vector<OemConfigValue> config;

    // The entry's first driver line; null when it has none.
    const OemFileLine* driver() const;
    // Every driver line, in the file's order.
    std::vector<const OemFileLine*> drivers() const;
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

    // The disk of the ID (the file's bytes), ignoring letter case.
    const OemDisk* disk(std::string_view id) const;
    // The entry of the ID (host text, as the user gives it), ignoring
    // letter case.
    const OemEntry* entry(std::string_view id) const;

    // Indexes of disks and entries under their IDs in lower case, so that
    // every lookup is one step whatever the size of the file.
    std::unordered_map<std::string, std::size_t> diskIndex;
    std::unordered_map<std::string, std::size_t> entryIndex;
};

// A text of the file as the host shows it (UTF-8).
std::string oemShown(std::string_view bytes);

// Reads the file at path, its folder taken for the disk's root, in time
// linear in its size. Refused, with the reason, when it cannot be read as a
// setup file or has no [scsi] section. A headline names the file.
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
