#pragma once

#include "sys/CaseLookup.h"
#include "sys/ChildProcessRunner.h"
#include "sys/SearchPath.h"
#include "sys/StopCheck.h"

#include <sys/stat.h>

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ornibe {

// The cabinets of a driver stage, made by one makecab run for all its files
// (makecab /F) instead of one run per file, and then put into the I386
// folder one by one in the stage's order.
//
// Each cabinet is made in I386 under a pending file's hidden name of its
// own, so nothing stands under a cabinet's name before it is placed, and
// what a killed build leaves is removed as every pending file is. A file
// whose cabinet the run did not make (makecab missing, failing, or not the
// program's own, whose list it does not read) has none here: the stage
// then compresses it on its own, which also gives the reason when that
// fails. The cabinets not placed are removed when the batch goes.
class CabinetBatch {
public:
    // Runs makecab once over files (paths of plain files on the medium),
    // with the stop check, calling idle between waits. Nothing is placed.
    // Throws FileError when I386 cannot hold the pending files.
    CabinetBatch(const ToolSearch& tools, const std::string& i386Folder,
                 const std::vector<std::string>& files, const StopCheck& stop,
                 const ChildProcessRunner::IdleCallback& idle);
    ~CabinetBatch();
    CabinetBatch(const CabinetBatch&) = delete;
    CabinetBatch& operator=(const CabinetBatch&) = delete;

    // The failure when the stop check ended the run.
    const Outcome& run() const { return run_; }

    // Puts the cabinet made for file into I386 under its compressed name
    // (replacing an entry whose name differs only in letter case), as
    // makecab writes it: the mode of the file it replaces, else 0644. False
    // when there is none for file, or when makecab would not write there
    // (a link, a read-only file, a folder): the caller then runs makecab
    // for the file alone, which tells why.
    bool place(const std::string& file);

private:
    std::string i386Folder_;
    // The pending file that holds each file's cabinet.
    std::map<std::string, std::string> pending_;
    Outcome run_;
    // I386's times before the batch, and its modification time after it.
    std::optional<std::array<struct timespec, 2>> folderTimes_;
    std::optional<struct timespec> batchTime_;
    // I386's names, read at the first place() and kept up to date by the
    // placing, so that each cabinet finds an entry of its name that differs
    // only in letter case without listing the folder again. Read anew after
    // a file the batch could not place: its own run then writes there.
    std::optional<DestFolder> names_;
};

} // namespace ornibe
