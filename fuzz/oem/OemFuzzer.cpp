// libFuzzer target: a driver floppy's TXTSETUP.OEM read from arbitrary
// bytes, and every entry it gives mapped to the driver package the build
// integrates, with each file's place on the disk.
#include "inf/DriverPackage.h"
#include "inf/OemEntryPackage.h"
#include "inf/TxtsetupOem.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string scratchFile() {
    char folder[] = "/tmp/ornibe-fuzz-XXXXXX";
    if (!mkdtemp(folder))
        std::abort();
    return std::string(folder) + "/TXTSETUP.OEM";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = scratchFile();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    ornibe::Result<ornibe::TxtsetupOem> oem = ornibe::readTxtsetupOem(path);
    if (!oem)
        return 0;
    (void)oem->entry(oem->defaultId);
    for (const ornibe::OemEntry& entry : oem->entries) {
        (void)entry.driver();
        for (const ornibe::OemFileLine& line : entry.files)
            (void)ornibe::oemFilePath(*oem, line);
        ornibe::DriverPackage package;
        ornibe::addOemEntry(*oem, entry, package);
    }
    return 0;
}
