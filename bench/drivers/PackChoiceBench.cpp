// Times what --driver-pack does before a build: the walk of a pack folder
// (each INF read for the tree), the choice against a target listing, and
// the whole selection with the load check of every driver binary against
// the tree's modules. Prints each figure in seconds.
//
//   ornibe_pack_choice_bench PACK LISTING TREE TOOLDIR [RUNS]

#include "check/DriverPackSelection.h"
#include "check/TargetHardware.h"
#include "source/Medium.h"
#include "sys/HostEnvironment.h"
#include "sys/HostPath.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    using namespace ornibe;
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s PACK LISTING TREE TOOLDIR [RUNS]\n", argv[0]);
        return 2;
    }
    const std::string pack = argv[1];
    const std::string tree = argv[3];
    const int runs = argc > 5 ? std::atoi(argv[5]) : 5;
    const ToolSearch tools(argv[4], makeAbsolute("."), HostEnvironment::ofThisProcess());
    InputSnapshots inputs;
    Result<PciListing> listing = readTargetHardware(makeAbsolute(argv[2]), inputs);
    if (!listing) {
        std::fprintf(stderr, "%s\n", listing.failure().line().c_str());
        return 1;
    }
    const WindowsTarget target{WindowsVersion::WindowsXp, Architecture::X86, "2600"};
    std::vector<double> scans, matches, selections;
    std::size_t drivers = 0, ids = 0, taken = 0;
    for (int run = 0; run < runs; ++run) {
        Clock::time_point start = Clock::now();
        Result<DriverPack> read = readDriverPack(pack, target);
        scans.push_back(secondsSince(start));
        if (!read) {
            std::fprintf(stderr, "%s\n", read.failure().line().c_str());
            return 1;
        }
        std::vector<ChoiceDriver> weighed;
        drivers = read->drivers.size();
        ids = 0;
        for (const PackDriver& driver : read->drivers) {
            ids += driver.ids.size();
            weighed.push_back({driver.shown, driver.ids, driver.driverVer, driver.files, {}});
        }
        start = Clock::now();
        const PackChoice choice = choosePackDrivers(weighed, ChoiceDriver{}, listing->devices);
        matches.push_back(secondsSince(start));
        taken = choice.taken.size();
        start = Clock::now();
        Result<PackSelection> selection = selectPackDrivers(
            pack, listing->devices, Medium::open(tree), target, tools, ChoiceDriver{});
        selections.push_back(secondsSince(start));
        if (!selection) {
            std::fprintf(stderr, "%s\n", selection.failure().line().c_str());
            return 1;
        }
    }
    std::printf("pack: %zu drivers, %zu hardware IDs; listing: %zu devices; taken: %zu\n", drivers,
                ids, listing->devices.size(), taken);
    std::printf("scan: %.3f s, match: %.4f s, scan+match: %.3f s (median of %d; goal <= 1.0)\n",
                median(scans), median(matches), median(scans) + median(matches), runs);
    std::printf("selection with the load check of every binary: %.3f s\n", median(selections));
    return 0;
}
