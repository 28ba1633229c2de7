#pragma once

#include "sys/Translation.h"

#include <optional>
#include <string>
#include <string_view>

namespace ornibe {

// The texts of the entries below are shown translated; an entry stored by a
// run in another language is still recognised.

// The first entry of the CD drive list: the build reads no CD and works on
// what the work folder already holds.
inline constexpr std::string_view kNoCdEntry = toTranslate("読み込みしない");
// Stands in for the label of a drive in which no volume can be read.
inline constexpr std::string_view kNoDiscLabel = toTranslate("CD がありません");

// Begins the label part of a drive whose disc the user may not read; the
// reason follows in parentheses.
inline constexpr std::string_view kUnreadableDiscLabel = toTranslate("CD を読めません");
// The last entries of the CD drive list: they open a file dialog for an
// ISO image file, or a folder dialog for a folder that holds a CD's files.
inline constexpr std::string_view kPickImageEntry = toTranslate("ISO イメージファイル…");
inline constexpr std::string_view kPickFolderEntry = toTranslate("CD のファイルがあるフォルダ…");

// root + " [ " + label + " ]", the text of a drive entry and the stored
// form of the chosen drive.
std::string makeCdDriveEntry(std::string_view root, std::string_view label);

// An entry of the CD drive list: the root it stands for (a mount point, a
// disc's device, an image file or a folder; empty for "読み込みしない") and
// the text it shows. The root travels beside the text as a value of its
// own, since a root may itself hold " [ " (a folder named "cd [ sp4 ]").
struct DriveEntry {
    std::string root;
    std::string text;

    bool operator==(const DriveEntry&) const = default;
};

DriveEntry makeDriveEntry(std::string_view root, std::string_view label);

// The text before the first " [ " of an entry; the whole text when it has
// none. Not the root of an entry whose root holds " [ ": the program takes
// roots from DriveEntry, never from the text.
std::string cdDriveEntryRoot(std::string_view entry);

// The label part of a drive entry (between the last " [ " and the final
// " ]": a root may hold " [ ", the volume label of a Windows CD does not);
// nothing when the text is not a drive entry.
std::optional<std::string> cdDriveEntryLabel(std::string_view entry);

// Whether the entry stands for a drive in which no volume could be read.
bool cdDriveEntryHasNoDisc(std::string_view entry);

// The volume label that choosing the entry at position proposes for the
// ISO image: the entry's label when the entry is a drive with a readable,
// named volume; nothing for position 0, no selection, a drive without a
// disc or a volume without a label.
std::optional<std::string> proposedVolumeLabel(int position, std::string_view entry);

} // namespace ornibe
