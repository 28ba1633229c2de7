#pragma once

#include "inf/TxtsetupOem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

class DriverPackage;

// How an entry of a driver floppy becomes what text-mode setup gets from a
// driver INF: the same package, so that one set of patchers writes both.

// The service the entry installs: its driver file's name without the
// extension, as TXTSETUP.SIF's [SCSI.Load] names a driver. Empty without a
// driver line.
std::string oemEntryService(const OemEntry& entry);

// The AddReg type flags of a [Config] value's type (REG_DWORD, REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, ignoring case); nothing for
// another.
std::optional<std::uint32_t> addRegFlags(std::string_view type);

// Whether the value is one on the service key itself that [SCSI.Load]
// sets already (Start, Type, Group, Tag, ErrorControl): not written.
bool setByServiceLoad(const OemConfigValue& value);

// The data fields of an AddReg line for the value: a REG_DWORD's data is
// hexadecimal ("33" is 0x33), a REG_BINARY's a run of hexadecimal digit
// pairs, one field a byte; texts stay as they are.
std::vector<std::string> addRegData(const OemConfigValue& value, std::uint32_t flags);

// Adds the entry to the package: its driver (and port, class) files for
// system32\drivers, DLLs for system32, its INF and catalog, its hardware
// IDs and description under its service (an ID that names another of its
// driver lines' services under that one), and its [Config] values that are
// written (see setByServiceLoad), each under its own driver line's service.
// The texts go in as the file has them (code page 932). A file path that leaves the disk's root
// is recorded as refused.
void addOemEntry(const TxtsetupOem& oem, const OemEntry& entry, DriverPackage& package);

} // namespace ornibe
