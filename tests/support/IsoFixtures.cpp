#include "support/IsoFixtures.h"

#include "support/CommandRun.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ornibe::test {

bool makeIsoImage(const std::string& tree, const std::string& image, const IsoRecipe& recipe) {
    std::vector<std::string> argv = {"xorriso", "-as", "mkisofs",   "-quiet",
                                     "-R",      "-V",  recipe.label};
    if (recipe.joliet) {
        argv.push_back("-J");
    }
    if (!recipe.bootFile.empty()) {
        // The boot file is grafted in under a folder that both trees hide,
        // so it is reachable only through the boot catalog.
        for (const char* option : {"-hide", "-hide-joliet"}) {
            argv.insert(argv.end(), {option, "/hidden-boot/boot.img", option, "/hidden-boot",
                                     option, "/boot.catalog"});
        }
        argv.insert(argv.end(),
                    {"-b", "hidden-boot/boot.img", "-c", "boot.catalog", "-no-emul-boot",
                     "-boot-load-size", std::to_string(recipe.bootLoadSize)});
    }
    argv.insert(argv.end(), recipe.extra.begin(), recipe.extra.end());
    argv.insert(argv.end(), {"-o", image, "-graft-points", "/=" + tree});
    if (!recipe.bootFile.empty()) {
        argv.push_back("/hidden-boot/boot.img=" + recipe.bootFile);
    }
    CommandResult result = runCommand(argv);
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return result.exitCode == 0;
}

std::string bootEntrySummary(const std::string& image) {
    CommandResult result = runCommand({"xorriso", "-indev", image, "-report_el_torito", "plain"});
    std::istringstream lines(result.output);
    std::string line;
    while (std::getline(lines, line)) {
        // "El Torito boot img :   1  BIOS  y   none  0x0000  0x00      4          37"
        if (line.rfind("El Torito boot img :", 0) == 0) {
            std::istringstream fields(line.substr(20));
            std::string n, platform, bootable, emulation, segment, hdpt, size;
            fields >> n >> platform >> bootable >> emulation >> segment >> hdpt >> size;
            return emulation + " " + size;
        }
    }
    return {};
}

} // namespace ornibe::test
