#pragma once

#include "inf/WindowsTarget.h"
#include "sys/Failure.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ornibe {

class InfReader;

// "I386" or "AMD64": the folder below the tree's root that text-mode
// setup reads, and that the build integrates into.
std::string_view setupFolderName(Architecture architecture);

// "x86" or "AMD64", as the edition line names the architecture.
std::string_view architectureLabel(Architecture architecture);

// The section name decorations an INF is read with, in the order they are
// tried: ".NTX86", ".NT", ".X86" and none on x86; ".NTAMD64", ".NT",
// ".AMD64" and none on x64 (so [SourceDisksFiles.amd64] wins over
// [SourceDisksFiles] there).
const std::vector<std::string>& infDecorations(Architecture architecture);

// The architecture part of a TargetOS decoration of the models that
// setup of this architecture takes: "NTx86" or "NTamd64" (compared without
// regard to case).
std::string_view modelsDecoration(Architecture architecture);

// The NT version (major, minor) the tree installs: 5.0 for Windows 2000,
// 5.1 for XP, 5.2 for Server 2003. Every x64 system (XP x64 as well as
// Server 2003 x64) is 5.2.
std::pair<unsigned, unsigned> ntVersion(const WindowsTarget& target);

// The build number of every x64 system of this family.
inline constexpr const char* kAmd64BuildNumber = "3790";

// The section of TXTSETUP.SIF that lists the files of the tree's own
// architecture: "SourceDisksFiles.x86" or "SourceDisksFiles.amd64". On an
// x64 tree a driver's file line goes there.
std::string_view txtsetupFilesSection(Architecture architecture);

// Whether a driver INF has models for the target's architecture: some Manufacturer
// line names a models section that setup of that architecture takes. On
// x64 only models decorated NTamd64 (at most version 5.2) count; on x86,
// decorations for x86 or for any architecture, or the undecorated models.
bool infHasModelsFor(const InfReader& reader, const WindowsTarget& target);

// The judgement of a driver INF against the tree's architecture: a
// refusal naming the file when it has no models for the architecture but
// has them for the other one (an x86-only INF for an x64 tree, an
// x64-only INF for an I386 tree). Nothing when it has models for this
// architecture or for neither: the latter is the ordinary "no model"
// refusal of the driver check.
Outcome judgeInfArchitecture(const InfReader& reader, const WindowsTarget& target);

} // namespace ornibe
