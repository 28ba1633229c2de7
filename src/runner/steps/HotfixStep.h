#pragma once

#include "inf/WindowsTarget.h"
#include "runner/ProgressLog.h"
#include "settings/BuildSettings.h"
#include "source/Medium.h"
#include "sys/Failure.h"
#include "sys/Result.h"

#include <functional>
#include <string>
#include <vector>

namespace ornibe {

// Where each hotfix package goes: its short name in SVCPACK, its switches,
// and whether SVCPACK holds it already under that name and lists it (a
// rebuild, or a CD that carries the same package).
struct HotfixPlace {
    std::string package;
    std::string name;
    std::string switches;
    bool present = false;
};

// The short names of the packages in the order given: a package whose bytes
// a listed file of SVCPACK holds keeps that file's name (sameBytes answers
// for a listed name); any other takes its Knowledge Base number
// ("KB900001.EXE") when it has one, else shortNameFor its file name
// (sys/ShortName.h), never a name taken answers true for, a listed one or
// one given before it. A refusal when a package's own short name is
// listed for other bytes.
Result<std::vector<HotfixPlace>> placeHotfixes(
    const std::vector<HotfixChoice>& hotfixes, const std::vector<std::string>& listed,
    const std::function<bool(const std::string&)>& taken,
    const std::function<bool(const std::string& name, const std::string& package)>& sameBytes);

// The summary's heading for what setup is to run or copy besides drivers
// and a line for each with where it goes; nothing when there is none. The
// short names are placed against the files of the source's SVCPACK (a
// file there of the package's bytes keeps its name, as on a rebuild).
void appendSetupAdditionsSummary(const BuildSettings& settings, Architecture architecture,
                                 const Medium& source, ProgressLog& log);

// The hotfix step (runner/steps/BuildSteps.h): copies each package into
// the setup folder's SVCPACK under its short name, lists it in
// SVCPACK.INF's [SetupHotfixesToRun] after the lines there and names
// svcpack in DOSNET.INF, with a line in the log for each. On a failure the
// packages it copied are removed again, and the log says what and why.

} // namespace ornibe
