#include "inf/InfReader.h"
#include "patch/SetupFileEditor.h"

namespace ornibe {

bool SetupFileEditor::DosnetHasSvcpack() const {
    InfReader reader = ReadSetupFile(SetupFilePath("DOSNET.INF"));
    // A line holding one value is found under that value as its key.
    return HasLine(reader, "OptionalSrcDirs", "svcpack");
}

void SetupFileEditor::PatchDosnet() {
    // Setup copies the folders of OptionalSrcDirs from the CD along with
    // I386, so the catalogs in I386/SVCPACK reach the installation.
    if (DosnetHasSvcpack()) {
        return;
    }
    AppendText(SetupFilePath("DOSNET.INF"), "\r\n[OptionalSrcDirs]\r\nsvcpack\r\n");
}

} // namespace ornibe
