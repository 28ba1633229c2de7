#pragma once

#include "inf/InfFile.h"
#include "inf/OrderedTextMap.h"
#include "inf/SetupArchitecture.h"

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

class DriverPackage;

// One open setup information file: a driver INF, or one of the setup files
// of the tree (TXTSETUP.SIF, DOSNET.INF, SVCPACK.INF, MSHDC.INF). Lookups
// never fail loudly: whatever cannot be found reads as the empty text.
//
// The path is a host path; folder() is the part before its last "/".
class InfReader {
public:
    // An empty reader: no file, empty path, folder and decorations. Used
    // with OpenChecked().
    InfReader();
    // Open: reads the file at path. A file that cannot be read gives a
    // reader whose every lookup finds nothing.
    explicit InfReader(const std::string& path);
    // As Open, on bytes read elsewhere (a file inside an image, which has
    // no host path of its own), which the reader takes over; path names
    // where they came from.
    static InfReader fromBytes(const std::string& path, std::string bytes);
    // A reader of no file, for a file refused before it was read.
    static InfReader refused(const std::string& path, InfProblem problem);

    // On an empty reader: reads the file at path, setting path() and file()
    // only (folder() and decorations() stay empty, so FindDecoratedSection
    // and GetValue find nothing). True when the file opened as an INF.
    bool OpenChecked(const std::string& path);
    // Drops the file; lookups then find nothing. Harmless on any reader.
    void Close();

    // The parsed file, for direct lookups by line position.
    const InfFile& file() const { return file_; }
    // Why the file is not open: unreadable, refused by a limit, or not a
    // Windows INF.
    const InfProblem& problem() const { return problem_; }
    const std::string& path() const { return path_; }
    const std::string& folder() const { return folder_; }
    // ".NTX86", ".NT", ".X86" and the empty text after Open; none on an
    // empty reader.
    const std::vector<std::string>& decorations() const { return decorations_; }

    // Reads the file from now on as setup of the architecture reads it:
    // its decorations (infDecorations) and, for a driver INF, the models
    // and catalog of that architecture. x86 until this is called; nothing
    // changes on an empty reader.
    void setArchitecture(Architecture architecture);
    Architecture architecture() const { return architecture_; }

    // The first of base + decoration + suffix, decorations in order, that
    // exists as a section (an empty one counts); the empty text when none.
    std::string FindDecoratedSection(std::string_view base, std::string_view suffix) const;
    // Field n of the first line with this key in the decorated section.
    std::string GetValue(std::string_view base, std::string_view suffix, std::string_view key,
                         std::size_t field) const;
    // Field n of the line (0 is the key); the empty text when it is missing.
    std::string GetField(InfPosition position, std::size_t field) const;

    // Reads the file as a driver INF for the Windows version and adds what
    // text-mode setup needs to the package.
    void ReadDriverPackage(DriverPackage& package, WindowsVersion version) const;

    // Steps of ReadDriverPackage, public for tests and tools.
    // The models section named by the first Manufacturer line, chosen among
    // its TargetOS decorations as XP and Server 2003 setup choose for x86.
    std::string FindModelsSection(WindowsVersion version) const;
    // The models section that one line of the Manufacturer section names,
    // chosen the same way.
    std::string modelsSectionOf(InfPosition manufacturerLine, WindowsVersion version) const;
    // As above, chosen as setup of the target's architecture chooses: on
    // x64 only the decorations NTamd64 whose version is not above 5.2, and
    // no undecorated models section when none fits.
    std::string modelsSectionOf(InfPosition manufacturerLine, const WindowsTarget& target) const;
    // Host path of the catalog file named in the Version section; the
    // empty text when it lies outside the INF's folder.
    std::string GetCatalogPath() const;
    // File name of the driver of the install section's first SCSI
    // miniport service.
    std::string FindMiniportBinary(std::string_view installSection) const;
    void CollectCopyFiles(std::string_view installSection, std::string_view suffix,
                          DriverPackage& package) const;
    void CollectCopyInf(std::string_view installSection, std::string_view suffix,
                        DriverPackage& package) const;
    // Adds the file with its source path on the medium and target folder.
    void AddSourceFile(std::string_view fileName, std::string_view absoluteTarget,
                       DriverPackage& package) const;
    // Absolute target folder of a file-list section, or of the default
    // destination without one; the empty text when it cannot be resolved.
    std::string GetTargetPath(std::optional<std::string_view> section) const;

private:
    InfReader(Result<InfFile, InfProblem> read, const std::string& path);

    std::optional<std::string> existingDecoratedSection(std::string_view base,
                                                        std::string_view suffix) const;
    std::optional<InfPosition> findDecoratedLine(std::string_view base, std::string_view suffix,
                                                 std::string_view key) const;
    // The host path of a file on the driver medium: the INF's folder and the
    // parts (INF text, "\"-separated), matched ignoring letter case
    // against what exists. A path that leaves the INF's folder (a ".."
    // part, a drive, a link on the way) gives the empty text and is
    // recorded in package (when given) as refused.
    std::string mediumPath(std::initializer_list<std::string_view> parts,
                           DriverPackage* package) const;
    std::string catalogPath(DriverPackage* package) const;
    void readModels(const std::string& modelsSection, DriverPackage& package,
                    OrderedTextMap& installSections) const;

    InfFile file_;
    InfProblem problem_;
    std::string path_;
    std::string folder_;
    std::vector<std::string> decorations_;
    Architecture architecture_ = Architecture::X86;
};

} // namespace ornibe
