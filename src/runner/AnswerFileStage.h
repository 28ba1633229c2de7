#pragma once

#include "runner/ProgressLog.h"
#include "settings/BuildSettings.h"

namespace ornibe {

// The summary's heading for the unattended installation's answer file and
// its lines (answer/AnswerFileSummary.h), after the ISO image's; nothing
// when the settings ask for no answer file.
void appendAnswerFileSummary(const BuildSettings& settings, char versionCode, ProgressLog& log);

} // namespace ornibe
