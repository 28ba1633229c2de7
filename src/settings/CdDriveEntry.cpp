#include "settings/CdDriveEntry.h"
#include "sys/Translation.h"

namespace ornibe {

namespace {

constexpr std::string_view kOpen = " [ ";
constexpr std::string_view kClose = " ]";

} // namespace

std::string makeCdDriveEntry(std::string_view root, std::string_view label) {
    std::string entry(root);
    entry += kOpen;
    entry += label;
    entry += kClose;
    return entry;
}

DriveEntry makeDriveEntry(std::string_view root, std::string_view label) {
    return DriveEntry{std::string(root), makeCdDriveEntry(root, label)};
}

std::string cdDriveEntryRoot(std::string_view entry) {
    size_t open = entry.find(kOpen);
    return std::string(entry.substr(0, open));
}

std::optional<std::string> cdDriveEntryLabel(std::string_view entry) {
    size_t open = entry.rfind(kOpen);
    if (open == std::string_view::npos) {
        return std::nullopt;
    }
    size_t start = open + kOpen.size();
    if (entry.size() < start + kClose.size() || !entry.ends_with(kClose)) {
        return std::nullopt;
    }
    return std::string(entry.substr(start, entry.size() - kClose.size() - start));
}

bool cdDriveEntryHasNoDisc(std::string_view entry) {
    std::optional<std::string> label = cdDriveEntryLabel(entry);
    return label && (*label == kNoDiscLabel || *label == translated(kNoDiscLabel));
}

std::optional<std::string> proposedVolumeLabel(int position, std::string_view entry) {
    if (position <= 0 || cdDriveEntryHasNoDisc(entry)) {
        return std::nullopt;
    }
    std::optional<std::string> label = cdDriveEntryLabel(entry);
    if (!label || label->empty() || label->starts_with(kUnreadableDiscLabel) ||
        label->starts_with(translated(kUnreadableDiscLabel))) {
        return std::nullopt;
    }
    return label;
}

} // namespace ornibe
