#pragma once

#include "media/DriveSource.h"

#include <optional>
#include <string>
#include <vector>

namespace ornibe::test {

// Drives as a test sets them. listCount says how often the list was read;
// insertOnRead puts a disc into a drive after that many readVolume calls.
class FakeDriveSource : public DriveSource {
public:
    std::vector<CdDrive> drives;
    int listCount = 0;
    int readCount = 0;

    struct Insert {
        int afterReads = 0;
        std::string root;
        CdDrive becomes;
    };
    std::vector<Insert> inserts;

    std::vector<CdDrive> listDrives() override {
        ++listCount;
        return drives;
    }

    std::optional<CdDrive> readVolume(const std::string& root) override {
        ++readCount;
        for (const Insert& insert : inserts) {
            if (insert.root == root && readCount > insert.afterReads) {
                for (CdDrive& drive : drives) {
                    if (drive.root == root || drive.device == root) {
                        drive = insert.becomes;
                    }
                }
            }
        }
        for (const CdDrive& drive : drives) {
            if ((drive.root == root || drive.device == root) && drive.label) {
                return drive;
            }
        }
        return std::nullopt;
    }
};

} // namespace ornibe::test
