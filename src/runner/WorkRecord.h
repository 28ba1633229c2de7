#pragma once

#include "sys/BuildRecord.h"
#include "sys/Failure.h"
#include "sys/Result.h"

#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// The build's record of a work folder ($OEM$\ORNIBE.TXT, sys/BuildRecord.h)
// as the steps read and write it: each step replaces the lines of its own
// kinds and keeps the others'.
struct WorkRecord {
    // $OEM$ of the work folder, in the letter case it has there.
    std::string oemFolder;
    // The record's file, whether it is there or not.
    std::string path;
    std::vector<BuildRecordLine> lines;
};

// The record of the work folder; no lines when there is none. Refused
// (with the record's path and the reason, before anything changes): a
// record that is a link or damaged, a package that is no short name, an
// $OEM$ path that leaves $OEM$ or names the record. Throws FileError when
// it cannot be read.
Result<WorkRecord> readWorkRecord(const std::string& workFolder);

// Whether the work folder's record has a line of key; a damaged record
// answers true, so that the step that reads it refuses it.
bool workRecordNames(const std::string& workFolder, std::string_view key);

// Makes $OEM$ when it is missing, noting in the record that the build made
// it. Throws FileError.
void makeOemFolder(WorkRecord& record);

// The name the record gives the setup folder's SVCPACK when the build made
// it.
inline constexpr std::string_view kMadeSvcpack = "SVCPACK";

// Notes in the record that the build made the folder (kBuildRecordFolder
// or kMadeSvcpack), and whether it says so.
void noteMadeFolder(WorkRecord& record, std::string_view name);
bool madeFolder(const WorkRecord& record, std::string_view name);

// Writes the record, unless it holds these lines already. With nothing left
// in it but the notes of the folders the build made, the record goes, and $OEM$
// too when the build made it and it is empty: the tree is then as a build
// that added nothing left it. Throws FileError.
void writeWorkRecord(const WorkRecord& record);

} // namespace ornibe
