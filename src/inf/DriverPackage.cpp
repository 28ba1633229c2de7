#include "inf/DriverPackage.h"

#include "inf/InfFile.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"

#include <utility>

namespace ornibe {

void DriverPackage::AddCatalogFile(std::string path) {
    catalogFiles_.add(std::move(path));
}

void DriverPackage::AddServiceBinary(std::string fileName) {
    serviceBinaries_.add(std::move(fileName));
}

bool DriverPackage::takeName(const std::string& path) {
    return placedNames_.insert(foldHostText(fileName(path))).second;
}

void DriverPackage::AddInfFile(std::string path) {
    if (!infFiles_.contains(path) && takeName(path))
        infFiles_.add(std::move(path));
}

void DriverPackage::AddHardwareId(std::string hardwareId, std::string service) {
    hardwareIdToService_.insert(std::move(hardwareId), std::move(service));
}

void DriverPackage::AddDescription(std::string description, std::string service) {
    descriptionToService_.insert(std::move(description), std::move(service));
}

void DriverPackage::AddFileTarget(std::string sourcePath, std::string_view absoluteTarget) {
    if (fileToTargetDir_.contains(sourcePath) || !takeName(sourcePath))
        return;
    // The folder below the Windows folder, as text-mode setup names target
    // folders: without "C:\WINDOWS" and the backslash after it. A target
    // that does not lie below the Windows folder (a Program Files folder,
    // the root of the system drive) has no such name; the file then goes to
    // the Windows folder itself rather than to a folder made of the cut-off
    // tail of another path.
    const std::string_view windows = InfFile::windowsFolder;
    std::string relative = "\\";
    if (absoluteTarget.size() > windows.size() + 1 &&
        equalsSetupNoCase(absoluteTarget.substr(0, windows.size()), windows) &&
        absoluteTarget[windows.size()] == '\\')
        relative = std::string(absoluteTarget.substr(windows.size() + 1));
    fileToTargetDir_.insert(std::move(sourcePath), std::move(relative));
}

void DriverPackage::addRefusedPath(Failure refusal) {
    refusedPaths_.push_back(std::move(refusal));
}

namespace {

// The value as one text, each part after its length, so that two values
// have the same text exactly when they are equal.
std::string serviceValueKey(const DriverPackage::ServiceValue& value) {
    std::string key;
    auto add = [&](std::string_view part) {
        key += std::to_string(part.size());
        key += ':';
        key += part;
    };
    add(value.service);
    add(value.subkey);
    add(value.name);
    add(std::to_string(value.flags));
    for (const std::string& data : value.data)
        add(data);
    return key;
}

} // namespace

void DriverPackage::addServiceValue(ServiceValue value) {
    if (!serviceValueKeys_.insert(serviceValueKey(value)).second)
        return;
    serviceValues_.push_back(std::move(value));
}

void DriverPackage::Clear() {
    refusedPaths_.clear();
    serviceValues_.clear();
    serviceValueKeys_.clear();
    catalogFiles_.clear();
    serviceBinaries_.clear();
    hardwareIdToService_.clear();
    descriptionToService_.clear();
    fileToTargetDir_.clear();
    infFiles_.clear();
    placedNames_.clear();
}

} // namespace ornibe
