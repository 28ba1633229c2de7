// Parsing speed of a 1 MB file shaped like TXTSETUP.SIF and the time of a
// key lookup in it. Run by hand: build/bench/inf/bench_inf
#include "inf/InfFile.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

using ornibe::InfFile;

struct SetupText {
    std::string text;
    std::vector<std::string> fileKeys;
    std::vector<std::string> idKeys;
};

// Sections and line shapes of TXTSETUP.SIF: a long SourceDisksFiles list,
// hardware ID database lines, the SCSI load lines and string keys.
const SetupText& setupText() {
    static const SetupText setup = [] {
        SetupText s;
        std::mt19937 random(7);
        s.text = "[Version]\r\nsignature = \"$Windows NT$\"\r\n"
                 "[SourceDisksNames.x86]\r\n1 = %cdname%,%cdtagfilei%,,\\i386\r\n";
        s.text += "[SourceDisksFiles]\r\n";
        for (int i = 0; s.text.size() < 700000; ++i) {
            std::string name = "file" + std::to_string(i) + (i % 3 ? ".dll" : ".sys");
            s.fileKeys.push_back(name);
            s.text += name + " = 1,,,,,,_x,2,0,0\r\n";
        }
        s.text += "[HardwareIdsDatabase]\r\n";
        for (int i = 0; s.text.size() < 950000; ++i) {
            char id[64];
            std::snprintf(id, sizeof id, "PCI\\VEN_%04X&DEV_%04X",
                          static_cast<unsigned>(random() & 0xFFFF),
                          static_cast<unsigned>(i & 0xFFFF));
            s.idKeys.push_back(id);
            s.text += std::string(id) + " = \"drv" + std::to_string(i % 300) + "\"\r\n";
        }
        s.text += "[SCSI.Load]\r\n";
        for (int i = 0; s.text.size() < 1000000; ++i)
            s.text += "drv" + std::to_string(i) + " = drv" + std::to_string(i) + ".sys,4\r\n";
        s.text += "[Strings]\r\ncdname = \"Windows XP Professional CD\"\r\n"
                  "cdtagfilei = \"\\win51ip\"\r\n\x1A";
        return s;
    }();
    return setup;
}

void parse(benchmark::State& state) {
    const std::string& text = setupText().text;
    for (auto _ : state) {
        InfFile inf = InfFile::parse(text);
        benchmark::DoNotOptimize(inf);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(parse)->Unit(benchmark::kMillisecond);

// Finds lines by key, in letter case other than the file's, as the
// patchers do; each iteration is one lookup.
void findKey(benchmark::State& state) {
    const SetupText& setup = setupText();
    InfFile inf = InfFile::parse(setup.text);
    std::vector<std::string> keys;
    for (std::size_t i = 0; i < setup.fileKeys.size(); i += 7) {
        std::string key = setup.fileKeys[i];
        for (char& c : key)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        keys.push_back(key);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        auto line = inf.findFirstLine("sourcedisksfiles", keys[i++ % keys.size()]);
        benchmark::DoNotOptimize(line);
    }
}
BENCHMARK(findKey);

void findHardwareIdAndReadField(benchmark::State& state) {
    const SetupText& setup = setupText();
    InfFile inf = InfFile::parse(setup.text);
    std::size_t i = 0;
    for (auto _ : state) {
        auto line =
            inf.findFirstLine("HardwareIdsDatabase", setup.idKeys[i++ % setup.idKeys.size()]);
        auto value = inf.stringField(*line, 1);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(findHardwareIdAndReadField);

void findMissingKey(benchmark::State& state) {
    InfFile inf = InfFile::parse(setupText().text);
    for (auto _ : state) {
        auto line = inf.findFirstLine("SourceDisksFiles", "notthere.sys");
        benchmark::DoNotOptimize(line);
    }
}
BENCHMARK(findMissingKey);

} // namespace

BENCHMARK_MAIN();
