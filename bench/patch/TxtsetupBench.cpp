// Integrating a large driver package into a TXTSETUP.SIF of about 1 MB:
// reading the file through the parser, building the new sections and
// writing them over the end-of-file marker. The package grows with the
// argument (drivers); hardware IDs grow with it at 5,000 per 300 drivers.

#include "inf/DriverPackage.h"
#include "patch/SetupFileEditor.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/SearchPath.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace ornibe;

// A TXTSETUP.SIF of at least minBytes with the sections the patch asks.
std::string makeTxtsetup(std::size_t minBytes) {
    std::string text = "[Version]\r\nSignature = \"$Windows NT$\"\r\n"
                       "[WinntDirectories]\r\n1 = \"\\\"\r\n2 = system32\r\n"
                       "4 = system32\\drivers\r\n20 = inf\r\n";
    text += "[HardwareIdsDatabase]\r\n";
    for (int i = 0; i < 4000; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "PCI\\VEN_%04X&DEV_%04X = \"svc%d\"\r\n", 0xA000 + i % 97,
                      i, i % 150);
        text += line;
    }
    text += "[SCSI.Load]\r\n";
    for (int i = 0; i < 150; ++i) {
        text += "svc" + std::to_string(i) + " = svc" + std::to_string(i) + ".sys,4\r\n";
    }
    text += "[SourceDisksFiles]\r\n";
    for (int i = 0; text.size() < minBytes; ++i) {
        text += "file" + std::to_string(i) + ".dll = 1,,,,,,,2,0,0\r\n";
    }
    text += "\x1A";
    return text;
}

DriverPackage makePackage(int drivers) {
    DriverPackage package;
    int ids = drivers * 5000 / 300;
    for (int d = 0; d < drivers; ++d) {
        std::string name = "drv" + std::to_string(d);
        package.AddFileTarget("/media/" + name + "/" + name + ".sys",
                              "C:\\WINDOWS\\system32\\drivers");
        package.AddInfFile("/media/" + name + "/" + name + ".inf");
        package.AddServiceBinary(name + ".sys");
        package.AddDescription("Storage controller " + std::to_string(d), name);
    }
    for (int i = 0; i < ids; ++i) {
        char id[64];
        std::snprintf(id, sizeof id, "PCI\\VEN_%04X&DEV_%04X&SUBSYS_%08X", 0x1000 + i % 300, i,
                      i * 7);
        package.AddHardwareId(id, "drv" + std::to_string(i % drivers));
    }
    return package;
}

void integrateTxtsetup(benchmark::State& state) {
    int drivers = static_cast<int>(state.range(0));
    std::string folder = (std::filesystem::temp_directory_path() / "ornibe-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::string i386 = joinPath(folder, "I386");
    makeFolders(i386);
    std::string path = joinPath(i386, "TXTSETUP.SIF");
    std::string original = makeTxtsetup(1 << 20);
    DriverPackage package = makePackage(drivers);
    std::size_t written = 0;
    {
        SetupFileEditor editor(ToolSearch::forThisProgram(HostEnvironment::ofThisProcess()), i386,
                               package, {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        for (auto _ : state) {
            state.PauseTiming();
            writeFileAtomic(path, original);
            state.ResumeTiming();
            editor.IntegrateTxtsetup();
        }
        written = readFile(path).size() - original.size();
    }
    std::filesystem::remove_all(folder);
    state.counters["drivers"] = drivers;
    state.counters["hardware_ids"] = static_cast<double>(package.hardwareIdToService().size());
    state.counters["file_bytes"] = static_cast<double>(original.size());
    state.counters["added_bytes"] = static_cast<double>(written);
}

// The text alone, without writing: the part that grows with the package.
void buildTxtsetupText(benchmark::State& state) {
    int drivers = static_cast<int>(state.range(0));
    std::string folder = (std::filesystem::temp_directory_path() / "ornibe-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::string i386 = joinPath(folder, "I386");
    makeFolders(i386);
    writeFileAtomic(joinPath(i386, "TXTSETUP.SIF"), makeTxtsetup(1 << 20));
    DriverPackage package = makePackage(drivers);
    {
        SetupFileEditor editor(ToolSearch::forThisProgram(HostEnvironment::ofThisProcess()), i386,
                               package, {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        for (auto _ : state) {
            benchmark::DoNotOptimize(editor.BuildTxtsetupText());
        }
    }
    std::filesystem::remove_all(folder);
    state.counters["drivers"] = drivers;
}

BENCHMARK(buildTxtsetupText)
    ->Arg(75)
    ->Arg(150)
    ->Arg(300)
    ->Arg(600)
    ->Arg(1200)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(integrateTxtsetup)
    ->Arg(75)
    ->Arg(150)
    ->Arg(300)
    ->Arg(600)
    ->Arg(1200)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
