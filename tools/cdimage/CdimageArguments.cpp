#include "CdimageArguments.h"

#include "common/ToolCommandLine.h"
#include "media/VolumeLabel.h"

namespace ornibe {

bool isValidVolumeLabel(const std::string& label) {
    return volumeLabelFits(label);
}

std::optional<CdimageArguments> parseCdimageArguments(const std::vector<std::string>& args,
                                                      std::string& problem) {
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
    if (const auto* error = std::get_if<ToolUsageError>(&operands)) {
        problem = error->message;
        return std::nullopt;
    }
    parsed.tree = std::get<std::vector<std::string>>(operands)[0];
    parsed.image = std::get<std::vector<std::string>>(operands)[1];
    return parsed;
}

} // namespace ornibe
