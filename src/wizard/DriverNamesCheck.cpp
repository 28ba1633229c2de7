#include "wizard/DriverNamesCheck.h"

#include "inf/DriverPackage.h"
#include "media/IsoNameLimit.h"
#include "patch/AddedSetupLines.h"
#include "patch/SetupFileEditor.h"
#include "settings/BuildSettings.h"
#include "source/DriverMedium.h"
#include "source/F6Source.h"
#include "source/Medium.h"
#include "source/PnpDriverPackage.h"
#include "sys/CaseFold.h"
#include "sys/CaseLookup.h"
#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"
#include "sys/CompressedName.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/ScratchFolders.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>

namespace ornibe {
namespace {

// The files an earlier build integrated into the setup folder, folded: the
// keys of every [SourceDisksFiles...] section that TXTSETUP.SIF repeats
// after the CD's own, which is how the build adds to it.
std::set<std::string> integratedEarlier(const std::string& txtsetup) {
    std::set<std::string> names;
    std::string bytes;
    try {
        bytes = readFile(txtsetup);
    } catch (const FileError&) {
        return names;
    }
    for (const AddedSetupLine& line : addedSetupLines(bytes)) {
        if (line.section.starts_with("SOURCEDISKSFILES")) {
            names.insert(foldSetupText(line.key));
        }
    }
    return names;
}

// The setup folder of the CD the build integrates into: the source's, or
// the work folder's when no source is read.
class CdSetupFolder {
public:
    CdSetupFolder(const Medium& tree, bool readsSource, Architecture architecture,
                  const ToolSearch& tools)
        : tree_(tree), name_(setupFolderName(architecture)), tools_(tools),
          scratch_("ornibe-names", tools.environment().tempFolder()) {
        add(tree.folderNames(name_).value_or(std::vector<std::string>{}));
        if (!readsSource) {
            std::optional<std::string> sif = tree.hostPath(name_ + "/TXTSETUP.SIF");
            if (sif && existsAsFile(*sif)) {
                for (const std::string& own : integratedEarlier(*sif)) {
                    names_.erase(own);
                    names_.erase(foldHostText(compressedName(own)));
                }
            }
        }
    }

    // The CD's file of that name in the setup folder (letter case
    // ignored), as the folder spells it.
    std::optional<std::string> find(std::string_view name) const {
        auto found = names_.find(foldHostText(name));
        return found == names_.end() ? std::nullopt : std::optional<std::string>(found->second);
    }

    // Whether the CD's file holds exactly the bytes of the file at path.
    bool sameBytes(const std::string& entry, const std::string& path) const {
        try {
            const std::optional<std::string> theirs = bytesOf(entry);
            return theirs && *theirs == readFile(path);
        } catch (const FileError&) {
            return false;
        }
    }

    // Whether the CD's cabinet, expanded with the cabinet tool, gives
    // exactly the bytes of the file at path under its name.
    bool expandsTo(const std::string& entry, const std::string& path) {
        const std::string tool = SetupFileEditor::FindTool(tools_, "EXTRACT");
        Result<std::string> folder = scratch_.make();
        if (tool.empty() || !folder) {
            return false;
        }
        try {
            std::string cabinet = tree_.hostPath(name_ + "/" + entry).value_or("");
            if (cabinet.empty()) {
                const std::optional<std::string> bytes = bytesOf(entry);
                if (!bytes) {
                    return false;
                }
                cabinet = joinPath(*folder, entry);
                writeFileAtomic(cabinet, *bytes);
            }
            const std::string name = fileName(path);
            if (!SetupFileEditor::IsCabinet(cabinet) ||
                !runToolQuietly(tools_, quoteArgument(tool) + " /Y /L " + quoteArgument(*folder) +
                                            " " + quoteArgument(cabinet) + " " +
                                            quoteArgument(name))) {
                return false;
            }
            const std::optional<std::string> expanded = findFileNoCase(*folder, name);
            return expanded && readFile(*expanded) == readFile(path);
        } catch (const FileError&) {
            return false;
        }
    }

