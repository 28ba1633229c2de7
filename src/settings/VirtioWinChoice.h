#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// One driver taken from a virtio-win medium: its short name ("viostor",
// "netkvm", "balloon", "vioserial", "qxl"), the medium's folder it came
// from as the medium spells it ("viostor\xp\x86") and the INF the driver
// lists hold for it (inside the medium's folder, or in the copy of that
// folder taken from an image).
struct VirtioWinDriver {
    std::string name;
    std::string folder;
    std::string inf;
    // The block driver goes to text-mode setup; the others to GUI mode.
    bool textMode = false;

    bool operator==(const VirtioWinDriver&) const = default;
};

// What the settings page took from a virtio-win medium. Its INFs are also
// in the driver lists, where the build reads them as any other.
struct VirtioWinChoice {
    // The image file or folder as the user gave it (absolute); empty when
    // no medium is used.
    std::string source;
    // The version the medium states (a version file or its volume label);
    // empty when it states none.
    std::string version;
    // The drivers the user named to take; nothing for the default (all).
    std::optional<std::vector<std::string>> only;
    std::vector<VirtioWinDriver> drivers;
    // Drivers asked for by default that the medium has no folder for, each
    // with what the medium holds of it ("qxl (qxl\xp\x86)").
    std::vector<std::string> notFound;

    bool empty() const { return source.empty(); }
    bool operator==(const VirtioWinChoice&) const = default;
};

// The drivers a virtio-win medium offers, in the order they are taken.
inline const std::vector<std::string>& virtioWinDriverNames() {
    static const std::vector<std::string> names = {"viostor", "netkvm", "balloon", "vioserial",
                                                   "qxl"};
    return names;
}

} // namespace ornibe
