#include "source/VirtioWinFolders.h"

#include "source/VirtioWinMedium.h"
#include "sys/CaseFold.h"

namespace ornibe {

const std::vector<VirtioWinKind>& virtioWinKinds() {
    static const std::vector<VirtioWinKind> kinds = {
        {"viostor", "viostor", "viostor.inf", true},
        {"netkvm", "NetKVM", "netkvm.inf", false},
        {"balloon", "Balloon", "balloon.inf", false},
        {"vioserial", "vioserial", "vioser.inf", false},
        {"qxl", "qxl", "qxl.inf", false},
    };
    return kinds;
}

const VirtioWinKind* virtioWinKind(const std::string& name) {
    for (const VirtioWinKind& kind : virtioWinKinds()) {
        if (equalsHostNoCase(kind.name, name)) {
            return &kind;
        }
    }
    return nullptr;
}

std::string virtioWinSystemName(const WindowsTarget& target) {
    const std::string system = target.version == WindowsVersion::Windows2000 ? "Windows 2000"
                               : target.version == WindowsVersion::Server2003
                                   ? "Windows Server 2003"
                                   : "Windows XP";
    return system + (target.architecture == Architecture::Amd64 ? " x64" : " x86");
}

std::vector<std::string> virtioWinCandidates(const VirtioWinKind& kind,
                                             const WindowsTarget& target) {
    if (target.version == WindowsVersion::Windows2000) {
        return {};
    }
    // Each system's folder names, the current one first.
    std::vector<std::string> systems;
    std::string cpu = "x86";
    if (target.architecture == Architecture::Amd64) {
        cpu = "amd64";
        // The XP x64 folder is a copy of the Server 2003 x64 build.
        systems = target.version == WindowsVersion::Server2003
                      ? std::vector<std::string>{"2k3", "wnet", "xp"}
                      : std::vector<std::string>{"xp", "2k3", "wnet"};
    } else if (target.version == WindowsVersion::Server2003) {
        systems = {"2k3", "wnet"};
    } else {
        systems = {"xp", "wxp"};
    }
    std::vector<std::string> candidates;
    for (const std::string& system : systems) {
        candidates.push_back(kind.folder + "/" + system + "/" + cpu);
    }
    for (const std::string& system : systems) {
        if (system.starts_with('w')) {
            candidates.push_back(system + "/" + cpu);
        }
    }
    return candidates;
}

std::string findVirtioWinFolder(const VirtioWinMedium& medium, const VirtioWinKind& kind,
                                const WindowsTarget& target) {
    for (const std::string& candidate : virtioWinCandidates(kind, target)) {
        std::optional<std::string> folder = medium.findFolder(candidate);
        if (!folder) {
            continue;
        }
        for (const std::string& file : medium.files(candidate)) {
            if (equalsHostNoCase(file, kind.inf)) {
                return *folder;
            }
        }
    }
    return {};
}

std::vector<std::string> virtioWinFoldersHeld(const VirtioWinMedium& medium,
                                              const VirtioWinKind& kind) {
    std::vector<std::string> held;
    std::optional<std::string> top = medium.findFolder(kind.folder);
    if (!top) {
        return held;
    }
    for (const std::string& system : medium.folders(kind.folder)) {
        for (const std::string& cpu : medium.folders(kind.folder + "/" + system)) {
            held.push_back(*top + "\\" + system + "\\" + cpu);
        }
    }
    return held;
}

} // namespace ornibe
