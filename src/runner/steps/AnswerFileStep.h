#pragma once

#include "inf/SetupArchitecture.h"
#include "runner/ProgressLog.h"
#include "settings/BuildSettings.h"

namespace ornibe {

// The summary's heading for the unattended installation's answer file and
// its lines (answer/AnswerFileSummary.h), after the ISO image's; nothing
// when the settings ask for no answer file. The file is named in the
// tree's setup folder (I386\WINNT.SIF, or AMD64\WINNT.SIF on x64).
void appendAnswerFileSummary(const BuildSettings& settings, const WindowsTarget& target,
                             ProgressLog& log);

} // namespace ornibe
