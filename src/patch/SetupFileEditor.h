#pragma once

#include <string>

namespace ornibe {

class DriverPackage;

// The working object that the setup-file patchers share for one stage: the
// I386 folder of the work tree, its temporary folder TEMP for work copies,
// the current work copy, and for driver integration the drivers and the
// target's version code and build number.
//
// Construction creates TEMP below the I386 folder (a folder there whose
// name differs only in letter case, such as "temp", is used instead), and
// an existing TEMP is used unchanged. Destruction removes TEMP only when it
// is empty, so a work copy left behind is never lost.
class SetupFileEditor {
public:
    // For the Big Drive stage: no drivers, empty version code and build
    // number. Throws FileError when TEMP cannot be created (or a file of
    // that name stands in its way).
    explicit SetupFileEditor(std::string i386Folder);
    // For the driver stage. package must outlive the editor.
    SetupFileEditor(std::string i386Folder, const DriverPackage& package, char versionCode,
                    std::string buildNumber);
    ~SetupFileEditor();

    SetupFileEditor(const SetupFileEditor&) = delete;
    SetupFileEditor& operator=(const SetupFileEditor&) = delete;

    // The I386 folder, always ending with "/".
    const std::string& i386Folder() const { return i386Folder_; }
    // The temporary folder below it, always ending with "/".
    const std::string& tempFolder() const { return tempFolder_; }

    // The setup file being edited through a work copy, and that copy; both
    // empty until a patcher sets them.
    const std::string& sourcePath() const { return sourcePath_; }
    void setSourcePath(std::string path) { sourcePath_ = std::move(path); }
    const std::string& workCopyPath() const { return workCopyPath_; }
    void setWorkCopyPath(std::string path) { workCopyPath_ = std::move(path); }

    // The drivers to integrate; null for the Big Drive stage.
    const DriverPackage* package() const { return package_; }
    // "0", "1" or "2" (Windows 2000, XP, Server 2003); empty for Big Drive.
    const std::string& versionCode() const { return versionCode_; }
    // "2195", "2600" or "3790"; empty for Big Drive.
    const std::string& buildNumber() const { return buildNumber_; }

private:
    void makeTempFolder();

    std::string i386Folder_;
    std::string tempFolder_;
    std::string sourcePath_;
    std::string workCopyPath_;
    const DriverPackage* package_ = nullptr;
    std::string versionCode_;
    std::string buildNumber_;
};

} // namespace ornibe
