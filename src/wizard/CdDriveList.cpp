#include "wizard/CdDriveList.h"

#include "sys/Translation.h"
#include "wizard/DriveListEntries.h"

#include <algorithm>

namespace ornibe {

namespace {

// The entries that choose a source come last, in this order.
constexpr int kPickEntries = 2;

} // namespace

CdDriveList::CdDriveList() {
    rebuild();
}

void CdDriveList::relist(DriveSource& drives) {
    listed_ = driveList(drives);
    rebuild();
}

int CdDriveList::keep(const DriveEntry& entry) {
    int sources = static_cast<int>(entries_.size()) - kPickEntries;
    auto end = entries_.begin() + sources;
    if (auto found = std::find(entries_.begin(), end, entry); found != end) {
        return static_cast<int>(found - entries_.begin());
    }
    chosen_.push_back(entry);
    rebuild();
    return sources;
}

int CdDriveList::sourcePosition(int position) const {
    return position >= 0 && position < static_cast<int>(entries_.size()) - kPickEntries ? position
                                                                                        : -1;
}

CdDriveList::Kind CdDriveList::kindAt(int position) const {
    int sources = static_cast<int>(entries_.size()) - kPickEntries;
    if (position == sources) {
        return Kind::PickImage;
    }
    return position == sources + 1 ? Kind::PickFolder : Kind::Source;
}

std::optional<std::string> CdDriveList::proposedLabel(int position) const {
    if (sourcePosition(position) < 0) {
        return std::nullopt;
    }
    return proposedVolumeLabel(position, entries_[static_cast<size_t>(position)].text);
}

void CdDriveList::rebuild() {
    entries_ = listed_;
    entries_.insert(entries_.end(), chosen_.begin(), chosen_.end());
    entries_.push_back(DriveEntry{{}, translated(kPickImageEntry)});
    entries_.push_back(DriveEntry{{}, translated(kPickFolderEntry)});
}

std::string labelAfterSourceChoice(std::optional<ProposedLabel>& proposedBefore,
                                   const std::string& field,
                                   const std::optional<std::string>& proposal) {
    const bool stillProposed = proposedBefore && field == proposedBefore->proposed;
    if (proposal) {
        // The text to go back to stays the user's, through any number of
        // proposals in a row.
        proposedBefore = ProposedLabel{*proposal, stillProposed ? proposedBefore->before : field};
        return *proposal;
    }
    std::string text = stillProposed ? proposedBefore->before : field;
    proposedBefore.reset();
    return text;
}

} // namespace ornibe
