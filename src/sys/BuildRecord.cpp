#include "sys/BuildRecord.h"

#include "sys/CaseFold.h"

namespace ornibe {

bool isBuildRecord(std::string_view relative) {
    const std::size_t slash = relative.find('/');
    return slash != std::string_view::npos &&
           equalsHostNoCase(relative.substr(0, slash), kBuildRecordFolder) &&
           equalsHostNoCase(relative.substr(slash + 1), kBuildRecordName);
}

} // namespace ornibe
