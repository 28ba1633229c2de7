// Parent CPU time while a child runs, and output throughput of the runner.
//
//   ornibe_bench_runner_idle
//
// Prints the CPU time the parent used while "sleep 2" ran (goal: under 5%
// of one core), how often the page would have been let repaint, and how
// fast 200 MB of child output pass through the output callback.

#include "sys/ChildProcessRunner.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

using namespace ornibe;

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double wallSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

int main() {
    const ToolSearch tools = ToolSearch::forThisProgram(HostEnvironment::ofThisProcess());
    {
        int idleCalls = 0;
        ChildProcessRunner runner(tools, "sleep 2");
        double cpu0 = cpuSeconds();
        double wall0 = wallSeconds();
        bool started = runner.run([](std::string_view) {}, [&] { ++idleCalls; });
        double wall = wallSeconds() - wall0;
        double cpu = cpuSeconds() - cpu0;
        if (!started || runner.exitCode() != 0) {
            std::printf("sleep did not run: %s\n", runner.startFailure().c_str());
            return 1;
        }
        std::printf("child sleeping:   wall %.3f s, parent CPU %.4f s = %.3f%% of one core "
                    "(goal < 5%%), idle calls %d (%.1f per second)\n",
                    wall, cpu, 100.0 * cpu / wall, idleCalls, idleCalls / wall);
    }
    {
        const long megabytes = 200;
        char command[128];
        std::snprintf(command, sizeof command, "head -c %ldM /dev/zero", megabytes);
        for (bool withCallback : {true, false}) {
            unsigned long long received = 0;
            ChildProcessRunner runner(tools, command);
            double cpu0 = cpuSeconds();
            double wall0 = wallSeconds();
            ChildProcessRunner::OutputCallback sink;
            if (withCallback) {
                sink = [&](std::string_view chunk) { received += chunk.size(); };
            }
            bool started = runner.run(sink, [] {});
            double wall = wallSeconds() - wall0;
            double cpu = cpuSeconds() - cpu0;
            if (!started) {
                std::printf("head did not run: %s\n", runner.startFailure().c_str());
                return 1;
            }
            std::printf("%ld MB of output %s: wall %.3f s = %.0f MB/s, parent CPU %.3f s%s\n",
                        megabytes, withCallback ? "to a callback" : "dropped     ", wall,
                        double(megabytes) / wall, cpu,
                        withCallback && received != (unsigned long long)megabytes << 20
                            ? "  (BYTES LOST)"
                            : "");
        }
    }
    return 0;
}
