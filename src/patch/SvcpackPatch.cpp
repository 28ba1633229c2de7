#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "patch/SetupFieldText.h"
#include "patch/SetupFileEditor.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/TextEncoding.h"

#include <unistd.h>

namespace ornibe {
namespace {

std::string catalogName(const std::string& path) {
    return utf8ToCp932(fileName(path));
}

} // namespace

bool SetupFileEditor::CollectCatalogLines(std::string& lines) const {
    InfReader reader = readSetupFile(workCopyPath_);
    bool opened = reader.file().isOpen();
    bool usable = opened && (HasLine(reader, "ProductCatalogsToInstall") ||
                             HasLine(reader, "SetupHotfixesToRun"));
    if (package_ != nullptr) {
        for (const std::string& catalog : package_->allCatalogFiles()) {
            std::string name = catalogName(catalog);
            if (!usable || !HasLine(reader, "ProductCatalogsToInstall", name)) {
                lines += setupFieldText(name);
                lines += "\r\n";
            }
        }
    }
    reader.Close();
    return usable;
}

std::string SetupFileEditor::svcpackTemplate(std::string_view catalogLines) const {
    std::string text = "[Version]\r\n"
                       "Signature=\"$Windows NT$\"\r\n"
                       "MajorVersion=5\r\n"
                       "MinorVersion=";
    // Every x64 system of the family is 5.2, XP x64 as well.
    const bool amd64 = target_.architecture == Architecture::Amd64;
    text += amd64 ? '2' : versionDigit(target_.version);
    text += "\r\nBuildNumber=";
    text += target_.buildNumber;
    text += "\r\n[SetupData]\r\n";
    text +=
        amd64 ? "CatalogSubDir=\"\\amd64\\svcpack\"\r\n" : "CatalogSubDir=\"\\i386\\svcpack\"\r\n";
    text += "[ProductCatalogsToInstall]\r\n";
    text += catalogLines;
    return text;
}

Outcome SetupFileEditor::PatchSvcpack() {
    if (Outcome prepared = PrepareWorkCopy(setupFilePath("SVCPACK.INF")); !prepared) {
        return prepared;
    }
    std::string lines;
    if (CollectCatalogLines(lines)) {
        if (lines.empty()) {
            // Every catalog is listed already: I386 stays as it was.
            ::unlink(workCopyPath_.c_str());
            return {};
        }
        AppendText(workCopyPath_, "\r\n[ProductCatalogsToInstall]\r\n" + lines);
    } else {
        // Not a usable SVCPACK.INF: a new one takes its place.
        std::string content;
        WriteText(content, false, svcpackTemplate(lines));
        writeFileAtomic(workCopyPath_, content);
    }
    return PackBack();
}

} // namespace ornibe