    const std::string& name() const { return name_; }

private:
    // The bytes of the CD's file of the setup folder; nothing when they
    // cannot be read whole.
    std::optional<std::string> bytesOf(const std::string& entry) const {
        if (std::optional<std::string> host = tree_.hostPath(name_ + "/" + entry)) {
            return readFile(*host);
        }
        Result<std::string> bytes = tree_.readFile(name_ + "/" + entry);
        return bytes ? std::optional<std::string>(std::move(*bytes)) : std::nullopt;
    }

    void add(const std::vector<std::string>& entries) {
        for (const std::string& entry : entries) {
            names_.emplace(foldHostText(entry), entry);
        }
    }

    const Medium& tree_;
    std::string name_;
    const ToolSearch& tools_;
    ScratchFolders scratch_;
    // Folded name -> the name as the folder spells it.
    std::map<std::string, std::string> names_;
};

Failure tooLong(const std::string& path, const std::string& name) {
    return Failure::refusal("ドライバのファイル " + path + " は使えません。", path,
                            "名前 " + name + " が " + std::to_string(name.size()) +
                                " バイトで、ISO イメージに書ける長さ (" +
                                std::to_string(kIsoLongNameLimit) +
                                " バイト) を超えます。イメージの中では名前が短くなり、"
                                "セットアップが見つけられません。");
}

} // namespace

Outcome checkDriverNames(const BuildSettings& settings, const DriverPackage& package,
                         const Medium& tree, const WindowsTarget& target, bool image,
                         const ToolSearch& tools) {
    // What staging puts into the setup folder, compressed there.
    std::vector<std::string> staged;
    for (const auto& entry : package.fileToTargetDir()) {
        staged.push_back(entry.first);
    }
    staged.insert(staged.end(), package.infFiles().begin(), package.infFiles().end());

    if (image) {
        for (const std::string& path : staged) {
            if (fileName(path).size() > kIsoLongNameLimit) {
                return tooLong(path, fileName(path));
            }
        }
        for (const std::string& path : package.allCatalogFiles()) {
            if (fileName(path).size() > kIsoLongNameLimit) {
                return tooLong(path, fileName(path));
            }
        }
        for (const std::string& inf : settings.pnpDriverInfList()) {
            for (const PnpDriver::File& file : readPnpDriver(inf, target).files) {
                for (std::string_view rest = file.relative; !rest.empty();) {
                    const std::string part(rest.substr(0, rest.find('/')));
                    rest.remove_prefix(std::min(rest.size(), part.size() + 1));
                    if (part.size() > kIsoLongNameLimit) {
                        return tooLong(file.source, part);
                    }
                }
            }
        }
    }
    if (staged.empty()) {
        return {};
    }

    CdSetupFolder cd(tree, settings.GetCdDriveIndex() > 0, target.architecture, tools);
    for (const std::string& path : staged) {
        const std::string name = fileName(path);
        for (const std::string& form : {name, compressedName(name)}) {
            std::optional<std::string> theirs = cd.find(form);
            if (!theirs) {
                continue;
            }
            // The same bytes replace nothing: the same file, or the same
            // cabinet, or a cabinet that holds the same file.
            const std::optional<std::string> plain = plainOnMedium(path);
            if (form == name) {
                if (plain && cd.sameBytes(*theirs, *plain)) {
                    continue;
                }
            } else {
                Result<std::string> packed = compressedOnMedium(path);
                if ((packed && !packed->empty() && cd.sameBytes(*theirs, *packed)) ||
                    (plain && cd.expandsTo(*theirs, *plain))) {
                    continue;
                }
            }
            return Failure::refusal(
                "ドライバのファイル " + path + " は使えません。", path,
                "CD のファイル " + cd.name() + "\\" + *theirs +
                    " と同じ名前で、組み込むとその CD のファイルを置き換えます。");
        }
    }
    return {};
}

} // namespace ornibe
