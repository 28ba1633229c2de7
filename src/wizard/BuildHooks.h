#pragma once

#include "runner/ConfirmData.h"
#include "settings/BuildSettings.h"
#include "sys/SearchPath.h"
#include "wizard/ConfirmPageHooks.h"

#include <functional>

namespace ornibe {

// The confirmation page's work for the real program: the summary when the
// page opens and the build on "実行！", both over the one settings record
// and the page's detected target and drivers, with the tools found where
// tools says.
ConfirmPageHooks buildHooks(const BuildSettings& settings, ConfirmData& data, ToolSearch tools);

// Runs one of the confirmation page's hooks as both front ends run it: an
// error that escapes it ends it like a reported failure, its text on a
// line of its own in the log and "< 戻る" enabled, so that the wizard and
// ornibe-build leave the same log.
void runPageHook(const std::function<void(BuildPage&)>& hook, BuildPage& page);

} // namespace ornibe
