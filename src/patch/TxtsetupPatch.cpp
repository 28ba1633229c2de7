#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "patch/SetupFieldText.h"
#include "patch/SetupFileEditor.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"

namespace ornibe {
namespace {

// A field that may be empty stays empty: an empty text has no separator.
std::string optionalFieldText(std::string_view text) {
    return text.empty() ? std::string() : setupFieldText(text);
}

// A file is already known to text-mode setup when the common file list of
// TXTSETUP.SIF or the list of the tree's architecture names it. (An x64
// tree's SourceDisksFiles.x86 lists the 32-bit WOW64 files of I386, which
// are other files of the same names.)
bool listsFile(const InfReader& reader, std::string_view name, Architecture architecture) {
    return SetupFileEditor::HasLine(reader, "SourceDisksFiles", name) ||
           SetupFileEditor::HasLine(reader, txtsetupFilesSection(architecture), name);
}

// A SourceDisksFiles line: source disk 1 (the CD), fields 2 to 7 empty, the
// WinntDirectories number the file is copied to, and no upgrade or new
// installation copy flags.
void addFileLine(std::string& lines, std::string_view name, std::string_view directory) {
    lines += setupFieldText(name);
    lines += " = 1,,,,,,,";
    lines += optionalFieldText(directory);
    lines += ",0,0\r\n";
}

void addSection(std::string& text, std::string_view section, const std::string& lines) {
    if (lines.empty()) {
        return;
    }
    text += "\r\n[";
    text += section;
    text += "]\r\n";
    text += lines;
}

} // namespace

std::string SetupFileEditor::BuildTxtsetupText() const {
    if (package_ == nullptr) {
        return {};
    }
    const DriverPackage& package = *package_;
    // The duplicate tests ask the file as it was before this step.
    InfReader reader = readSetupFile(setupFilePath("TXTSETUP.SIF"));
    std::string files;
    std::string ids;
    std::string loads;
    std::string names;

    // WinntDirectories maps directory numbers to folders below the Windows
    // folder; a folder it does not list falls back to the Windows folder.
    for (const auto& [sourcePath, targetFolder] : package.fileToTargetDir()) {
        std::string name = utf8ToCp932(fileName(sourcePath));
        std::string directory = FindKeyByField(reader, "WinntDirectories", 1, targetFolder);
        if (directory.empty()) {
            directory = FindKeyByField(reader, "WinntDirectories", 1, "\\");
        }
        if (!listsFile(reader, name, target_.architecture)) {
            addFileLine(files, name, directory);
        }
    }
    std::string infDirectory = FindKeyByField(reader, "WinntDirectories", 1, "inf");
    for (const std::string& infPath : package.infFiles()) {
        std::string name = utf8ToCp932(fileName(infPath));
        if (!listsFile(reader, name, target_.architecture)) {
            addFileLine(files, name, infDirectory);
        }
    }

    for (const auto& [hardwareId, service] : package.hardwareIdToService()) {
        if (!HasLine(reader, "HardwareIdsDatabase", hardwareId)) {
            ids += setupFieldText(hardwareId);
            ids += " = ";
            ids += quotedSetupText(service);
            ids += "\r\n";
        }
    }

    for (const std::string& binary : package.serviceBinaries()) {
        std::size_t dot = binary.rfind('.');
        std::string service = dot == std::string::npos ? std::string() : binary.substr(0, dot);
        if (!HasLine(reader, "SCSI.Load", service)) {
            loads += optionalFieldText(service);
            loads += " = ";
            loads += setupFieldText(binary);
            loads += ",4\r\n";
        }
        if (!HasLine(reader, "SCSI", service)) {
            // The first description met names the service on setup's screen.
            for (const auto& [description, owner] : package.descriptionToService()) {
                if (equalsSetupNoCase(owner, service)) {
                    names += setupFieldText(owner);
                    names += " = ";
                    names += quotedSetupText(description);
                    names += "\r\n";
                    break;
                }
            }
        }
    }

    std::string text;
    // An x64 tree's setup takes the files of its own architecture from
    // SourceDisksFiles.amd64, with the same fields.
    addSection(text,
               target_.architecture == Architecture::Amd64
                   ? txtsetupFilesSection(target_.architecture)
                   : std::string_view("SourceDisksFiles"),
               files);
    addSection(text, "HardwareIdsDatabase", ids);
    addSection(text, "SCSI.Load", loads);
    addSection(text, "SCSI", names);
    return text;
}

void SetupFileEditor::IntegrateTxtsetup() {
    std::string text = BuildTxtsetupText();
    if (text.empty()) {
        return;
    }
    WriteAtEofMarker(setupFilePath("TXTSETUP.SIF"), text);
}

} // namespace ornibe
