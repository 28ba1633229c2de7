#pragma once

#include "check/CdModules.h"
#include "check/CheckedTree.h"
#include "inf/InfFile.h"
#include "inf/PeImage.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// A driver binary to read against the CD: its host path (a plain file,
// or as the INF names it when the medium holds it only compressed), and
// whether text-mode setup loads it (a storage driver of an INF or a
// floppy entry) or Windows does after setup (a Plug and Play driver).
struct LoadCheckDriver {
    std::string path;
    bool textMode = true;
    // How the messages name it when not by its path ("I386\\ORSCSI.SY_"
    // for a file expanded from the tree's cabinet).
    std::string shown = {};
    // The compressed form (x.sy_) the medium holds instead of the file,
    // which the build copies as it is: the check reads the file it holds,
    // expanded by the cabinet tool. Empty for a plain file.
    std::string cabinet = {};
};

// What the check found for one driver binary.
struct DriverLoadFinding {
    // The driver as the messages name it.
    std::string path;
    // Why it cannot load: each a sentence in the program's words.
    std::vector<std::string> problems;
    // What is worth knowing but does not stop it loading.
    std::vector<std::string> notes;
    // A file that is no PE image at all (no MZ or PE signature, as the
    // stand-ins of a sample are): nothing can be read from it, and
    // nothing is said about it but where the check is asked for alone.
    bool notAnImage = false;

    bool loads() const { return problems.empty(); }
    // "ORSCSI.SYS: 読み込める", or the file's name with its first problem.
    std::string summaryLine() const;
};

// Reads driver binaries against the CD they go onto (its setup folder,
// plain or in cabinets expanded by the cabinet tool):
// - the machine the driver was built for against the tree's architecture
//   (a problem when it differs);
// - the Windows version its subsystem fields ask for against the CD's
//   (a note when newer: Windows loads it, but it may call what the CD's
//   kernel lacks, which the next point catches);
// - each module it imports: the CD must carry it ([SourceDisksFiles]) and,
//   for a text-mode driver, text-mode setup must load it: the kernel and
//   HAL, a file of a *.Load section, a module one of those imports, or one
//   of the drivers checked with it;
// - each function it imports by name from a module of the CD must be in
//   that module's export table.
// Without TXTSETUP.SIF only the machine is checked. The kernel and HAL count as carried and loaded
// even where a CD lacks their files; what a module of the CD that cannot be read exports is not
// checked.
class DriverLoadCheck {
public:
    // txtsetup is the tree's TXTSETUP.SIF (not open when it has none).
    // The CD's modules are looked for in modules first and added to it
    // when read; without it, they are held for this check alone.
    DriverLoadCheck(CheckedTree& tree, const InfFile& txtsetup, CdModules* modules = nullptr);

    std::vector<DriverLoadFinding> check(const std::vector<LoadCheckDriver>& drivers);

    // "5.1": the Windows version of the CD, as subsystem fields give it;
    // empty when TXTSETUP.SIF does not tell it.
    const std::string& cdVersion() const { return cdVersion_; }

private:
    struct Module {
        bool onCd = false;
        // The module's image, when the CD's file was read.
        std::optional<PeImage> image;
    };

    // The CD's module called name (folded), read once.
    const Module& module(const std::string& folded);
    // The key in modules_ of the CD's file for the module called folded
    // (plain, or its cabinet); nothing when the tree has neither or it
    // cannot be read.
    const std::optional<std::string>& moduleKey(const std::string& folded);
    // Those of names that the CD holds and that were not read before.
    std::vector<std::string> unread(const std::vector<std::string>& names);
    // The image of the CD's file for the module called folded, read once
    // per key; nothing when there is none or it is no readable image.
    std::optional<PeImage> image(const std::string& folded);
    // Reads those of names not read before, taking them out of their
    // cabinets in one run of the cabinet tool.
    void readAhead(const std::vector<std::string>& names);
    // Whether text-mode setup loads the module (folded).
    bool loadedInTextMode(const std::string& folded);
    // The driver's image; nothing, with the finding saying why when it is
    // not notAnImage, when it cannot be read.
    std::optional<PeImage> readDriver(const LoadCheckDriver& driver, DriverLoadFinding& finding);
    // Holds the image against the CD; own are the drivers checked together
    // (folded file names), which count as carried and loaded.
    void judge(const LoadCheckDriver& driver, const PeImage& image,
               const std::set<std::string>& own, DriverLoadFinding& finding);

    CheckedTree& tree_;
    // Whether TXTSETUP.SIF was read: without it, what the CD carries and
    // loads is not known, and the imports are not checked.
    bool cdKnown_ = false;
    std::set<std::string> cdFiles_;
    // The files of the *.Load sections, in the file's order, and folded.
    std::vector<std::string> loadFiles_;
    std::set<std::string> loadSet_;
    // The modules known to be loaded: the kernel, HAL, the load files and
    // what those that were read import.
    std::set<std::string> loaded_;
    // How many of loadFiles_ have had their imports added to loaded_.
    std::size_t loadFilesRead_ = 0;
    std::map<std::string, Module> modules_;
    // The modules read, this check's own when it is handed none.
    CdModules ownRead_;
    CdModules& read_;
    std::map<std::string, std::optional<std::string>> keys_;
    std::string cdVersion_;
    unsigned cdSubsystem_ = 0;
};

// Adds the findings to report: each problem ("ドライバ X は読み込めません:
// ...") and each note. A driver that loads and has no note adds nothing,
// unless alone (the check asked for by itself), which also names each
// driver that loads and each file that is no image.
void addDriverLoadFindings(const std::vector<DriverLoadFinding>& findings, bool alone,
                           TreeCheckReport& report);

class ServiceOrigins;

// The check of a finished tree's integrated text-mode drivers, the files of
// the [SCSI.Load] lines a build added, expanded from their cabinets.
// The modules read are looked for in, and added to, modules (when given).
void checkIntegratedDriverLoads(CheckedTree& tree, const InfFile& txtsetup,
                                const ServiceOrigins& origins, TreeCheckReport& report,
                                CdModules* modules = nullptr);

// The check of a finished tree's Plug and Play drivers: every .sys file
// in the driver folders (shown as the messages name them, with their host
// paths) that the answer file's OemPnPDriversPath names and that are there.
void checkPnpDriverLoads(CheckedTree& tree, const InfFile& txtsetup,
                         const std::vector<std::pair<std::string, std::string>>& folders,
                         TreeCheckReport& report, CdModules* modules = nullptr);

} // namespace ornibe
