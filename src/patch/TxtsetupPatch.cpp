#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "patch/SetupFileEditor.h"
#include "sys/CaseFold.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"

namespace ornibe {
namespace {

std::string quotedText(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

// Text as a field of a setup file that its parser reads back unchanged:
// bare when it can be, otherwise in double quotes with any double quote
// doubled. A ";" would start a comment, "=" or "," end the key, a leading
// "[" start a section, and blanks at either end would be dropped.
std::string fieldText(std::string_view text) {
    bool bare = !text.empty() && text.find_first_of(";=,\"") == std::string_view::npos &&
                text.front() != '[' && text.front() != ' ' && text.front() != '\t' &&
                text.back() != ' ' && text.back() != '\t' && text.back() != '\\';
    return bare ? std::string(text) : quotedText(text);
}

// A file is already known to text-mode setup when either file list of
// TXTSETUP.SIF names it.
bool listsFile(const InfReader& reader, std::string_view name) {
    return SetupFileEditor::HasLine(reader, "SourceDisksFiles", name) ||
           SetupFileEditor::HasLine(reader, "SourceDisksFiles.x86", name);
}

// A SourceDisksFiles line: source disk 1 (the CD), fields 2 to 7 empty, the
// WinntDirectories number the file is copied to, and no upgrade or new
// installation copy flags.
void addFileLine(std::string& lines, std::string_view name, std::string_view directory) {
    lines += fieldText(name);
    lines += " = 1,,,,,,,";
    lines += directory;
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
    InfReader reader = ReadSetupFile(SetupFilePath("TXTSETUP.SIF"));
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
        if (!listsFile(reader, name)) {
            addFileLine(files, name, directory);
        }
    }
    std::string infDirectory = FindKeyByField(reader, "WinntDirectories", 1, "inf");
    for (const std::string& infPath : package.infFiles()) {
        std::string name = utf8ToCp932(fileName(infPath));
        if (!listsFile(reader, name)) {
            addFileLine(files, name, infDirectory);
        }
    }

    for (const auto& [hardwareId, service] : package.hardwareIdToService()) {
        if (!HasLine(reader, "HardwareIdsDatabase", hardwareId)) {
            ids += fieldText(hardwareId);
            ids += " = ";
            ids += quotedText(service);
            ids += "\r\n";
        }
    }

    for (const std::string& binary : package.serviceBinaries()) {
        std::size_t dot = binary.rfind('.');
        std::string service = dot == std::string::npos ? std::string() : binary.substr(0, dot);
        if (!HasLine(reader, "SCSI.Load", service)) {
            loads += service;
            loads += " = ";
            loads += binary;
            loads += ",4\r\n";
        }
        if (!HasLine(reader, "SCSI", service)) {
            // The first description met names the service on setup's screen.
            for (const auto& [description, owner] : package.descriptionToService()) {
                if (equalsSetupNoCase(owner, service)) {
                    names += fieldText(owner);
                    names += " = ";
                    names += quotedText(description);
                    names += "\r\n";
                    break;
                }
            }
        }
    }

    std::string text;
    addSection(text, "SourceDisksFiles", files);
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
    WriteAtEofMarker(SetupFilePath("TXTSETUP.SIF"), text);
}

} // namespace ornibe
