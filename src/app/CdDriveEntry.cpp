#include "app/CdDriveEntry.h"

namespace ornibe {

std::string makeCdDriveEntry(std::string_view root, std::string_view label) {
    std::string entry(root);
    entry += " [ ";
    entry += label;
    entry += " ]";
    return entry;
}

std::string cdDriveRoot(std::string_view entry) {
    size_t separator = entry.find(" [ ");
    return std::string(separator == std::string_view::npos ? entry : entry.substr(0, separator));
}

} // namespace ornibe
