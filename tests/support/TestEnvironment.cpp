#include "support/TestEnvironment.h"

#include "sys/HostPath.h"

namespace ornibe::test {

HostEnvironment hostEnvironment() {
    return HostEnvironment::ofThisProcess();
}

HostEnvironment withPathFirst(const std::string& folder, const HostEnvironment& environment) {
    const std::optional<std::string> path = environment.value("PATH");
    return environment.with("PATH", path ? folder + ":" + *path : folder);
}

HostEnvironment withoutSearchPath() {
    return hostEnvironment().with("PATH", "/nonexistent-ornibe-path");
}

ToolSearch toolSearch(const std::string& toolFolder, const std::string& currentFolder,
                      const HostEnvironment& environment) {
    return ToolSearch(toolFolder, currentFolder, environment);
}

void ScriptedProcesses::answer(const std::string& name, Answer answer) {
    answers_.emplace_back(name, std::move(answer));
}

ChildEnd ScriptedProcesses::run(const ChildStart& child, const OutputCallback& output,
                                const IdleCallback& idle, const StopCheck& stop) {
    started_.push_back(child);
    ChildEnd end;
    if (stop && stop()) {
        end.stopped = true;
        end.exitCode = 128u + 15u;
        end.signal = 15;
        return end;
    }
    for (const auto& [name, answer] : answers_) {
        if (name == fileName(child.program)) {
            if (output && !answer.output.empty()) {
                output(answer.output);
            }
            end.exitCode = answer.exitCode;
        }
    }
    if (idle) {
        idle();
    }
    return end;
}

} // namespace ornibe::test
