#include "cli/CheckCommand.h"

#include "cli/BuildCommand.h"
#include "runner/TreeCheck.h"
#include "runner/TreeCheckText.h"
#include "sys/HostPath.h"

namespace ornibe {

int runCheckCommand(const CommandOptions& options, const ToolSearch& tools, std::ostream& out,
                    std::ostream& err) {
    // Paths on the command line are taken from the current folder.
    const std::string work = withoutTrailingSlash(makeAbsolute(options.workFolder));
    if (!existsAsFolder(work)) {
        err << "ornibe-build: --work " << options.workFolder << " is not a folder\n";
        return kExitRefused;
    }
    std::string image = options.isoPath.empty() ? std::string() : makeAbsolute(options.isoPath);
    if (!image.empty() && !existsAsFile(image)) {
        err << "ornibe-build: --iso " << options.isoPath << " is not a file\n";
        return kExitRefused;
    }
    TreeCheckReport report = checkTree({work, image, tools, '?'});
    out << (options.json ? treeCheckJson(report, work) : treeCheckTable(report, work));
    return report.hasProblem() ? 1 : 0;
}

} // namespace ornibe
