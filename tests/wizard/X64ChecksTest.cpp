// The checks of x64 media: the source tree (AMD64 taken, IA64 refused) and
// the Service Pack against the tree's architecture: the x64 tree takes only
// a 64-bit (PE32+) x64 installer and Wine's 64-bit part, the I386 tree only
// a 32-bit x86 one.

#include "wizard/ServicePackCheck.h"

#include "source/Medium.h"
#include "support/TempDir.h"
#include "support/TestEnvironment.h"
#include "sys/WindowsProgram.h"
#include "wizard/SourceTreeCheck.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ornibe {
namespace {

using test::TempDir;

// A PE program with the machine type and the optional header's magic
// (0x10B PE32, 0x20B PE32+).
std::string writeProgram(const TempDir& dir, std::string_view name, std::uint16_t machine,
                         std::uint16_t magic) {
    std::string bytes(0x80, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x3C] = 0x40;
    bytes.replace(0x40, 4, std::string("PE\0\0", 4));
    bytes[0x44] = static_cast<char>(machine & 0xFF);
    bytes[0x45] = static_cast<char>(machine >> 8);
    bytes[0x58] = static_cast<char>(magic & 0xFF);
    bytes[0x59] = static_cast<char>(magic >> 8);
    return dir.write(name, bytes);
}

class X64ServicePackCheckTest : public ::testing::Test {
protected:
    TempDir dir;
    ToolSearch tools = test::toolSearch(dir.mkdir("tools"), dir.path(),
                                        test::hostEnvironment().with("PATH", dir.mkdir("empty")));
};

TEST_F(X64ServicePackCheckTest, pe32_plus_is_told_from_pe32_by_its_optional_header) {
    EXPECT_TRUE(isPe32Plus(writeProgram(dir, "a.exe", kMachineAmd64, 0x20B)));
    EXPECT_FALSE(isPe32Plus(writeProgram(dir, "b.exe", kMachineAmd64, 0x10B)));
    EXPECT_FALSE(isPe32Plus(writeProgram(dir, "c.exe", kMachineI386, 0x10B)));
    EXPECT_FALSE(isPe32Plus(dir.write("d.exe", "MZ")));
    EXPECT_FALSE(isPe32Plus(dir / "missing.exe"));
}

TEST_F(X64ServicePackCheckTest, installer_of_the_other_architecture_or_without_wine64_is_refused) {
    const std::string x64 = writeProgram(dir, "sp/x64.exe", kMachineAmd64, 0x20B);
    const std::string x86 = writeProgram(dir, "sp/x86.exe", kMachineI386, 0x10B);
    const std::string cannotRun = " を実行できません。\n";
    auto message = [](const Outcome& outcome) {
        return outcome ? std::string("passed")
                       : outcome.failure().headline + "\n" + outcome.failure().reason;
    };

    // A 32-bit installer for the x64 tree.
    EXPECT_EQ(message(validateServicePack(x86, tools, Architecture::Amd64)),
              x86 + cannotRun +
                  "x64（64 ビット）用のプログラムではありません（マシン種別 0x014C）。\n"
                  "x64 の CD には x64 用の Service Pack（例: "
                  "WindowsServer2003.WindowsXP-KB914961-SP2-x64-JPN.exe）を選んでください。");
    // An x64 machine type in a PE32 file is no 64-bit program either.
    const std::string pe32 = writeProgram(dir, "sp/pe32.exe", kMachineAmd64, 0x10B);
    EXPECT_NE(message(validateServicePack(pe32, tools, Architecture::Amd64)), "passed");
    // The x64 installer without wine64 where programs are found.
    EXPECT_EQ(message(validateServicePack(x64, tools, Architecture::Amd64)),
              x64 + cannotRun +
                  "64 ビットの Windows のプログラムを実行するには Wine の 64 ビット版（wine64）"
                  "が必要です。\nDebian では次のコマンドでインストールできます：\n"
                  "sudo apt-get install wine wine64");
    // With wine64 it passes; for the I386 tree it is refused as before.
    dir.write("tools/wine64", "#!/bin/sh\n");
    ::chmod((dir / "tools/wine64").c_str(), 0755);
    EXPECT_EQ(message(validateServicePack(x64, tools, Architecture::Amd64)), "passed");
    EXPECT_EQ(message(validateServicePack(x64, tools, Architecture::X86)),
              x64 + cannotRun +
                  "x86（32 ビット）用のプログラムではありません（マシン種別 0x8664）。");
}

TEST_F(X64ServicePackCheckTest, amd64_source_passes_and_itanium_source_is_refused_as_such) {
    dir.write("x64/AMD64/txtsetup.sif", "[Version]\r\n");
    dir.write("x64/I386/WKERNEL.DL_", "wow64");
    EXPECT_TRUE(validateSetupSource(*Medium::open(dir / "x64")));
    dir.write("ia64/IA64/TXTSETUP.SIF", "[Version]\r\n");
    Outcome itanium = validateSetupSource(*Medium::open(dir / "ia64"));
    ASSERT_FALSE(itanium);
    EXPECT_EQ(itanium.failure().headline,
              dir / "ia64" + " は Itanium（IA64）用の Windows の CD です。");
    EXPECT_EQ(itanium.failure().reason,
              "IA64 の CD には対応していません（対応するのは I386 と AMD64 の CD です）。");
}

} // namespace
} // namespace ornibe
