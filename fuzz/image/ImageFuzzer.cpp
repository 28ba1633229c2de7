// libFuzzer target: an image's volume descriptors, its El Torito boot
// catalog, its folder records and the image reader over arbitrary bytes.
// Each reader either refuses the medium with a reason or gives an answer
// that lies inside it.
#include "media/BootImage.h"
#include "media/DirectoryWalk.h"
#include "media/ImageDevice.h"
#include "media/IsoImageReader.h"
#include "media/VolumeDescriptor.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kSystemArea = 16 * ornibe::kIsoSectorBytes;

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

// The input is the image from its sector 16 on, where the volume
// descriptors start: none of the readers looks at the system area before
// it, which stays zeros, so the mutations go to the structures read.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string image(kSystemArea, '\0');
    image.append(reinterpret_cast<const char*>(data), size);
    size = image.size();
    ornibe::Result<ornibe::ImageDevice> device = ornibe::ImageDevice::fromBytes(image, "fuzz.iso");
    require(bool(device));
    require(device->size() == size);

    const ornibe::Outcome iso = device->checkIso9660();
    require(iso || !iso.failure().reason.empty());
    if (std::optional<std::string> label = ornibe::readIso9660Label(*device))
        require(label->size() <= 32);

    ornibe::Result<ornibe::BootImage> boot = ornibe::findBootImage(*device);
    if (boot) {
        require(boot->sectors > 0);
        require(std::uint64_t(boot->lba) * ornibe::kIsoSectorBytes +
                    std::uint64_t(boot->sectors) * 512 <=
                size);
    } else {
        require(!boot.failure().reason.empty() && boot.failure().path.empty());
    }

    const ornibe::DirectoryWalk walk = ornibe::walkDirectories(*device);
    require(!walk.stopped);
    require(walk.ok() == walk.problem.empty());
    if (!iso || !walk.ok())
        return 0;

    // A tree the walk passes goes on to libisofs, as an image source does.
    const ornibe::IsoImageReader reader("/proc/self/fd/" + std::to_string(device->fd()));
    require(reader.ok() || !reader.error().empty());
    if (reader.ok()) {
        require(reader.copyable() || !reader.copyable().failure().reason.empty());
        (void)reader.treeBytes();
        (void)reader.folderNames("");
    }
    return 0;
}
