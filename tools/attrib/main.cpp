#include "Attrib.h"

#include "common/ToolMain.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    return ornibe::runToolMain("attrib", 1, std::cerr, [&] {
        std::vector<std::string> args(argv + 1, argv + argc);
        return ornibe::runAttrib(args, ".", std::cout, std::cerr);
    });
}
