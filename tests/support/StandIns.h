#pragma once

#include "support/CommandRun.h"
#include "support/Samples.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

namespace ornibe::test {

// The stand-in Windows drivers and CD modules that tests/standin builds
// with mingw-w64: X86/ORCLEAN.SYS, X86/cd/NTOSKRNL.EXE and the like. Empty
// when the build found no mingw-w64.
inline const std::string kStandIns = ORNIBE_STANDIN_DIR;

inline std::string standIn(std::string_view relative) {
    return kStandIns + "/" + std::string(relative);
}

// Skips the running test, naming what is missing, when the stand-ins were
// not built; call it as `if (!haveStandIns()) GTEST_SKIP() << ...` does,
// from SetUp() or a test's start.
#define ORNIBE_REQUIRE_STAND_INS()                                                                 \
    if (::ornibe::test::kStandIns.empty())                                                         \
    GTEST_SKIP() << "the mingw-w64 cross compilers (Debian package mingw-w64) were not found "     \
                    "when the build was configured"

// Copies the sample XP tree to dir/name and gives it the CD's modules the
// load check reads: the stand-in kernel (kernel's bytes), HAL and
// SCSIPORT.SYS, in cabinets as a CD holds them and listed in
// [SourceDisksFiles]. The CD's own miniport SMPIDE.SYS, loaded by
// [SCSI.Load], becomes a stand-in that imports SCSIPORT.SYS, so that text
// mode loads it too. The plain modules are written to dir/modules.
inline void makeStandInCd(TempDir& dir, const std::string& name, const std::string& kernel) {
    const std::string cd = dir / name;
    std::filesystem::copy(kSampleTree, cd, std::filesystem::copy_options::recursive);
    std::string sif = slurp(cd + "/I386/TXTSETUP.SIF");
    const std::string section = "[SourceDisksFiles]\r\n";
    sif.insert(sif.find(section) + section.size(),
               "ntoskrnl.exe = 1,,,,,,,2,0,0\r\nhal.dll = 1,,,,,,,2,0,0\r\n"
               "scsiport.sys = 1,,,,,,4_,4,1,,,1,4\r\n");
    dir.write(name + "/I386/TXTSETUP.SIF", sif);
    std::filesystem::remove(cd + "/I386/SMPIDE.SY_");
    for (const auto& [module, bytes] : {std::pair<std::string, std::string>{"NTOSKRNL.EXE", kernel},
                                        {"HAL.DLL", slurp(standIn("X86/cd/HAL.DLL"))},
                                        {"SCSIPORT.SYS", slurp(standIn("X86/cd/SCSIPORT.SYS"))},
                                        {"SMPIDE.SYS", slurp(standIn("X86/ORCLEAN.SYS"))}}) {
        const std::string plain = dir.write("modules/" + module, bytes);
        ASSERT_EQ(runCommand({builtTool("makecab"), "/L", cd + "/I386", plain}).exitCode, 0);
    }
}

} // namespace ornibe::test
