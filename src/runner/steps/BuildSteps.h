#pragma once

#include "runner/steps/BuildContext.h"

#include <span>
#include <string_view>

namespace ornibe {

// One step of the build: a row of the table that runBuild goes through.
struct BuildStep {
    // What the step is called where the build is read about, never logged.
    std::string_view name;
    // Whether the settings ask for the step; one that is not needed
    // writes nothing and counts as done.
    bool (*needed)(const BuildContext&);
    // Does the step and logs it: false when it failed, after it reported
    // why (BuildContext::reportFailure). What it adds to the results or
    // hands a later step, it puts into the context.
    bool (*run)(BuildContext&);
};

// The build's steps in the order they run; each runs only when the ones
// before it succeeded and nobody asked to stop.
std::span<const BuildStep> buildSteps();

// What each step does, one file each in runner/steps/.
bool copyStep(BuildContext& context);
bool servicePackStep(BuildContext& context);
bool attributeStep(BuildContext& context);
bool driverStep(BuildContext& context);
bool hotfixStep(BuildContext& context);
bool pnpDriverStep(BuildContext& context);
bool oemFilesStep(BuildContext& context);
bool answerFileStep(BuildContext& context);
bool bigDriveStep(BuildContext& context);
bool imageStep(BuildContext& context);
bool usbImageStep(BuildContext& context);
bool checkStep(BuildContext& context);
bool usbDeviceStep(BuildContext& context);

// The Service Pack step's command line.
StepCommand servicePackCommand(const BuildSettings& settings, const ToolSearch& tools);
// The image step's command line, for the image tool cdimage and the boot
// sector file bootFile.
StepCommand cdImageCommand(const BuildSettings& settings, const std::string& cdimage,
                           const std::string& bootFile);
// The boot sector file that the image step takes: BOOTSECT.BIN in the work
// folder's root, else the one the tool search finds; empty when there is
// none.
std::string bootSectorFile(const ToolSearch& tools, const std::string& workFolder);

} // namespace ornibe
