#include "CdimageArguments.h"

#include "media/VolumeLabel.h"

namespace ornibe {

bool isValidVolumeLabel(const std::string& label) {
    return volumeLabelFits(label);
}

std::optional<CdimageArguments> parseCdimageArguments(const std::vector<std::string>& args,
                                                      std::string& problem) {
    CdimageArguments parsed;
    std::vector<std::string> positional;
    for (const std::string& arg : args) {
        if (arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        char letter = static_cast<char>(arg[1] | 0x20);
        std::string value = arg.substr(2);
        bool flag = value.empty();
        if (letter == 'l') {
            if (!isValidVolumeLabel(value)) {
                problem = "volume label \"" + value +
                          "\" cannot be used: it must be at most 32 printable ASCII characters";
                return std::nullopt;
            }
            parsed.label = value;
        } else if (letter == 'b') {
            if (value.empty()) {
                problem = "-b needs a boot file";
                return std::nullopt;
            }
            parsed.bootFile = value;
        } else if (letter == 'h' && flag) {
            parsed.includeHidden = true;
        } else if (letter == 'n' && flag) {
            parsed.longNames = true;
        } else if (letter == 'o' && flag) {
            parsed.storeTwinsOnce = true;
        } else if ((letter == 'm' || letter == 'x') && flag) {
            // -m lifts the size limit of a CD and -x asks for a checksum
            // in the boot record; neither limits or changes this image.
        } else {
            problem = "unknown option " + arg;
            return std::nullopt;
        }
    }
    if (positional.size() != 2) {
        problem = "usage: cdimage [-lLABEL] [-h] [-n] [-m] [-o] [-x] [-bBOOTFILE] tree image";
        return std::nullopt;
    }
    parsed.tree = positional[0];
    parsed.image = positional[1];
    return parsed;
}

} // namespace ornibe
