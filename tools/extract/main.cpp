#include "Extract.h"

#include "common/ToolMain.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    return ornibe::runToolMain("extract", 1, std::cerr, [&] {
        std::vector<std::string> args(argv + 1, argv + argc);
        return ornibe::runExtract(args, std::cout, std::cerr);
    });
}
