#include "cli/CheckCommand.h"

#include "check/DriverLoadSources.h"
#include "check/DriverPackSelection.h"
#include "check/TargetHardware.h"
#include "check/TreeCheck.h"
#include "check/TreeCheckText.h"
#include "cli/BuildCommand.h"
#include "cli/TerminalText.h"
#include "source/Medium.h"
#include "sys/HostPath.h"

namespace ornibe {

std::string targetHardwareOf(const CommandOptions& options) {
    if (!options.machine.empty()) {
        return options.machine;
    }
    return options.targetHardware.empty() ? std::string() : makeAbsolute(options.targetHardware);
}

bool readTargetOption(const CommandOptions& options, TreeCheckInput& input, std::ostream& err) {
    const std::string value = targetHardwareOf(options);
    if (value.empty()) {
        return true;
    }
    // Read once: no other step of a check reads it.
    InputSnapshots inputs;
    Result<PciListing> read = readTargetHardware(value, inputs);
    if (!read) {
        err << "ornibe-build: " << terminalText(TerminalText::TargetUnreadable) << "\n"
            << read.failure().line() << "\n";
        return false;
    }
    input.target = std::move(read->devices);
    input.targetPassedOver = read->passedOver;
    return true;
}

std::optional<std::string> workFolderOption(const CommandOptions& options, std::ostream& err) {
    std::string work = withoutTrailingSlash(makeAbsolute(options.workFolder));
    if (!existsAsFolder(work)) {
        err << "ornibe-build: " << terminalText(TerminalText::WorkNotFolder, {options.workFolder})
            << "\n";
        return std::nullopt;
    }
    return work;
}

int runCheckCommand(const CommandOptions& options, const ToolSearch& tools, std::ostream& out,
                    std::ostream& err) {
    // Paths on the command line are taken from the current folder.
    const std::optional<std::string> checkedWork = workFolderOption(options, err);
    if (!checkedWork) {
        return kExitRefused;
    }
    const std::string& work = *checkedWork;
    std::string image = options.isoPath.empty() ? std::string() : makeAbsolute(options.isoPath);
    if (!image.empty() && !existsAsFile(image)) {
        err << "ornibe-build: " << terminalText(TerminalText::IsoNotFile, {options.isoPath})
            << "\n";
        return kExitRefused;
    }
    TreeCheckInput input{work, image, tools, WindowsVersion::Unknown, {}, 0};
    if (!options.usbImage.empty()) {
        input.usbImagePath = makeAbsolute(options.usbImage);
        if (!existsAsFile(input.usbImagePath)) {
            err << "ornibe-build: "
                << terminalText(TerminalText::UsbImageNotFile, {options.usbImage}) << "\n";
            return kExitRefused;
        }
    }
    if (!readTargetOption(options, input, err)) {
        return kExitRefused;
    }
    TreeCheckReport report = checkTree(input);
    if (!options.driverPack.empty()) {
        // What the pack would give this tree, its own drivers aside.
        Result<PackSelection> selection =
            selectPackDrivers(options.driverPack, input.target, Medium::open(work),
                              loadCheckTarget(work, tools), tools, ChoiceDriver{});
        if (!selection) {
            err << "ornibe-build: " << selection.failure().headline << "\n"
                << selection.failure().line() << "\n";
            return kExitRefused;
        }
        report.driverPack = selection->table;
    }
    out << (options.json ? treeCheckJson(report, work) : treeCheckTable(report, work));
    return report.hasProblem() ? 1 : 0;
}

} // namespace ornibe
