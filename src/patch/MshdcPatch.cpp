#include "inf/InfReader.h"
#include "patch/SetupFileEditor.h"

#include <unistd.h>

namespace ornibe {
namespace {

constexpr std::string_view kSection = "atapi_parameters_AddReg";
// The AddReg line that makes the ATAPI driver use 48-bit LBA: value
// EnableBigLba, a REG_DWORD (type flags 0x00010001) of 1, under the
// Parameters subkey of the driver's own key.
constexpr std::string_view kAppended =
    "\r\n[atapi_parameters_AddReg]\r\nHKR,Parameters,EnableBigLba,%REG_DWORD%,1\r\n";
constexpr std::string_view kLineRead = "HKR,Parameters,EnableBigLba,0x00010001,1";
constexpr std::string_view kLineWritten = "HKR,Parameters,EnableBigLba,%REG_DWORD%,1";

} // namespace

std::string SetupFileEditor::BuildMshdcText() const {
    InfReader reader = readSetupFile(workCopyPath_);
    // The parser replaces %REG_DWORD% from the Strings section. A file that
    // does not define it reads the line back as written, so that form counts
    // as well; otherwise every build would add the line again.
    bool present =
        HasLineText(reader, kSection, kLineRead) || HasLineText(reader, kSection, kLineWritten);
    reader.Close();
    return present ? std::string() : std::string(kAppended);
}

Outcome SetupFileEditor::PatchMshdc() {
    if (Outcome prepared = PrepareWorkCopy(setupFilePath("MSHDC.INF")); !prepared) {
        return prepared;
    }
    std::string text = BuildMshdcText();
    if (text.empty()) {
        ::unlink(workCopyPath_.c_str());
        return {};
    }
    AppendText(workCopyPath_, text);
    return PackBack();
}

} // namespace ornibe
