#pragma once

#include "runner/ConfirmData.h"
#include "settings/BuildSettings.h"
#include "sys/SearchPath.h"
#include "wizard/ConfirmPageHooks.h"

namespace ornibe {

// The confirmation page's work for the real program: the summary when the
// page opens and the build on "実行！", both over the one settings record
// and the page's detected target and drivers, with the tools found where
// tools says.
ConfirmPageHooks buildHooks(const BuildSettings& settings, ConfirmData& data, ToolSearch tools);

} // namespace ornibe
