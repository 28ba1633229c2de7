#pragma once

#include "support/BuildTreeTools.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace ornibe::test {

// Each end-to-end test starts in a fresh folder with the project's tools.
class E2eTest : public ::testing::Test {
protected:
    TempDir dir;
    ToolSearch tools = buildTreeTools(dir.path());
};

// The summary that the confirmation page writes, heading by heading.
struct Summary {
    std::string target;
    std::string cdDrive = "読み込みしない";
    std::string label;
    std::string servicePack;
    std::vector<std::string> devices;
    bool bigDrive = false;
    std::string workFolder;
    std::string isoPath;

    std::string text() const;
};

// The sample driver as the build handles it.
inline constexpr const char* kSampleDevice = "Ornibe Sample SCSI Controller";
// Its three files placed into I386, one log line each.
inline constexpr const char* kStagingLog = "ORSCSI.SYS をコピーしています。。。完了\r\n"
                                           "OrScsi.inf をコピーしています。。。完了\r\n"
                                           "ORSCSI.CAT をコピーしています。。。完了\r\n";
// The setup files patched, with a catalog.
inline constexpr const char* kPatchLog = "\r\nTXTSETUP.SIF を修正しています。。。完了\r\n"
                                         "DOSNET.INF を修正しています。。。完了\r\n"
                                         "SVCPACK.INF を修正しています。。。完了\r\n"
                                         "ドライバの統合が完了しました。\r\n\r\n";
// What TXTSETUP.SIF gains for the sample driver, over its end-of-file
// marker: Windows 2000 reads the undecorated models section, XP and
// Server 2003 the NTx86.5.1 one with two devices.
std::string sampleTxtsetupBlocks(bool windows2000);
inline constexpr const char* kDosnetBlock = "\r\n[OptionalSrcDirs]\r\nsvcpack\r\n";
inline constexpr const char* kSvcpackBlock = "\r\n[ProductCatalogsToInstall]\r\nORSCSI.CAT\r\n";
inline constexpr const char* kMshdcBlock =
    "\r\n[atapi_parameters_AddReg]\r\nHKR,Parameters,EnableBigLba,%REG_DWORD%,1\r\n";

// The ISO step's log: the command line, the tool's own line, done.
std::string isoLog(const std::string& label, const std::string& workFolder,
                   const std::string& isoPath, std::size_t files, std::size_t folders);

} // namespace ornibe::test
