#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "patch/SetupFieldText.h"
#include "patch/SetupFileEditor.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"

namespace ornibe {
namespace {

// The [Files] lines that an x64 tree's DOSNET.INF lacks for the package:
// one per driver file and INF, in the folder that [Directories] names
// "\" (the setup folder itself), under the plain names Setup looks for.
std::string dosnetFileLines(const InfReader& reader, const DriverPackage& package) {
    std::string directory = SetupFileEditor::FindKeyByField(reader, "Directories", 1, "\\");
    if (directory.empty()) {
        directory = "d1";
    }
    std::vector<std::string> names;
    for (const auto& [sourcePath, targetFolder] : package.fileToTargetDir()) {
        names.push_back(utf8ToCp932(fileName(sourcePath)));
    }
    for (const std::string& infPath : package.infFiles()) {
        names.push_back(utf8ToCp932(fileName(infPath)));
    }
    std::string lines;
    for (const std::string& name : names) {
        std::string line = directory + "," + setupFieldText(name);
        if (!SetupFileEditor::HasLineText(reader, "Files", line)) {
            lines += line + "\r\n";
        }
    }
    return lines;
}

} // namespace

bool SetupFileEditor::DosnetHasSvcpack() const {
    InfReader reader = readSetupFile(setupFilePath("DOSNET.INF"));
    // A line holding one value is found under that value as its key.
    return HasLine(reader, "OptionalSrcDirs", "svcpack");
}

void SetupFileEditor::PatchDosnet() {
    std::string text;
    // Setup copies the folders of OptionalSrcDirs from the CD along with
    // the setup folder, so the catalogs in its SVCPACK reach the
    // installation. An x64 tree is patched without catalogs as well, for
    // its file list: the folder is named only when there are catalogs.
    const bool amd64 = target_.architecture == Architecture::Amd64;
    const bool catalogs = package_ != nullptr && package_->allCatalogFiles().size() != 0;
    if ((!amd64 || catalogs) && !DosnetHasSvcpack()) {
        text += "\r\n[OptionalSrcDirs]\r\nsvcpack\r\n";
    }
    if (amd64 && package_ != nullptr) {
        InfReader reader = readSetupFile(setupFilePath("DOSNET.INF"));
        if (std::string lines = dosnetFileLines(reader, *package_); !lines.empty()) {
            text += "\r\n[Files]\r\n" + lines;
        }
    }
    if (!text.empty()) {
        AppendText(setupFilePath("DOSNET.INF"), text);
    }
}

} // namespace ornibe
