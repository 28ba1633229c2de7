#include "support/IsoFixtures.h"

#include "support/CommandRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <sstream>
#include <utility>

namespace ornibe::test {

bool makeIsoImage(const std::string& tree, const std::string& image, const IsoRecipe& recipe) {
    std::vector<std::string> argv = {"xorriso", "-as", "mkisofs",   "-quiet",
                                     "-R",      "-V",  recipe.label};
    if (recipe.joliet) {
        argv.push_back("-J");
    }
    if (!recipe.bootFile.empty()) {
        // The boot file is grafted in under a folder that both trees hide,
        // so it is reachable only through the boot catalog.
        for (const char* option : {"-hide", "-hide-joliet"}) {
            argv.insert(argv.end(), {option, "/hidden-boot/boot.img", option, "/hidden-boot",
                                     option, "/boot.catalog"});
        }
        argv.insert(argv.end(),
                    {"-b", "hidden-boot/boot.img", "-c", "boot.catalog", "-no-emul-boot",
                     "-boot-load-size", std::to_string(recipe.bootLoadSize)});
    }
    argv.insert(argv.end(), recipe.extra.begin(), recipe.extra.end());
    argv.insert(argv.end(), {"-o", image, "-graft-points", "/=" + tree});
    if (!recipe.bootFile.empty()) {
        argv.push_back("/hidden-boot/boot.img=" + recipe.bootFile);
    }
    CommandResult result = runCommand(argv);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return result.exitCode == 0;
}

std::string bootEntrySummary(const std::string& image) {
    CommandResult result = runCommand({"xorriso", "-indev", image, "-report_el_torito", "plain"});
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        // "El Torito boot img :   1  BIOS  y   none  0x0000  0x00      4          37"
        if (line.rfind("El Torito boot img :", 0) == 0) {
            std::istringstream fields(line.substr(20));
            std::string n, platform, bootable, emulation, segment, hdpt, size;
            fields >> n >> platform >> bootable >> emulation >> segment >> hdpt >> size;
            return emulation + " " + size;
        }
    }
    return {};
}

namespace {

constexpr size_t kSector = 2048;

std::uint32_t le32At(const std::string& bytes, size_t at) {
    return std::uint32_t(std::uint8_t(bytes.at(at))) |
           std::uint32_t(std::uint8_t(bytes.at(at + 1))) << 8 |
           std::uint32_t(std::uint8_t(bytes.at(at + 2))) << 16 |
           std::uint32_t(std::uint8_t(bytes.at(at + 3))) << 24;
}

void setBothEndian(std::string& bytes, size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.at(at + i) = char(value >> (8 * i));
        bytes.at(at + 7 - i) = char(value >> (8 * i));
    }
}

// The root folder records of the primary and of a Joliet descriptor.
std::vector<std::pair<size_t, bool>> treeRoots(const std::string& image) {
    std::vector<std::pair<size_t, bool>> roots;
    for (size_t sector = 16; (sector + 1) * kSector <= image.size(); ++sector) {
        size_t at = sector * kSector;
        std::uint8_t type = std::uint8_t(image[at]);
        if (image.compare(at + 1, 5, "CD001") != 0 || type == 255) {
            break;
        }
        bool joliet = type == 2 && image.compare(at + 88, 2, "%/") == 0;
        if (type == 1 || joliet) {
            roots.emplace_back(at + 156, joliet);
        }
    }
    return roots;
}

std::string recordName(const std::string& image, size_t record, bool joliet) {
    size_t length = std::uint8_t(image[record + 32]);
    std::string name;
    for (size_t i = 0; i < length; i += joliet ? 2 : 1) {
        name += image[record + 33 + i + (joliet ? 1 : 0)];
    }
    name = name.substr(0, name.find(';'));
    while (name.size() > 1 && name.back() == '.') {
        name.pop_back();
    }
    return name;
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(std::uint8_t(x)) == std::toupper(std::uint8_t(y));
           });
}

// The record of name among the entries of the folder whose record is given.
std::optional<size_t> childRecord(const std::string& image, size_t folder, const std::string& name,
                                  bool joliet) {
    size_t at = size_t(isoRecordSector(image, folder)) * kSector;
    size_t end = at + isoRecordLength(image, folder);
    for (int index = 0; at < end && at < image.size();) {
        size_t length = std::uint8_t(image[at]);
        if (length == 0) {
            at = (at / kSector + 1) * kSector;
            continue;
        }
        if (index++ >= 2 && sameName(recordName(image, at, joliet), name)) {
            return at;
        }
        at += length;
    }
    return std::nullopt;
}

std::optional<size_t> findRecord(const std::string& image, size_t root, bool joliet,
                                 const std::string& path) {
    size_t record = root;
    std::istringstream names(path);
    std::string name;
    while (std::getline(names, name, '/')) {
        std::optional<size_t> child = childRecord(image, record, name, joliet);
        if (!child) {
            return std::nullopt;
        }
        record = *child;
    }
    return record;
}

} // namespace

std::vector<size_t> isoRecordsOf(const std::string& image, const std::string& path) {
    std::vector<size_t> records;
    for (const auto& [root, joliet] : treeRoots(image)) {
        if (std::optional<size_t> record = findRecord(image, root, joliet, path)) {
            records.push_back(*record);
        }
    }
    EXPECT_FALSE(records.empty()) << "no record of " << path;
    return records;
}

std::vector<size_t> isoSelfRecordsOf(const std::string& image, const std::string& folder) {
    std::vector<size_t> records;
    for (size_t record : folder.empty() ? std::vector<size_t>{} : isoRecordsOf(image, folder)) {
        records.push_back(size_t(isoRecordSector(image, record)) * kSector);
    }
    if (folder.empty()) {
        for (const auto& [root, joliet] : treeRoots(image)) {
            records.push_back(size_t(isoRecordSector(image, root)) * kSector);
        }
    }
    return records;
}

std::uint32_t isoRecordSector(const std::string& image, size_t record) {
    return le32At(image, record + 2);
}

std::uint32_t isoRecordLength(const std::string& image, size_t record) {
    return le32At(image, record + 10);
}

void setIsoRecordSector(std::string& image, size_t record, std::uint32_t sector) {
    setBothEndian(image, record + 2, sector);
}

void setIsoRecordLength(std::string& image, size_t record, std::uint32_t length) {
    setBothEndian(image, record + 10, length);
}

} // namespace ornibe::test
