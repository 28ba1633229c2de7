// copyTree against "cp -a" on the same tree.
//
//   ornibe_bench_copy_tree [FOLDER]
//
// Makes a tree of 2,000 files of about 300 MB in 40 folders under FOLDER
// (default: the system's temporary folder), then copies it with "cp -a" and
// with copyTree, six times each and taking turns at going first, into a
// fresh destination on the same file system. Prints each time, the medians
// and their ratio (goal: copyTree / cp -a at most 1.2). The page cache is
// warm for both; each run copies into a destination of its own after the
// disk is synced, and all of them are removed at the end: on an ext4 file
// system without a journal, files created within minutes of many
// deletions wait while the kernel passes over the inodes just freed.

#include "sys/CopyTree.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace ornibe;
namespace fs = std::filesystem;

namespace {

double now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// CPU seconds (user and system) of this process or of its ended children.
double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::string quoted(const std::string& path) {
    return "'" + path + "'";
}

void makeTree(const fs::path& root, int files, std::uint64_t totalBytes) {
    std::mt19937_64 random(42);
    // Sizes spread from a few bytes to about 4 times the mean, like the
    // files of an installation CD.
    std::vector<double> weights(static_cast<size_t>(files));
    std::exponential_distribution<double> spread(1.0);
    double sum = 0;
    for (double& w : weights) {
        w = spread(random);
        sum += w;
    }
    std::vector<char> block(1 << 20);
    for (char& c : block) {
        c = static_cast<char>(random());
    }
    for (int i = 0; i < files; ++i) {
        fs::path folder = root / ("DIR" + std::to_string(i % 40));
        fs::create_directories(folder);
        std::uint64_t size =
            static_cast<std::uint64_t>(weights[size_t(i)] / sum * double(totalBytes));
        std::ofstream out(folder / ("FILE" + std::to_string(i) + ".DAT"), std::ios::binary);
        while (size > 0) {
            std::uint64_t n = std::min<std::uint64_t>(size, block.size());
            out.write(block.data(), static_cast<std::streamsize>(n));
            size -= n;
        }
    }
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    fs::path work = base / ("ornibe-copy-bench-" + std::to_string(getpid()));
    fs::path source = work / "source";
    int runs = 0;
    fs::path target;
    auto freshTarget = [&] {
        target = work / ("target" + std::to_string(++runs));
        ::sync();
    };
    const int files = 2000;
    const std::uint64_t bytes = 300ull << 20;
    std::printf("making %d files, %llu MB in %s\n", files,
                static_cast<unsigned long long>(bytes >> 20), source.c_str());
    makeTree(source, files, bytes);
    ::sync();

    std::vector<double> cpTimes;
    std::vector<double> ourTimes;
    std::vector<double> cpCpu;
    std::vector<double> ourCpu;
    int status = 0;
    auto runCp = [&] {
        freshTarget();
        double c0 = cpuSeconds(RUSAGE_CHILDREN);
        double t0 = now();
        int rc = std::system(("cp -a " + quoted(source) + " " + quoted(target)).c_str());
        cpTimes.push_back(now() - t0);
        cpCpu.push_back(cpuSeconds(RUSAGE_CHILDREN) - c0);
        if (rc != 0) {
            std::printf("cp -a failed\n");
            status = 1;
        }
    };
    auto runOurs = [&] {
        freshTarget();
        double c0 = cpuSeconds(RUSAGE_SELF);
        double t0 = now();
        CopyResult result = copyTree(source, target);
        ourTimes.push_back(now() - t0);
        ourCpu.push_back(cpuSeconds(RUSAGE_SELF) - c0);
        if (!result) {
            std::printf("copyTree failed: %s: %s\n", result.failedPath.c_str(),
                        result.reason.c_str());
            status = 1;
        }
    };
    // The two take turns at going first, so that neither always meets the
    // other's write-back.
    for (int round = 0; round < 6; ++round) {
        if (round % 2 == 0) {
            runCp();
            runOurs();
        } else {
            runOurs();
            runCp();
        }
        std::printf("round %d: cp -a %.3f s (CPU %.3f s), copyTree %.3f s (CPU %.3f s)\n",
                    round + 1, cpTimes.back(), cpCpu.back(), ourTimes.back(), ourCpu.back());
    }
    double cp = median(cpTimes);
    double ours = median(ourTimes);
    std::printf("median wall: cp -a %.3f s, copyTree %.3f s, ratio %.2f (goal <= 1.2)\n", cp, ours,
                ours / cp);
    std::printf("median CPU:  cp -a %.3f s, copyTree %.3f s, ratio %.2f\n", median(cpCpu),
                median(ourCpu), median(ourCpu) / median(cpCpu));
    fs::remove_all(work);
    return status;
}
