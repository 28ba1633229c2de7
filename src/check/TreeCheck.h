#pragma once

#include "check/ControllerMatch.h"
#include "inf/SetupArchitecture.h"
#include "settings/DriverPackTable.h"
#include "sys/SearchPath.h"

#include <optional>
#include <string>
#include <vector>

namespace ornibe {

class CdModules;

// One thing the check of a finished tree found. A problem is something
// setup will trip over (a file it cannot find, a line it cannot read); a
// note is worth knowing but harms neither a CD boot nor setup.
struct TreeFinding {
    enum class Kind { Problem, Note };
    Kind kind = Kind::Problem;
    // The line as the log and the table show it, in the program's words.
    std::string text;
    // A setup file that no longer opens: the one finding that makes a
    // finished build a failed one.
    bool unreadable = false;
    // What the CD itself gave, untouched by the build: a service of the
    // CD's own, its file or its IDs. The check of a folder reports it; a
    // build's log leaves it out, since the build neither made it nor can
    // mend it.
    bool cdOwn = false;

    bool operator==(const TreeFinding&) const = default;
};

// A storage controller of the target machine that a service claims.
struct ControllerFinding {
    ControllerMatch match;
    // Where the service comes from: the CD, or an integrated driver (with
    // its INF when the tree tells it).
    std::string origin;
};

struct TreeCheckReport {
    // The edition the tree's tag files name, as the summary shows it
    // ("Windows XP Professional SP2 (x86)").
    std::string edition;
    std::vector<TreeFinding> findings;
    // Whether the controller match was asked for, and the controllers it
    // found claimed (an unclaimed one is a problem among the findings).
    bool matched = false;
    std::vector<ControllerFinding> controllers;
    // What a driver pack would give the tree, when the check is asked
    // with one; empty otherwise.
    DriverPackTable driverPack = {};

    bool hasProblem() const;
    bool hasUnreadableSetupFile() const;
    void problem(std::string text) {
        findings.push_back({TreeFinding::Kind::Problem, std::move(text)});
    }
    void note(std::string text) { findings.push_back({TreeFinding::Kind::Note, std::move(text)}); }
    void cdProblem(std::string text) {
        findings.push_back({TreeFinding::Kind::Problem, std::move(text), false, true});
    }
};

// What the check reads: the work folder, the image made from it (empty
// when there is none), where the cabinet tool is looked for, and the
// Windows version the answer file is held to (unknown when the build did
// not detect one).
struct TreeCheckInput {
    std::string workFolder;
    std::string isoPath;
    ToolSearch tools;
    WindowsVersion version = WindowsVersion::Unknown;
    // The target machine's PCI devices, when the controller match is
    // asked for.
    std::optional<std::vector<PciDevice>> target;
    // The lines of the target's listing that were no device record.
    std::size_t targetPassedOver = 0;
    // The USB stick image made from the tree; empty when there is none.
    std::string usbImagePath = {};
    // The CD's modules the run read before, for the load check of the
    // drivers; null to read them afresh.
    CdModules* cdModules = nullptr;
};

// Reads the finished tree (and its image) and reports what setup would
// stumble on; writes nothing in the work folder. Compressed setup files
// are expanded into a temporary folder of their own, removed at the end.
//
// - the setup files the build edits (TXTSETUP.SIF, DOSNET.INF and, when
//   there, SVCPACK.INF, HIVESYS.INF, MSHDC.INF) open with the INF parser,
//   and nothing follows TXTSETUP.SIF's end-of-file byte;
// - every [SCSI.Load] service's file has a [SourceDisksFiles] line (the
//   tree's architecture's section counts) and is in the setup folder,
//   plain or as a cabinet that holds it; one that DOSNET.INF's [Files]
//   leaves out is a note (setup started from a CD boot does not need it);
// - every [HardwareIdsDatabase] value names a service that text-mode
//   setup loads: the file of a line of any *.Load section, without its
//   extension, or the service of a [Mouse] or [Keyboard] entry (a value
//   written with its .sys suffix names the same service); an ID that the
//   CD itself gives to two services is a note (setup takes the first
//   line), one given also to an integrated driver a problem;
// - the catalogs SVCPACK.INF names are in the SVCPACK folder; the answer
//   file passes the answer-file rules; every OemPnPDriversPath folder is
//   under $OEM$\$1 and holds an INF;
// - the image holds every file of the tree under its upper-case name, and
//   boots without emulation from 4 sectors;
// - the USB stick image, when given, holds the tree and boots it (see
//   checkStickImage in TreeCheckParts.h);
// - with a target machine, which service [HardwareIdsDatabase] gives each
//   of its storage controllers, as Windows picks it from the device's
//   IDs; a controller that nothing claims is a problem.
TreeCheckReport checkTree(const TreeCheckInput& input);

// "00:1f.2 Intel ICH9 AHCI [8086:2922]": a controller as the lines name it.
std::string controllerName(const PciDevice& device);

// The line that says what claims a controller: its slot, name and IDs, the
// service, where it comes from and the ID that matched.
std::string controllerLine(const ControllerFinding& found);

} // namespace ornibe
