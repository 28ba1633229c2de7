#include "CdimageArguments.h"

#include "media/VolumeLabel.h"

namespace ornibe {

bool isValidVolumeLabel(const std::string& label) {
    return volumeLabelFits(label);
}

ToolParse<CdimageArguments> parseCdimageArguments(const std::vector<std::string>& args) {
    CdimageArguments parsed;
    using Takes = ToolSwitch::Takes;
    auto operands = parseToolCommandLine(
        args,
        {.switches = {{.spellings = {"-l"},
                       .takes = Takes::GluedText,
                       .set = [&](const std::string& label) { parsed.label = label; },
                       .check = [](const std::string& label) -> std::optional<ToolUsageError> {
                           if (isValidVolumeLabel(label)) {
                               return std::nullopt;
                           }
                           return ToolUsageError{"volume label \"" + label +
                                                 "\" cannot be used: it must be at most 32 "
                                                 "printable ASCII characters"};
                       }},
                      {.spellings = {"-b"},
                       .takes = Takes::GluedText,
                       .set = [&](const std::string& file) { parsed.bootFile = file; },
                       .missingValue = "-b needs a boot file"},
                      {.spellings = {"-h"}, .set = setsTrue(parsed.includeHidden)},
                      {.spellings = {"-n"}, .set = setsTrue(parsed.longNames)},
                      {.spellings = {"-o"}, .set = setsTrue(parsed.storeTwinsOnce)},
                      // -m lifts the size limit of a CD and -x asks for a checksum
                      // in the boot record; neither limits or changes this image.
                      {.spellings = {"-m", "-x"}}},
         // Every other word of two characters or more that starts with "-".
         .looksLikeSwitch =
             [](const std::string& word) { return word.size() >= 2 && word[0] == '-'; },
         .minOperands = 2,
         .maxOperands = 2,
         .usage = "usage: cdimage [-lLABEL] [-h] [-n] [-m] [-o] [-x] [-bBOOTFILE] tree image"});
    if (!operands) {
        return operands.failure();
    }
    parsed.tree = (*operands)[0];
    parsed.image = (*operands)[1];
    return parsed;
}

} // namespace ornibe
