#pragma once

#include "inf/SetupArchitecture.h"
#include "sys/Failure.h"
#include "sys/SearchPath.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

class DriverPackage;
class InfReader;
struct HotfixLine;

// The working object that the setup-file patchers share for one stage: the
// I386 folder of the work tree, its temporary folder TEMP for work copies,
// the current work copy, where the cabinet tools are looked for, and for
// driver integration the drivers and the target system.
//
// Construction creates TEMP below the I386 folder (a folder there whose
// name differs only in letter case, such as "temp", is used instead), and
// an existing TEMP is used unchanged. An I386 or TEMP that is a symbolic
// link is refused with FileError: the work copies would be written and
// removed wherever it leads. Destruction removes TEMP only when it
// is empty, so a work copy left behind is never lost.
class SetupFileEditor {
public:
    // For the Big Drive stage: no drivers, and a target of unknown version
    // on x86. Throws FileError when TEMP cannot be created (or a file of
    // that name stands in its way).
    SetupFileEditor(ToolSearch tools, std::string i386Folder);
    // For the driver stage. package must outlive the editor.
    SetupFileEditor(ToolSearch tools, std::string i386Folder, const DriverPackage& package,
                    WindowsTarget target);
    ~SetupFileEditor();

    SetupFileEditor(const SetupFileEditor&) = delete;
    SetupFileEditor& operator=(const SetupFileEditor&) = delete;

    // The I386 folder, always ending with "/".
    const std::string& i386Folder() const { return i386Folder_; }
    // The temporary folder below it, always ending with "/".
    const std::string& tempFolder() const { return tempFolder_; }

    // The setup file being edited through a work copy, and that copy; both
    // empty until a patcher sets them.
    const std::string& sourcePath() const { return sourcePath_; }
    void setSourcePath(std::string path) { sourcePath_ = std::move(path); }
    const std::string& workCopyPath() const { return workCopyPath_; }
    void setWorkCopyPath(std::string path) { workCopyPath_ = std::move(path); }

    // The system the tree installs. On x64 the driver's file lines go
    // under [SourceDisksFiles.amd64], DOSNET.INF lists its files in
    // [Files], and a new SVCPACK.INF names \amd64\svcpack.
    const WindowsTarget& target() const { return target_; }

    // The drivers to integrate; null for the Big Drive stage.
    const DriverPackage* package() const { return package_; }

    // Writing text into setup files. Setup files are never rewritten or
    // reordered: text is only added, as a repeated section header followed
    // by new lines, which Windows setup reads as more lines of the section.
    // Every change is all or nothing (the new content goes to a file beside
    // the old one and is renamed over it), no primitive creates a missing
    // file, and a file whose owner write bit is clear is refused. Failures
    // throw FileError with the path and the reason.

    // Adds text to content: its code page 932 bytes as they are, or with
    // asUnicode converted to UTF-16LE code units without a byte-order mark.
    static void WriteText(std::string& content, bool asUnicode, std::string_view text);
    // True when the file begins with the UTF-16LE byte-order mark FF FE.
    static bool IsUnicodeFile(const std::string& path);
    // Adds text at the end of the file, as UTF-16LE when IsUnicodeFile. An
    // 8-bit file with an end-of-file byte 0x1A gets it as WriteAtEofMarker
    // writes it: over the byte, which then follows the text again.
    static void AppendText(const std::string& path, std::string_view text);
    // The same for a file's content held in memory.
    static std::string withTextAppended(std::string content, std::string_view text);
    // Writes text, CR LF and the end-of-file byte 0x1A over the file's
    // end-of-file byte 0x1A; always 8-bit. The byte is looked for in the
    // last 10 bytes, then in the 10 before them, then anywhere (readers stop
    // at the first one); a file without one gets the text at its end.
    static void WriteAtEofMarker(const std::string& path, std::string_view text);

    // Questions to a setup file through the INF parser. They never fail: a
    // missing file, section or field answers false or the empty text.

    // Opens a setup file of the tree for these questions. A file too large
    // or too dense to read within the limits of INF reading throws
    // FileError with the reason: answered as empty, it would be patched as
    // if it listed nothing.
    static InfReader readSetupFile(const std::string& path);
    // True when the section has any line.
    static bool HasLine(const InfReader& reader, std::string_view section);
    // True when the section has a line with this key (ignoring case).
    static bool HasLine(const InfReader& reader, std::string_view section, std::string_view key);
    // The key of the first line whose field equals value ignoring case.
    static std::string FindKeyByField(const InfReader& reader, std::string_view section,
                                      std::size_t field, std::string_view value);
    // True when a line of the section reads back as text ignoring case.
    static bool HasLineText(const InfReader& reader, std::string_view section,
                            std::string_view text);

