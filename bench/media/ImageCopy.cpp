// Copies the tree of a CD image into a folder as the build's copy step
// does, and prints the seconds it took.
//
//   ornibe_bench_image_copy IMAGE FOLDER
//
// Exit status 0 when everything was copied.

#include "media/IsoImageReader.h"

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ornibe_bench_image_copy IMAGE FOLDER\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    ornibe::IsoImageReader image(argv[1]);
    ornibe::CopyResult result = image.copyTo(argv[2]);
    std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    if (!result) {
        std::fprintf(stderr, "%s: %s\n", result.failedPath.c_str(), result.reason.c_str());
        return 1;
    }
    std::printf("%.3f\n", seconds.count());
    return 0;
}
