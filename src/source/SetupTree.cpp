#include "source/SetupTree.h"

#include "source/Medium.h"

namespace ornibe {

std::string setupFileOf(Architecture architecture) {
    return std::string(setupFolderName(architecture)) + "/TXTSETUP.SIF";
}

Architecture sourceArchitecture(const Medium& source) {
    return source.hasFile(setupFileOf(Architecture::Amd64)) ? Architecture::Amd64
                                                            : Architecture::X86;
}

} // namespace ornibe
