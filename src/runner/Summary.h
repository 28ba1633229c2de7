#pragma once

#include "inf/InfReader.h"
#include "runner/ConfirmData.h"
#include "runner/ProgressLog.h"
#include "settings/BuildSettings.h"
#include "source/Medium.h"
#include "sys/SearchPath.h"
#include "sys/StopCheck.h"

#include <memory>
#include <string>

namespace ornibe {

// The folder whose I386/TXTSETUP.SIF tells the Windows version: the CD's
// root when a CD is to be read, otherwise the work folder, which already
// holds the CD's files.
std::string summarySourceFolder(const BuildSettings& settings);

// The source the summary reads: the one the checks read (data.source)
// when it is the summary's folder, else that folder opened now, its image
// read as long as stop does not say otherwise.
std::shared_ptr<const Medium> summarySource(const BuildSettings& settings, const ConfirmData& data,
                                            const StopCheck& stop = {});

// The TXTSETUP.SIF of a source's setup folder (I386, or AMD64 on an x64
// CD): a folder that holds a CD's files, or an image file or disc read in
// place; the reader reads with the decorations of its architecture. Not
// open when there is none, or when stop ended the reading of an image; the
// reader's problem then says why, except after a stop.
InfReader openSourceSetupFile(const Medium& source);

// Writes the summary of the planned build into the log, detects the target
// Windows version from the tree's TXTSETUP.SIF and reads every driver INF of
// the settings into the package. Nothing here fails: a file that cannot be
// read gives an empty CD name or contributes no driver; for the setup file
// of an image, the target's place says why it cannot be read. A source
// image is read as long as stop does not say otherwise.
void writeSummary(const BuildSettings& settings, ConfirmData& data, ProgressLog& log,
                  const ToolSearch& tools, const StopCheck& stop = {});

} // namespace ornibe
