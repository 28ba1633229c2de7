#pragma once

#include "inf/SetupArchitecture.h"
#include "settings/AnswerFileFields.h"
#include "settings/SetupAdditions.h"
#include "sys/Failure.h"
#include "sys/InputSnapshot.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ornibe {

// Why hotfixes, $OEM$ files and commands cannot go without an answer file,
// as both front ends say it: two lines, the refusal and setup's reason.
std::string setupAdditionsNeedAnswerFile();

// Why a command cannot be given to setup (empty, a line break or a double
// quote, longer than kLongestSetupCommand); nothing when it can.
std::optional<std::string> setupCommandProblem(std::string_view command);

// The checks of what setup is to run or copy, on "次へ >", before anything
// changes: each hotfix package (an absolute path) is a Windows program
// (MZ and PE headers) for the tree's architecture, given once, with
// switches that fit on an INF line; the packages together fit on a CD; the
// $OEM$ folder is a folder whose files fit on a CD; each command passes setupCommandProblem; and
// whatever needs the answer file (an $OEM$ folder, a command) has one. A
// refusal's headline names the file or value, its reason says why. The
// packages and the $OEM$ folder's files are read through inputs, so that
// the summary and the build take the bytes that passed.
Outcome checkSetupAdditions(const SetupAdditions& additions, Architecture architecture,
                            const AnswerFileFields& answerFile, InputSnapshots& inputs);

} // namespace ornibe
