#pragma once

#include "inf/SetupArchitecture.h"
#include "sys/Failure.h"
#include "sys/SearchPath.h"

#include <string>

namespace ornibe {

class BuildSettings;
class DriverPackage;
class Medium;

// The names under which the drivers of the settings go into the tree,
// checked on "次へ >" before anything changes:
//   - a file that driver staging puts into the setup folder (each driver,
//     INF and port file of an INF or a floppy entry, compressed there as
//     x.sy_) whose plain or compressed name is a file the CD has there
//     (SVCPACK.INF or SVCPACK.IN_, TXTSETUP.SIF, ATAPI.SY_ ...) is
//     refused, naming both, unless it is the same bytes (a CD cabinet is
//     expanded with the cabinet tool that tools finds to tell): the CD's
//     file is never replaced. The CD's files are those of the source when one is
//     read; without one, those of the work folder's setup folder less the
//     ones an earlier build integrated (named in a [SourceDisksFiles]
//     section that TXTSETUP.SIF repeats after the CD's own), so that a
//     rebuild with the same drivers passes.
//   - when an image is to be written, a name that the image cannot hold
//     whole (longer than cdimage writes with long names: 37 characters) is
//     refused: a file of the setup folder or a catalog of a driver, or a
//     part of the path of a Plug and Play driver's file.
// package holds the settings' drivers as readDriverSources reads them;
// tree is the source when one is read, else the work folder; target the
// tree's system.
Outcome checkDriverNames(const BuildSettings& settings, const DriverPackage& package,
                         const Medium& tree, const WindowsTarget& target, bool image,
                         const ToolSearch& tools);

} // namespace ornibe
