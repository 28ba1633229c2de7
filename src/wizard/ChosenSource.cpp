#include "wizard/ChosenSource.h"

#include "media/IsoImageReader.h"
#include "media/VolumeDescriptor.h"
#include "sys/HostPath.h"

#include <optional>
#include <string>

namespace ornibe {

DriveEntry chosenSourceEntry(std::string_view path, DriveSource& drives) {
    std::string root = withoutTrailingSlash(makeAbsolute(path));
    std::string label;
    if (isImageSource(root)) {
        label = readIso9660Label(root).value_or("");
    } else if (std::optional<CdDrive> drive = drives.readVolume(root); drive && drive->label) {
        label = *drive->label;
    }
    return makeDriveEntry(root, label);
}

} // namespace ornibe
