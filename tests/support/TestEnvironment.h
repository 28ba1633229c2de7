#pragma once

#include "sys/HostEnvironment.h"
#include "sys/ProcessStarter.h"
#include "sys/SearchPath.h"

#include <string>
#include <vector>

namespace ornibe::test {

// The tests' one way to give the code under test its environment and its
// children. The code takes the environment as a value from the tool search
// (or its caller), as a program's main hands it down, so a test sets PATH,
// WINEPREFIX or SOURCE_DATE_EPOCH in that value and never in its own
// process, whose variables every test of the program shares.

// This test program's own environment, as a main reads its own.
HostEnvironment hostEnvironment();

// The same, with folder in front of its PATH.
HostEnvironment withPathFirst(const std::string& folder,
                              const HostEnvironment& environment = hostEnvironment());

// The test program's own environment with a PATH that finds nothing, so
// that only a tool folder is searched.
HostEnvironment withoutSearchPath();

// A tool search in toolFolder, with currentFolder as the current folder and
// the environment given (the test program's own by default).
ToolSearch toolSearch(const std::string& toolFolder, const std::string& currentFolder,
                      const HostEnvironment& environment = hostEnvironment());

// A process starter that starts nothing: it keeps each child it is asked
// to start and answers with the output and exit code the test gave for
// the program's name (its file name), or exit code 0 and no output.
class ScriptedProcesses : public ProcessStarter {
public:
    struct Answer {
        std::string output;
        std::uint32_t exitCode = 0;
    };
    void answer(const std::string& name, Answer answer);

    ChildEnd run(const ChildStart& child, const OutputCallback& output, const IdleCallback& idle,
                 const StopCheck& stop) override;

    const std::vector<ChildStart>& started() const { return started_; }

private:
    std::vector<std::pair<std::string, Answer>> answers_;
    std::vector<ChildStart> started_;
};

} // namespace ornibe::test
