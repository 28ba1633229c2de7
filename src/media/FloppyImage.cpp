#include "media/FloppyImage.h"

#include "media/FloppyImageCheck.h"

#include "sys/CaseFold.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/ScratchFolders.h"
#include "sys/SearchPath.h"
#include "sys/Translation.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>

namespace ornibe {
namespace {

unsigned readLittle16(const std::string& bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) |
           (static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8);
}

bool powerOfTwo(unsigned value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// The extracted images of this run, removed with their folder at the end.
class ExtractedImages {
public:
    explicit ExtractedImages(std::string tempFolder)
        : scratch_("ornibe-floppy", std::move(tempFolder)) {}

    Result<std::string> folderFor(const std::string& image, const ToolSearch& tools,
                                  const StopCheck& stop) {
        struct stat st {};
        if (::stat(image.c_str(), &st) != 0) {
            return Failure{"open", image, systemReason(errno)};
        }
        const Stamp stamp{static_cast<std::uint64_t>(st.st_size),
                          static_cast<std::int64_t>(st.st_mtim.tv_sec),
                          static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
        if (auto found = images_.find(image);
            found != images_.end() && found->second.stamp == stamp) {
            return found->second.folder;
        }
        Result<std::string> made = scratch_.make();
        if (!made) {
            return made;
        }
        const std::string& folder = *made;
        if (Outcome extracted = extractFloppyImage(image, folder, tools, stop); !extracted) {
            // What a stopped or refused copy left is not kept until the end.
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
            return extracted.failure();
        }
        images_[image] = {stamp, folder};
        return folder;
    }

private:
    struct Stamp {
        std::uint64_t size = 0;
        std::int64_t seconds = 0;
        std::int64_t nanoseconds = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        Stamp stamp;
        std::string folder;
    };

    ScratchFolders scratch_;
    std::map<std::string, Entry> images_;
};

} // namespace

bool hasFatBootSector(const std::string& path) {
    std::string sector;
    try {
        sector = peekFile(path, 512);
    } catch (const FileError&) {
        return false;
    }
    if (sector.size() < 512 || static_cast<unsigned char>(sector[510]) != 0x55 ||
        static_cast<unsigned char>(sector[511]) != 0xAA) {
        return false;
    }
    const unsigned char jump = static_cast<unsigned char>(sector[0]);
    const unsigned bytesPerSector = readLittle16(sector, 11);
    const unsigned sectorsPerCluster = static_cast<unsigned char>(sector[13]);
    const unsigned reserved = readLittle16(sector, 14);
    const unsigned fats = static_cast<unsigned char>(sector[16]);
    const unsigned rootEntries = readLittle16(sector, 17);
    const unsigned sectorsPerFat = readLittle16(sector, 22);
    // FAT32 has no root folder entries and no 16-bit FAT size.
    return (jump == 0xEB || jump == 0xE9) && powerOfTwo(bytesPerSector) && bytesPerSector >= 512 &&
           bytesPerSector <= 4096 && powerOfTwo(sectorsPerCluster) && reserved >= 1 &&
           (fats == 1 || fats == 2) && rootEntries != 0 && sectorsPerFat != 0;
}

bool isFloppyImage(const std::string& path) {
    const std::string name = fileName(path);
    for (std::string_view extension : {".img", ".ima", ".vfd", ".flp"}) {
        if (name.size() > extension.size() &&
            equalsHostNoCase(name.substr(name.size() - extension.size()), extension)) {
            return true;
        }
    }
    return hasFatBootSector(path);
}

Outcome extractFloppyImage(const std::string& image, const std::string& folder,
                           const ToolSearch& search, const StopCheck& stop) {
    const FloppyReadLimits limits;
    const auto deadline = std::chrono::steady_clock::now() + limits.time;
    if (Outcome checked = checkFloppyImage(image, stop, limits); !checked) {
        return checked;
    }
    // No configuration of the user's, and no check of the image's geometry.
    const ToolSearch tools = search.withChildVariable("MTOOLS_SKIP_CHECK", "1")
                                 .withChildVariable("MTOOLSRC", "/dev/null");
    if (tools.findProgram("mcopy").empty()) {
        return Failure{
            "run", image,
            translated("フロッピーイメージを読む mcopy がありません（mtools をインストールしてく"
                       "ださい）。")};
    }
    ChildProcessRunner runner(tools, "mcopy -i " + quoteArgument(image) + " -s -n -m ::/* " +
                                         quoteArgument(withTrailingSlash(folder)));
    runner.setStopCheck(
        [&] { return stopAsked(stop) || std::chrono::steady_clock::now() > deadline; });
    if (Outcome copied = runQuietly(runner); !copied) {
        if (runner.stopped() && !stopAsked(stop)) {
            return Failure{"read", image, translated("読み込みが時間の上限を超えました。")};
        }
        return Failure{"read", image, copied.failure().line()};
    }
    return {};
}

Result<std::string> floppyImageFolder(const std::string& image, const ToolSearch& tools,
                                      const StopCheck& stop) {
    // Made in the scratch folder of the first call; every call gives the
    // program's own.
    static ExtractedImages images(tools.environment().tempFolder());
    return images.folderFor(image, tools, stop);
}

} // namespace ornibe
