#pragma once

#include "inf/NoCaseTextList.h"
#include "inf/OrderedTextMap.h"
#include "sys/Failure.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace ornibe {

// What text-mode setup needs from all driver INF files the user listed,
// merged: an earlier INF wins over a later one for every entry.
//
// The lists keep insertion order and refuse an entry equal to one present,
// ignoring case. The maps compare keys exactly, keep the first value stored
// and iterate in insertion order.
//
// Paths of files on the driver medium (catalogFiles, infFiles and the keys
// of fileToTargetDir) are host paths (UTF-8, "/"). The other texts (binary
// names, hardware IDs, descriptions, services, relative target folders such
// as "system32\drivers") are code page 932 setup-file text.
class DriverPackage {
public:
    // A registry value below a driver's service key that setup writes
    // through HIVESYS.INF: the subkey below the service's key (empty for
    // the key itself), the value name, the AddReg type flags and the data
    // fields as an AddReg line holds them. Code page 932 text.
    struct ServiceValue {
        std::string service;
        std::string subkey;
        std::string name;
        std::uint32_t flags = 0;
        std::vector<std::string> data;

        bool operator==(const ServiceValue&) const = default;
    };

    void AddCatalogFile(std::string path);
    void AddServiceBinary(std::string fileName);
    // A file is placed into I386 under its own name, so one name can stand
    // for only one file: a driver file or INF file whose name (ignoring
    // case) is already taken by an earlier one is not stored, and the file
    // of the earlier INF, which also wins for the IDs and services, is the
    // one that setup gets.
    void AddInfFile(std::string path);
    void AddHardwareId(std::string hardwareId, std::string service);
    void AddDescription(std::string description, std::string service);
    // Stores the source path with the target folder relative to the Windows
    // folder (InfFile::windowsFolder): "C:\WINDOWS\system32\drivers" becomes
    // "system32\drivers", the Windows folder itself a single backslash.
    // A source path already present keeps its first target; a file whose
    // name is taken (see AddInfFile) is not stored.
    void AddFileTarget(std::string sourcePath, std::string_view absoluteTarget);
    // A path that an INF names but that leaves the INF's folder: never
    // used; the driver stage refuses a package that has one. The failure
    // names the INF (its host path) and why the path was refused.
    void addRefusedPath(Failure refusal);
    // A value equal to one present is not stored twice.
    void addServiceValue(ServiceValue value);

    // Entry i, or the empty text when i is not less than the list's length.
    std::string GetCatalogFile(std::size_t i) const { return catalogFiles_.at(i); }
    std::string GetServiceBinary(std::size_t i) const { return serviceBinaries_.at(i); }
    std::string GetInfFile(std::size_t i) const { return infFiles_.at(i); }

    const NoCaseTextList& allCatalogFiles() const { return catalogFiles_; }
    const NoCaseTextList& serviceBinaries() const { return serviceBinaries_; }
    const NoCaseTextList& infFiles() const { return infFiles_; }
    const OrderedTextMap& hardwareIdToService() const { return hardwareIdToService_; }
    const OrderedTextMap& descriptionToService() const { return descriptionToService_; }
    const OrderedTextMap& fileToTargetDir() const { return fileToTargetDir_; }
    // Each refused path, in the order the INFs named them.
    const std::vector<Failure>& refusedPaths() const { return refusedPaths_; }
    // In the order they were added.
    const std::vector<ServiceValue>& serviceValues() const { return serviceValues_; }

    void Clear();

private:
    // Takes the file name of path for this package; false when an earlier
    // file has it.
    bool takeName(const std::string& path);

    NoCaseTextList catalogFiles_;
    NoCaseTextList serviceBinaries_;
    OrderedTextMap hardwareIdToService_;
    OrderedTextMap descriptionToService_;
    OrderedTextMap fileToTargetDir_;
    NoCaseTextList infFiles_;
    std::vector<Failure> refusedPaths_;
    std::vector<ServiceValue> serviceValues_;
    // Each value of serviceValues_ as one text, to find an equal one.
    std::unordered_set<std::string> serviceValueKeys_;
    // The names (folded) of the driver files and INF files stored.
    std::unordered_set<std::string> placedNames_;
};

} // namespace ornibe
