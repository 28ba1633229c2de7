#include "Cdimage.h"

#include "common/ToolMain.h"
#include "sys/HostEnvironment.h"
#include "sys/PendingFile.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // A stopped build ends the tool with SIGTERM: its unfinished output
    // file goes with it.
    ornibe::removePendingFilesOnTermination();
    return ornibe::runToolMain("cdimage", 1, std::cerr, [&] {
        std::vector<std::string> args(argv + 1, argv + argc);
        return ornibe::runCdimage(args, ornibe::HostEnvironment::ofThisProcess(), std::cout,
                                  std::cerr);
    });
}
