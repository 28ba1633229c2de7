// Reading a driver floppy's TXTSETUP.OEM of the worst shapes near the 64 MB
// a setup file may have: the time to read it and to look up every entry,
// disk and file of it, which grows with the size alone. Run by hand:
//
//   build/bench/inf/bench_txtsetup_oem [MEGABYTES]   (default 63)
//
// prints one line per shape and size: the file's size, whether it was read
// or refused, its entries and the seconds of the reading, of the lookups
// and of turning every entry into a driver package.
#include "inf/DriverPackage.h"
#include "inf/OemEntryPackage.h"
#include "inf/TxtsetupOem.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

// Lines long enough that the parse stays within the memory an INF may
// take (1.75 times its size), so that the reader itself is measured.
const std::string kPadding(120, 'x');

using ornibe::OemEntry;
using ornibe::TxtsetupOem;

// Appends lines made by line(i) until the text holds bytes.
void fill(std::string& text, std::size_t bytes, const std::function<std::string(int)>& line) {
    for (int i = 0; text.size() < bytes; ++i) {
        text += line(i);
    }
}

// Every entry a new ID with its own sections: each ID is looked up among
// those read before it.
std::string manyEntries(std::size_t bytes) {
    std::string text = "[Disks]\r\nd1 = \"Disk\", \\tag, \\\r\n[scsi]\r\n";
    fill(text, bytes / 3, [](int i) {
        return "E" + std::to_string(i) + " = \"Controller " + std::to_string(i) + kPadding +
               "\"\r\n";
    });
    fill(text, bytes, [](int i) {
        const std::string id = "E" + std::to_string(i);
        return "[Files.scsi." + id + "]\r\ndriver = d1, d" + std::to_string(i % 1000) +
               ".sys, k\r\n[HardwareIds.scsi." + id + "]\r\nid = \"PCI\\VEN_1234&DEV_" +
               std::to_string(i) + "\", \"d\"\r\n[Config." + id + "]\r\nvalue = \"" + kPadding +
               "\", V, REG_DWORD, 1\r\n";
    });
    return text;
}

// One ID written again and again: each line is a duplicate to pass over.
std::string oneIdRepeated(std::size_t bytes) {
    std::string text = "[Disks]\r\nd1 = \"Disk\", \\tag, \\\r\n[scsi]\r\n";
    fill(text, bytes, [](int) { return "SAME = \"The same controller " + kPadding + "\"\r\n"; });
    return text;
}

// Many disks, and one entry whose file lines name them all.
std::string manyDisks(std::size_t bytes) {
    std::string text = "[Disks]\r\n";
    fill(text, bytes / 2, [](int i) {
        return "d" + std::to_string(i) + " = \"Disk " + kPadding + "\", \\tag, \\folder" +
               std::to_string(i) + "\r\n";
    });
    text += "[scsi]\r\nONE = \"One\"\r\n[Files.scsi.ONE]\r\n";
    fill(text, bytes, [](int i) {
        return "dll = d" + std::to_string(i) + ", f" + std::to_string(i) + ".dll, " + kPadding +
               "\r\n";
    });
    return text;
}

// One entry of many drivers, each with its own Config section: each
// section is checked against those the entry has read before.
std::string manyConfigSections(std::size_t bytes) {
    std::string text = "[Disks]\r\nd1 = \"Disk\", \\tag, \\\r\n[scsi]\r\nONE = \"One\"\r\n"
                       "[Files.scsi.ONE]\r\n";
    fill(text, bytes / 2, [](int i) {
        const std::string n = std::to_string(i);
        return "driver = d1, d" + n + ".sys, k" + n + ", " + kPadding + "\r\n";
    });
    fill(text, bytes, [](int i) {
        return "[Config.k" + std::to_string(i) + "]\r\nvalue = \"" + kPadding +
               "\", V, REG_DWORD, 1\r\n";
    });
    return text;
}

// One entry of many drivers and as many hardware IDs, each naming a driver
// near the end: each ID's service is sought among the entry's drivers.
std::string manyIdsAndDrivers(std::size_t bytes) {
    std::string text = "[Disks]\r\nd1 = \"Disk\", \\tag, \\\r\n[scsi]\r\nONE = \"One\"\r\n"
                       "[Files.scsi.ONE]\r\n";
    int drivers = 0;
    fill(text, bytes / 2, [&](int i) {
        drivers = i + 1;
        return "driver = d1, d" + std::to_string(i) + ".sys, k, " + kPadding + "\r\n";
    });
    text += "[HardwareIds.scsi.ONE]\r\n";
    fill(text, bytes, [&](int i) {
        return "id = \"PCI\\VEN_1234&DEV_" + std::to_string(i) + kPadding + "\", \"d" +
               std::to_string(drivers - 1 - i % 16) + "\"\r\n";
    });
    return text;
}

// A disk whose folder is a long run of backslashes before its name: the
// path of each file is made from it.
std::string deepDiskFolder(std::size_t bytes) {
    std::string text = "[Disks]\r\nd1 = \"Disk\", \\tag, ";
    text.append(bytes - 256, '\\');
    text += "disk1\r\n[scsi]\r\nONE = \"One\"\r\n[Files.scsi.ONE]\r\n"
            "driver = d1, one.sys, one\r\n";
    return text;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void measure(const char* shape, const std::string& text, const std::string& folder) {
    const std::string path = folder + "/TXTSETUP.OEM";
    std::ofstream(path, std::ios::binary) << text;
    const auto start = std::chrono::steady_clock::now();
    ornibe::Result<TxtsetupOem> oem = ornibe::readTxtsetupOem(path);
    const double read = secondsSince(start);
    std::size_t found = 0;
    const auto lookStart = std::chrono::steady_clock::now();
    if (oem) {
        for (const OemEntry& entry : oem->entries) {
            found += oem->entry(entry.id) != nullptr;
            for (const auto& file : entry.files) {
                found += oem->disk(file.disk) != nullptr;
                found += static_cast<bool>(ornibe::oemFilePath(*oem, file));
            }
        }
    }
    const double look = secondsSince(lookStart);
    const auto packageStart = std::chrono::steady_clock::now();
    std::size_t ids = 0;
    if (oem) {
        for (const OemEntry& entry : oem->entries) {
            ornibe::DriverPackage package;
            ornibe::addOemEntry(*oem, entry, package);
            ids += package.hardwareIdToService().size();
        }
    }
    const double packaged = secondsSince(packageStart);
    std::printf("%-20s %6.1f MB  %s  entries %8zu  read %6.2f s  lookups %6.2f s (%zu)  "
                "packages %6.2f s (%zu IDs)\n",
                shape, text.size() / 1048576.0, oem ? "read   " : "refused",
                oem ? oem->entries.size() : std::size_t{0}, read, look, found, packaged, ids);
    if (!oem) {
        std::printf("  %s\n", oem.failure().line().c_str());
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 63;
    const std::size_t bytes = megabytes << 20;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("bench-oem-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    // The same shapes at an eighth of the size first: linear reading takes
    // about an eighth of the time.
    for (std::size_t size : {bytes / 8, bytes}) {
        measure("many entries", manyEntries(size), folder);
        measure("one ID repeated", oneIdRepeated(size), folder);
        measure("many disks", manyDisks(size), folder);
        measure("many Config sections", manyConfigSections(size), folder);
        measure("many IDs and drivers", manyIdsAndDrivers(size), folder);
        measure("deep disk folder", deepDiskFolder(size), folder);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
