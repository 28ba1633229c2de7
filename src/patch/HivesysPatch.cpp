#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "patch/SetupFieldText.h"
#include "patch/SetupFileEditor.h"
#include "sys/CaseLookup.h"
#include "sys/FileIo.h"
#include "sys/HostPath.h"
#include "sys/Translation.h"

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

std::string SetupFileEditor::buildHivesysText() const {
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

namespace {

// The lines of lines that the file does not hold yet: a value already
// written by an earlier build is not written again.
std::string linesNotIn(const InfReader& reader, const std::string& lines) {
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
        if (!text || !SetupFileEditor::HasLineText(reader, "AddReg", *text)) {
            added += line + "\r\n";
        }
        start = end + 2;
    }
    return added;
}

} // namespace

Outcome SetupFileEditor::patchHivesys() {
    std::string lines = buildHivesysText();
    if (lines.empty()) {
        return {};
    }
    // The file keeps the form the CD has: a plain HIVESYS.INF is edited in
    // place in its own encoding (UTF-16LE with its BOM too), a compressed
    // one through a work copy.
    if (std::optional<std::string> plain = findFileNoCase(i386Folder_, "HIVESYS.INF");
        plain && !IsCabinet(*plain)) {
        refuseLink("open", *plain);
        if (isReadOnly(*plain)) {
            return Failure{"replace", *plain, translated("読み取り専用なので置き換えられません。")};
        }
        InfReader reader = readSetupFile(*plain);
        std::string added = linesNotIn(reader, lines);
        reader.Close();
        if (!added.empty()) {
            AppendText(*plain, "\r\n[AddReg]\r\n" + added);
        }
        return {};
    }
    if (Outcome prepared = PrepareWorkCopy(setupFilePath("HIVESYS.INF")); !prepared) {
        return prepared;
    }
    InfReader reader = readSetupFile(workCopyPath_);
    std::string added = linesNotIn(reader, lines);
    reader.Close();
    if (added.empty()) {
        ::unlink(workCopyPath_.c_str());
        return {};
    }
    AppendText(workCopyPath_, "\r\n[AddReg]\r\n" + added);
    return PackBack();
}

} // namespace ornibe
