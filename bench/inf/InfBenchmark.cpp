// Parsing speed of a 1 MB file shaped like TXTSETUP.SIF and the time of a
// key lookup in it. Run by hand: build/bench/inf/bench_inf
//
//   bench_inf --open FILE [TIMES]   parses FILE (of any size, past the
//                                   64 MB an INF may have) TIMES times
//                                   (default 1) and prints the speed; for
//                                   the peak memory of one parse run it
//                                   under /usr/bin/time -v
//   bench_inf --write-setup FILE    writes the 1 MB file measured below
#include "inf/InfData.h"
#include "inf/InfFile.h"
#include "inf/InfParser.h"
#include "inf/InfText.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>

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

// Times the parse of the text alone: the parser takes over the bytes it
// is given, so each parse has a copy of its own, made while the clock is
// stopped, and the parsed file is freed while it is stopped as well.
void parse(benchmark::State& state) {
    const std::string& text = setupText().text;
    for (auto _ : state) {
        state.PauseTiming();
        std::string bytes = text;
        std::optional<ornibe::Result<InfFile, ornibe::InfProblem>> inf;
        state.ResumeTiming();
        inf.emplace(InfFile::readBytes(std::move(bytes)));
        benchmark::DoNotOptimize(*inf);
        state.PauseTiming();
        if (!*inf) {
            state.SkipWithError("the text was refused");
            break;
        }
        inf.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(parse)->Unit(benchmark::kMillisecond);

// The same with the copy and the freeing timed, as a caller of
// InfFile::parse on text it keeps pays them.
void parseCopyAndFree(benchmark::State& state) {
    const std::string& text = setupText().text;
    for (auto _ : state) {
        InfFile inf = InfFile::parse(text);
        benchmark::DoNotOptimize(inf);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(parseCopyAndFree)->Unit(benchmark::kMillisecond);

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

std::string readWhole(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    in.seekg(0, std::ios::end);
    bytes.resize(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// The processor time the process has taken, in and out of the kernel,
// and the pages it has been given.
struct Usage {
    double user = 0;
    double system = 0;
    long faults = 0;

    static Usage now() {
        rusage r{};
        getrusage(RUSAGE_SELF, &r);
        auto seconds = [](const timeval& t) {
            return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
        };
        return Usage{seconds(r.ru_utime), seconds(r.ru_stime), r.ru_minflt};
    }

    Usage operator-(const Usage& o) const {
        return Usage{user - o.user, system - o.system, faults - o.faults};
    }
    Usage& operator+=(const Usage& o) {
        user += o.user;
        system += o.system;
        faults += o.faults;
        return *this;
    }
};

// Reads the file once and parses it as InfFile::readBytes does, without
// the size limit; prints the processor time of the parse alone, and how
// much of it the kernel took to give the parse fresh pages of memory.
int openFile(const char* path, int times) {
    Usage parse;
    std::size_t size = 0;
    std::size_t lines = 0;
    for (int i = 0; i < times; ++i) {
        std::string bytes = readWhole(path);
        size = bytes.size();
        const Usage start = Usage::now();
        ornibe::InfFile::Data data;
        ornibe::InfProblem problem;
        if (!ornibe::parseInfText(ornibe::decodeInfText(std::move(bytes)), size, data, &problem)) {
            std::fprintf(stderr, "refused: %s\n", problem.text().c_str());
            return 1;
        }
        parse += Usage::now() - start;
        lines = data.lines.size();
    }
    const double seconds = parse.user + parse.system;
    std::printf("%s: %zu bytes, %zu lines, %.1f ms a parse (%.1f ms of it in the kernel, "
                "%ld page faults), %.0f MB/s\n",
                path, size, lines, seconds / times * 1000, parse.system / times * 1000,
                parse.faults / times, static_cast<double>(size) * times / seconds / 1e6);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--open") == 0)
        return openFile(argv[2], argc >= 4 ? std::atoi(argv[3]) : 1);
    if (argc == 3 && std::strcmp(argv[1], "--write-setup") == 0) {
        std::ofstream(argv[2], std::ios::binary) << setupText().text;
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
