#include "source/SetupTree.h"

#include "media/IsoImageReader.h"
#include "sys/CaseLookup.h"
#include "sys/HostPath.h"

#include <optional>

namespace ornibe {

std::string setupFileOf(Architecture architecture) {
    return std::string(setupFolderName(architecture)) + "/TXTSETUP.SIF";
}

Architecture sourceArchitecture(const std::string& source, const StopCheck& stop) {
    const std::string amd64 = setupFileOf(Architecture::Amd64);
    if (isImageSource(source)) {
        IsoImageReader image(source, stop);
        return image.ok() && image.hasFile(amd64) ? Architecture::Amd64 : Architecture::X86;
    }
    std::optional<std::string> found = findNoCase(source, amd64);
    return found && existsAsFile(*found) ? Architecture::Amd64 : Architecture::X86;
}

} // namespace ornibe
