#pragma once

#include "inf/SetupArchitecture.h"
#include "runner/MessageBox.h"
#include "settings/BuildSettings.h"
#include "sys/Failure.h"

#include <functional>
#include <string>

namespace ornibe {

// Whether the INF at path (an existing file) is a Plug and Play driver that
// GUI-mode setup of the target (an unknown version is taken as XP) can
// install from a folder of its own: it opens as an INF, its models include
// one for the version (a models section decorated only for another
// architecture is refused as such), and every file it names is on its
// medium inside its folder, plain or compressed. Any device class passes.
//
// A refusal's headline names the file, its reason says why.
Outcome validatePnpDriverInf(const std::string& path, const WindowsTarget& target);

// The OemPnPDriversPath the build would give setup for count drivers after
// the user's own folders (those of the user's answer file, when one is
// used), against the version's limit; the refusal gives the length and
// the limit.
Outcome validatePnpDriversPath(std::size_t count, const AnswerFileFields& fields,
                               WindowsVersion version, InputSnapshots& inputs);

// Why PnP drivers cannot go without an answer file, as both front ends
// say it: two lines, the refusal and setup's reason.
std::string pnpDriversNeedAnswerFile();

// The checks of the settings' PnP drivers that need the whole settings, on
// "次へ >" after each INF passed: setup reads $OEM$ only for an unattended
// installation, so without an answer file the build is refused. When
// openAnswerFile is given (the wizard), the message asks whether to open
// the answer file's dialog, runs it on yes, and goes on when it left an
// answer file set. Then the path's length. True when the page may go on;
// always true without PnP drivers.
bool checkPnpDriverSettings(const BuildSettings& settings, WindowsVersion version,
                            MessageBox& messages, const std::function<void()>& openAnswerFile);

} // namespace ornibe
