// libFuzzer target: a driver or kernel module's PE image read from
// arbitrary bytes, and every export looked up by name.
#include "inf/PeImage.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ornibe::Result<ornibe::PeImage> image = ornibe::readPeImage(bytes, "fuzz.sys");
    if (!image)
        return 0;
    (void)ornibe::peMachineName(image->machine);
    for (const ornibe::PeImportedModule& module : image->imports)
        for (const std::string& function : module.functions)
            (void)image->exports(function);
    return 0;
}
