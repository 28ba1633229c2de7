#include "wizard/ChosenSource.h"

#include "source/Medium.h"
#include "sys/HostPath.h"

#include <optional>
#include <string>

namespace ornibe {

DriveEntry chosenSourceEntry(std::string_view path, DriveSource& drives) {
    std::string root = withoutTrailingSlash(makeAbsolute(path));
    std::string label;
    if (std::unique_ptr<Medium> source = Medium::open(root); source->isImage()) {
        label = source->label();
    } else if (std::optional<CdDrive> drive = drives.readVolume(root); drive && drive->label) {
        label = *drive->label;
    }
    return makeDriveEntry(root, label);
}

} // namespace ornibe
