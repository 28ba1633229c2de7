#pragma once

#include "sys/TreeWriter.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace ornibe {

// Copies everything inside the folder from (its files and folders, with
// their subfolders) into the folder to, which is created when missing. The
// folder is scanned whole first; then its entries are handed to the
// TreeWriter (sys/TreeWriter.h), which does the destination's side as for
// every source: existing files are replaced without a question, also
// read-only ones; missing folders are created; files and folders keep
// their permission bits and times (a folder that refuses them is counted in
// foldersUnset, not as a failure); where the destination already holds a
// name that differs only in letter case, that entry is used, so no folder
// ends up with two such names. Unless the source is an optical disc, the
// files are written ahead on worker threads and put in place in order
// (TreeWriter), which changes none of what follows.
//
// progress (may be empty) is called after every file and after every chunk
// of a large file. cancel (may be null) is looked at before every file and
// every chunk; once it is set the copy stops, the file in progress is
// removed, and what was copied before stays. An entry that cannot be copied
// (unreadable, a special file, a name in the way) is counted and skipped,
// and the copy goes on with the rest.
//
// Links: the destination never receives one. A link of the source is copied
// as what it names (a file, or a folder with its content) when that lies
// inside the source; a link that leads out of the source, nowhere, or back
// to a folder above it is left out and listed in leftOut. In the
// destination nothing is written through a link: new files are created
// under names of their own with O_EXCL|O_NOFOLLOW and renamed into place
// (which replaces a link of the file's name), and a link where a folder of
// the source goes is refused as a failure that names it.
CopyResult copyTree(const std::string& from, const std::string& to,
                    const CopyProgressCallback& progress = {},
                    const std::atomic<bool>* cancel = nullptr);

// The bytes that copyTree would copy from the folder from: its files
// together, links followed as the copy follows them. Nothing when from is
// no folder that can be read.
std::optional<std::uint64_t> treeBytes(const std::string& from);

} // namespace ornibe
