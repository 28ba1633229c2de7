#include "inf/OemEntryPackage.h"

#include "inf/DriverPackage.h"
#include "inf/InfFile.h"
#include "sys/CaseFold.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace ornibe {
namespace {

struct TypeFlag {
    std::string_view name;
    std::uint32_t flags;
};

// The REG_* types as the AddReg directive writes them.
constexpr std::array<TypeFlag, 5> kTypes{{{"REG_SZ", 0x00000000},
                                          {"REG_EXPAND_SZ", 0x00020000},
                                          {"REG_MULTI_SZ", 0x00010000},
                                          {"REG_BINARY", 0x00000001},
                                          {"REG_DWORD", 0x00010001}}};

std::string targetFolder(const std::string& kind) {
    const std::string windows(InfFile::windowsFolder);
    return kind == "dll" ? windows + "\\system32" : windows + "\\system32\\drivers";
}

} // namespace

std::string oemEntryService(const OemEntry& entry) {
    const OemFileLine* driver = entry.driver();
    if (driver == nullptr) {
        return {};
    }
    std::size_t dot = driver->name.rfind('.');
    return dot == std::string::npos ? driver->name : driver->name.substr(0, dot);
}

std::optional<std::uint32_t> addRegFlags(std::string_view type) {
    for (const TypeFlag& known : kTypes) {
        if (equalsSetupNoCase(known.name, type)) {
            return known.flags;
        }
    }
    return std::nullopt;
}

bool setByServiceLoad(const OemConfigValue& value) {
    if (!value.subkey.empty()) {
        return false;
    }
    for (std::string_view name : {"Start", "Type", "Group", "Tag", "ErrorControl"}) {
        if (equalsSetupNoCase(value.name, name)) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> addRegData(const OemConfigValue& value, std::uint32_t flags) {
    if (flags == 0x00010001) {
        std::string digits = value.data.empty() ? std::string("0") : value.data.front();
        if (digits.starts_with("0x") || digits.starts_with("0X")) {
            digits.erase(0, 2);
        }
        return {"0x" + digits};
    }
    if (flags == 0x00000001) {
        std::string digits;
        for (const std::string& part : value.data) {
            digits += part;
        }
        std::vector<std::string> bytes;
        for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
            bytes.push_back(digits.substr(i, 2));
        }
        return bytes;
    }
    return value.data;
}

void addOemEntry(const TxtsetupOem& oem, const OemEntry& entry, DriverPackage& package) {
    const std::string service = oemEntryService(entry);
    std::vector<std::string> services;
    // The first of the services of each name, folded as setup compares
    // names: an entry may name many drivers and many IDs.
    std::unordered_map<std::string, std::size_t> serviceIndex;
    for (const OemFileLine* driver : entry.drivers()) {
        const std::size_t dot = driver->name.rfind('.');
        services.push_back(dot == std::string::npos ? driver->name : driver->name.substr(0, dot));
        serviceIndex.emplace(foldSetupText(services.back()), services.size() - 1);
    }
    for (const OemFileLine& file : entry.files) {
        Result<std::string> path = oemFilePath(oem, file);
        if (!path) {
            package.addRefusedPath(path.failure());
            continue;
        }
        if (file.kind == "driver") {
            package.AddServiceBinary(file.name);
            package.AddFileTarget(*path, targetFolder(file.kind));
        } else if (file.kind == "port" || file.kind == "class" || file.kind == "dll") {
            package.AddFileTarget(*path, targetFolder(file.kind));
        } else if (file.kind == "inf") {
            package.AddInfFile(*path);
        } else if (file.kind == "catalog") {
            package.AddCatalogFile(*path);
        }
    }
    if (service.empty()) {
        return;
    }
    // An ID goes to the service it names when that is one of the entry's
    // drivers, otherwise to the first driver's.
    for (const auto& [hardwareId, named] : entry.hardwareIds) {
        auto own = serviceIndex.find(foldSetupText(named));
        package.AddHardwareId(hardwareId,
                              own == serviceIndex.end() ? service : services[own->second]);
    }
    package.AddDescription(entry.description, service);
    for (const OemConfigValue& value : entry.config) {
        std::optional<std::uint32_t> flags = addRegFlags(value.type);
        if (!flags || setByServiceLoad(value)) {
            continue;
        }
        package.addServiceValue({value.service.empty() ? service : value.service, value.subkey,
                                 value.name, *flags, addRegData(value, *flags)});
    }
}

} // namespace ornibe
