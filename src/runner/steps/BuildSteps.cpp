#include "runner/steps/BuildSteps.h"

#include "runner/WorkRecord.h"
#include "settings/AnswerFileFields.h"

namespace ornibe {
namespace {

bool always(const BuildContext&) {
    return true;
}

// The steps in the order they run. The hotfixes come after the Service
// Pack, whose own SVCPACK.INF lines they follow; the user's $OEM$ files
// after the PnP drivers, beside whose folders they go without replacing
// them; both before the answer file, which names the drivers' folders. The
// check comes after the images, as it reads the finished tree and its
// images, and only a checked stick image is written to the stick.
constexpr BuildStep kSteps[] = {
    {"copy", [](const BuildContext& c) { return c.settings.GetCdDriveIndex() != 0; }, copyStep},
    {"Service Pack", [](const BuildContext& c) { return !c.settings.GetServicePackPath().empty(); },
     servicePackStep},
    {"attributes", always, attributeStep},
    {"drivers", [](const BuildContext& c) { return !c.settings.GetDriverInf(0).empty(); },
     driverStep},
    {"hotfixes",
     [](const BuildContext& c) {
         // Also to take out what an earlier build of the work folder added.
         return !c.settings.getSetupAdditions().hotfixes.empty() ||
                workRecordNames(c.settings.GetWorkFolder(), kRecordHotfix) ||
                workRecordNames(c.settings.GetWorkFolder(), kRecordDosnet);
     },
     hotfixStep},
    {"PnP drivers", [](const BuildContext& c) { return !c.settings.pnpDriverInfList().empty(); },
     pnpDriverStep},
    {"$OEM$ files",
     [](const BuildContext& c) {
         return c.settings.getSetupAdditions().needsOemPreinstall() ||
                workRecordNames(c.settings.GetWorkFolder(), kRecordOemFile) ||
                workRecordNames(c.settings.GetWorkFolder(), kRecordSetupCommand);
     },
     oemFilesStep},
    {"answer file",
     [](const BuildContext& c) {
         return c.settings.getAnswerFile().mode != AnswerFileFields::Mode::None;
     },
     answerFileStep},
    {"Big Drive", [](const BuildContext& c) { return c.settings.GetBigDrive() != 0; },
     bigDriveStep},
    {"image", [](const BuildContext& c) { return !c.settings.GetIsoPath().empty(); }, imageStep},
    {"USB image", [](const BuildContext& c) { return !c.settings.getUsbImagePath().empty(); },
     usbImageStep},
    {"check", always, checkStep},
    {"USB device", [](const BuildContext& c) { return !c.settings.getUsbDevice().empty(); },
     usbDeviceStep},
};

} // namespace

std::span<const BuildStep> buildSteps() {
    return kSteps;
}

} // namespace ornibe
