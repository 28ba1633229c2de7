#include "InfQuery.h"

#include "common/ToolMain.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    return ornibe::runToolMain("infquery", 2, std::cerr, [&] {
        std::vector<std::string> args(argv + 1, argv + argc);
        return ornibe::runInfQuery(args, std::cout, std::cerr);
    });
}
