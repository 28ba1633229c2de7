#include "runner/steps/BuildSteps.h"

#include "settings/AnswerFileFields.h"

namespace ornibe {
namespace {

bool always(const BuildContext&) {
    return true;
}

// The steps in the order they run. The PnP drivers come before the answer
// file, which names their folders; the check comes last, as it reads the
// finished tree and its image.
constexpr BuildStep kSteps[] = {
    {"copy", [](const BuildContext& c) { return c.settings.GetCdDriveIndex() != 0; }, copyStep},
    {"Service Pack", [](const BuildContext& c) { return !c.settings.GetServicePackPath().empty(); },
     servicePackStep},
    {"attributes", always, attributeStep},
    {"drivers", [](const BuildContext& c) { return !c.settings.GetDriverInf(0).empty(); },
     driverStep},
    {"PnP drivers", [](const BuildContext& c) { return !c.settings.pnpDriverInfList().empty(); },
     pnpDriverStep},
    {"answer file",
     [](const BuildContext& c) {
         return c.settings.getAnswerFile().mode != AnswerFileFields::Mode::None;
     },
     answerFileStep},
    {"Big Drive", [](const BuildContext& c) { return c.settings.GetBigDrive() != 0; },
     bigDriveStep},
    {"image", [](const BuildContext& c) { return !c.settings.GetIsoPath().empty(); }, imageStep},
    {"check", always, checkStep},
};

} // namespace

std::span<const BuildStep> buildSteps() {
    return kSteps;
}

} // namespace ornibe
