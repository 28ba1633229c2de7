#pragma once

#include "check/CheckedTree.h"
#include "check/ServiceOrigin.h"
#include "check/TreeCheck.h"
#include "inf/InfFile.h"

#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// The parts of the tree check, each adding what it finds to the report.

// The [SCSI.Load] services' files and the [HardwareIdsDatabase] lines of
// TXTSETUP.SIF, held to the services every *.Load section, [Mouse] and
// [Keyboard] load; dosnet is not open when the tree has no DOSNET.INF. What
// concerns only the CD's own services is marked as the CD's.
void checkStorageServices(CheckedTree& tree, const InfFile& txtsetup, const InfFile& dosnet,
                          const ServiceOrigins& origins, TreeCheckReport& report);

// The catalogs of SVCPACK.INF (not open when there is none).
void checkServicePackCatalogs(const CheckedTree& tree, const InfFile& svcpack,
                              TreeCheckReport& report);

// The hotfixes of SVCPACK.INF's [SetupHotfixesToRun] (not open when there
// is none): each an 8.3 name, present in the setup folder's SVCPACK.
void checkHotfixes(const CheckedTree& tree, const InfFile& svcpack, TreeCheckReport& report);

// $OEM$\cmdlines.txt, when there is one, parses, and no command of it or of
// the answer file's [GuiRunOnce] is longer than setup takes.
void checkSetupCommands(const CheckedTree& tree, TreeCheckReport& report);

// The answer file of the setup folder, when there is one, and the Plug and
// Play driver folders it names: those of them that are there, as
// "$OEM$\$1\Drivers\001" and its host path.
std::vector<std::pair<std::string, std::string>>
checkAnswerFile(const CheckedTree& tree, WindowsVersion version, TreeCheckReport& report);

// The image made from the tree: its names and its boot entry.
void checkImage(const CheckedTree& tree, const std::string& isoPath, TreeCheckReport& report);

// The USB stick image made from the tree: its partition table, its file
// system as fsck.fat -n reads it, every file of the tree with its bytes,
// the setup files in its root with SetupSourceDevice once, and the loader
// its menu names. The tools are looked for where tools says.
void checkStickImage(const CheckedTree& tree, const std::string& image, const ToolSearch& tools,
                     TreeCheckReport& report);

// The values of every line of a section, fields 0 (the key; empty when
// the line has none) to the last.
std::vector<std::vector<std::string>> sectionLines(const InfFile& file, std::string_view section);

// "I386\TXTSETUP.SIF": a file of the setup folder as the messages name it.
std::string inSetupFolder(const CheckedTree& tree, std::string_view name);

} // namespace ornibe
