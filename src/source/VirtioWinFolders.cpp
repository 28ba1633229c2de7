#include "source/VirtioWinFolders.h"

#include "inf/VersionCode.h"
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

std::string virtioWinSystemName(char versionCode, Architecture architecture) {
    const std::string system = versionCode == VersionCode::Windows2000  ? "Windows 2000"
                               : versionCode == VersionCode::Server2003 ? "Windows Server 2003"
                                                                        : "Windows XP";
    return system + (architecture == Architecture::Amd64 ? " x64" : " x86");
}

std::vector<std::string> virtioWinCandidates(const VirtioWinKind& kind, char versionCode,
                                             Architecture architecture) {
    if (versionCode == VersionCode::Windows2000) {
        return {};
    }
    // Each system's folder names, the current one first.
    std::vector<std::string> systems;
    std::string cpu = "x86";
    if (architecture == Architecture::Amd64) {
        cpu = "amd64";
        // The XP x64 folder is a copy of the Server 2003 x64 build.
        systems = versionCode == VersionCode::Server2003
                      ? std::vector<std::string>{"2k3", "wnet", "xp"}
                      : std::vector<std::string>{"xp", "2k3", "wnet"};
    } else if (versionCode == VersionCode::Server2003) {
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
                                char versionCode, Architecture architecture) {
    for (const std::string& candidate : virtioWinCandidates(kind, versionCode, architecture)) {
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
