#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "patch/SetupFieldText.h"
#include "patch/SetupFileEditor.h"

#include <cstdio>
#include <unistd.h>

namespace ornibe {
namespace {

std::string flagsText(std::uint32_t flags) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", flags);
    return text;
}

// Texts are quoted, numbers (a REG_DWORD's, a REG_BINARY's bytes) bare.
bool bareData(std::uint32_t flags) {
    return flags == 0x00010001 || flags == 0x00000001;
}

} // namespace

std::string SetupFileEditor::BuildHivesysText() const {
    std::string lines;
    if (package_ == nullptr) {
        return lines;
    }
    // HIVESYS.INF fills the system hive that text-mode setup starts from:
    // its [AddReg] lines name keys from HKLM.
    for (const DriverPackage::ServiceValue& value : package_->serviceValues()) {
        std::string key = "SYSTEM\\CurrentControlSet\\Services\\" + value.service;
        if (!value.subkey.empty()) {
            key += "\\" + value.subkey;
        }
        lines += "HKLM," + quotedSetupText(key) + "," + quotedSetupText(value.name) + "," +
                 flagsText(value.flags);
        for (const std::string& data : value.data) {
            lines += "," + (bareData(value.flags) ? setupFieldText(data) : quotedSetupText(data));
        }
        lines += "\r\n";
    }
    return lines;
}

Outcome SetupFileEditor::PatchHivesys() {
    std::string lines = BuildHivesysText();
    if (lines.empty()) {
        return {};
    }
    if (Outcome prepared = PrepareWorkCopy(SetupFilePath("HIVESYS.INF")); !prepared) {
        return prepared;
    }
    // A value already written by an earlier build is not written again.
    InfReader reader = ReadSetupFile(workCopyPath_);
    std::string added;
    for (std::size_t start = 0; start < lines.size();) {
        std::size_t end = lines.find("\r\n", start);
        std::string line = lines.substr(start, end - start);
        InfReader probe = InfReader::fromBytes(
            "", "[Version]\r\nSignature=\"$Windows NT$\"\r\n[AddReg]\r\n" + line + "\r\n");
        std::optional<std::string> text =
            probe.file().findFirstLine("AddReg")
                ? probe.file().lineText(*probe.file().findFirstLine("AddReg"))
                : std::nullopt;
        if (!text || !HasLineText(reader, "AddReg", *text)) {
            added += line + "\r\n";
        }
        start = end + 2;
    }
    reader.Close();
    if (added.empty()) {
        ::unlink(workCopyPath_.c_str());
        return {};
    }
    AppendText(workCopyPath_, "\r\n[AddReg]\r\n" + added);
    return PackBack();
}

} // namespace ornibe
