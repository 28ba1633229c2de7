#pragma once

#include "inf/SetupArchitecture.h"
#include "settings/AnswerFileFields.h"
#include "settings/SetupAdditions.h"
#include "sys/Failure.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ornibe {

// The bytes an 80-minute CD-R holds (360,000 sectors of 2048 bytes): the
// hotfix packages together may not pass it, or no CD could carry them.
inline constexpr std::uint64_t kCdBytes = 360000ull * 2048;

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
// $OEM$ folder is a folder; each command passes setupCommandProblem; and
// whatever needs the answer file (an $OEM$ folder, a command) has one. A
// refusal's headline names the file or value, its reason says why.
Outcome checkSetupAdditions(const SetupAdditions& additions, Architecture architecture,
                            const AnswerFileFields& answerFile);

} // namespace ornibe
