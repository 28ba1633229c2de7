#pragma once

#include "media/DriveSource.h"
#include "settings/CdDriveEntry.h"

#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// The label a source proposed for the image and the label field's text
// before that, so that the proposal can be taken back.
struct ProposedLabel {
    std::string proposed;
    std::string before;
};

// The label field's text after a source is chosen: the source's own label
// when it proposes one; otherwise, when the field still holds the label an
// earlier source proposed, the text it had before that proposal; otherwise
// the field as the user left it. proposedBefore is updated for the next
// choice.
std::string labelAfterSourceChoice(std::optional<ProposedLabel>& proposedBefore,
                                   const std::string& field,
                                   const std::optional<std::string>& proposal);

// The CD drive list of the settings page, without the screen: the entries
// of driveList() as the last relist() read them, then the images and
// folders chosen as the source, then the two entries that open a dialog to
// choose one (kPickImageEntry and kPickFolderEntry, with empty roots). The
// page shows entries() in this order and asks the list what a position is.
class CdDriveList {
public:
    // What choosing the entry at a position does.
    enum class Kind { Source, PickImage, PickFolder };

    // Lists no drive until the first relist().
    CdDriveList();

    // Reads the drives again; the chosen sources follow them as before.
    void relist(DriveSource& drives);

    // Every entry, in the order the page shows them.
    const std::vector<DriveEntry>& entries() const { return entries_; }

    // Keeps an image or folder chosen as the source (just chosen, or held
    // by the settings when the page is shown again) in the list, after the
    // sources chosen before; an entry the list already holds is not listed
    // twice. Returns its position.
    int keep(const DriveEntry& entry);

    // The position the list selects for a wanted one: the position itself
    // when it stands for a source, otherwise -1 (nothing selected): a
    // position past the end, or one of the entries that choose a source.
    int sourcePosition(int position) const;

    // What the entry at a position does: the last two choose a source;
    // every other position is a source's (sourcePosition() says whether
    // it names one).
    Kind kindAt(int position) const;

    // The volume label that choosing the entry at position proposes for the
    // image (proposedVolumeLabel); nothing for a position that names no
    // source.
    std::optional<std::string> proposedLabel(int position) const;

private:
    void rebuild();

    std::vector<DriveEntry> listed_;
    std::vector<DriveEntry> chosen_;
    std::vector<DriveEntry> entries_;
};

} // namespace ornibe