    // Files in the tree. Names match ignoring ASCII letter case, as they
    // do on Windows.
    static bool FileExists(const std::string& path);
    // True when the file begins with the cabinet signature "MSCF".
    static bool IsCabinet(const std::string& path);
    // The full path of a tool ("EXTRACT", "MAKECAB"; ".EXE" is implied)
    // where tools finds it, or the empty text when there is none.
    static std::string FindTool(const ToolSearch& tools, std::string_view name);

    // TXTSETUP.SIF: adds the package's files, hardware IDs, drivers and
    // display names that the file does not list yet.
    void IntegrateTxtsetup();
    std::string BuildTxtsetupText() const;

    // DOSNET.INF: names the catalog folder svcpack in OptionalSrcDirs when
    // the package has catalogs, and on an x64 tree lists the package's
    // files in [Files] (in the folder whose [Directories] entry is "\").
    void PatchDosnet();
    bool DosnetHasSvcpack() const;

    // SVCPACK.INF: lists the package's catalogs in ProductCatalogsToInstall.
    // A failure, with its reason, when the work copy cannot be made or
    // packed back.
    Outcome PatchSvcpack();
    // Fills lines with the catalog lines to add; true when the work copy is
    // a usable SVCPACK.INF, false when it must be replaced by a new one.
    bool CollectCatalogLines(std::string& lines) const;
    // The content of a new SVCPACK.INF listing the given catalog lines.
    std::string svcpackTemplate(std::string_view catalogLines) const;

    // SVCPACK.INF: takes out the lines of [SetupHotfixesToRun] whose
    // program earlier answers true for (what an earlier build added), then
    // lists the hotfixes there, in order, after the lines the file holds; a
    // name listed already is left as it is. A file that is no usable
    // SVCPACK.INF is replaced by a new one; one that comes out as it was is
    // not packed again. A failure, with its reason, when the work copy
    // cannot be made or packed back (patch/SvcpackHotfixes.h).
    Outcome addHotfixes(const std::vector<HotfixLine>& hotfixes,
                        const std::function<bool(std::string_view name)>& earlier);
    // DOSNET.INF: takes out the line "svcpack" of [OptionalSrcDirs] that an
    // earlier build added.
    void unnameSvcpackInDosnet();
    // DOSNET.INF: names svcpack in OptionalSrcDirs unless it does already,
    // so that winnt32 copies the hotfixes too.
    void nameSvcpackInDosnet();

    // HIVESYS.INF (or HIVESYS.IN_ through a work copy): adds the package's
    // service values as [AddReg] lines under the service's key, those it
    // does not hold yet. A plain file stays plain, edited in place in its
    // encoding (UTF-16LE with a BOM, or 8-bit); a compressed one is
    // compressed again. Nothing changes without values. A failure, with its
    // reason, when the file is read-only or the work copy cannot be made or
    // packed back.
    Outcome patchHivesys();
    // The [AddReg] lines of the package's service values.
    std::string buildHivesysText() const;

    // MSHDC.INF: enables 48-bit LBA for the ATAPI driver. A failure, with
    // its reason, when the work copy cannot be made or packed back.
    Outcome PatchMshdc();
    std::string BuildMshdcText() const;

    // Work copies of setup files that I386 may hold compressed. plainPath
    // is the file's path under its plain name in the I386 folder. A setup
    // file that is a symbolic link is refused with FileError: what it leads
    // to is not part of the tree. Any other failure comes back with the
    // file and the reason.
    Outcome PrepareWorkCopy(const std::string& plainPath);
    // Compresses the work copy into I386 under the compressed name and
    // removes the file it came from; I386 is unchanged when this fails,
    // and the failure says which file and why.
    Outcome PackBack();

    // The path of a setup file in the I386 folder, under the name it has
    // there in whatever letter case, or the name as given when it is absent.
    std::string setupFilePath(std::string_view name) const;

private:
    void makeTempFolder();

    ToolSearch tools_;
    std::string i386Folder_;
    std::string tempFolder_;
    std::string sourcePath_;
    std::string workCopyPath_;
    const DriverPackage* package_ = nullptr;
    WindowsTarget target_;
};

} // namespace ornibe
