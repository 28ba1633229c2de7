// Driver INFs read for an x64 tree: the NTamd64 models (at most NT 5.2),
// their install sections and files, and the .amd64 file lists.

#include "inf/DriverPackage.h"
#include "inf/InfReader.h"
#include "inf/SetupArchitecture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

// Models for x86, for x64 (in the case written), and for x64 of NT 6.0,
// each with its own install section, service and file; the x64 file lies
// in a folder that only [SourceDisksNames.amd64] names.
std::string infText(std::string_view amd64Decoration) {
    std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\nCatalogFile=x86.cat\r\n"
                       "CatalogFile.NTamd64=x64.cat\r\n"
                       "[SourceDisksNames]\r\n1 = disk,,,\\x86\r\n"
                       "[SourceDisksNames.amd64]\r\n1 = disk,,,\\amd64\r\n"
                       "[SourceDisksFiles]\r\ndrv32.sys = 1\r\n"
                       "[SourceDisksFiles.amd64]\r\ndrv64.sys = 1\r\n"
                       "[Manufacturer]\r\nM = Models, NTx86, ";
    text += amd64Decoration;
    text += ", NTamd64.6.0\r\n"
            "[Models.NTx86]\r\nDisk32 = Inst32, PCI\\VEN_0032\r\n"
            "[Models." +
            std::string(amd64Decoration) +
            "]\r\nDisk64 = Inst64, PCI\\VEN_0064\r\n"
            "[Models.NTamd64.6.0]\r\nVista = Inst60, PCI\\VEN_0060\r\n";
    for (const char* arch : {"32", "64", "60"}) {
        std::string a(arch);
        text += "[Inst" + a + "]\r\nCopyFiles = @drv" + a + ".sys\r\n[Inst" + a +
                ".Services]\r\nAddService = drv" + a + ", 2, Svc" + a + "\r\n[Svc" + a +
                "]\r\nServiceBinary = %12%\\drv" + a + ".sys\r\nLoadOrderGroup = SCSI Miniport\r\n";
    }
    return text;
}

TEST(X64DecorationTest, x64_tree_takes_the_ntamd64_models_their_sections_and_the_amd64_files) {
    test::TempDir dir;
    dir.write("drv/x86/drv32.sys", "32");
    dir.write("drv/amd64/drv64.sys", "64");
    dir.write("drv/x64.cat", "cat");
    dir.write("drv/x86.cat", "cat");
    for (const char* decoration : {"NTamd64", "NTAMD64", "ntamd64.5.2"}) {
        SCOPED_TRACE(decoration);
        const std::string path = dir.write("drv/d.inf", infText(decoration));
        for (WindowsVersion version : {WindowsVersion::WindowsXp, WindowsVersion::Server2003}) {
            InfReader reader(path);
            reader.setArchitecture(Architecture::Amd64);
            DriverPackage package;
            reader.ReadDriverPackage(package, version);
            EXPECT_EQ(package.serviceBinaries().size(), 1u);
            EXPECT_EQ(package.GetServiceBinary(0), "drv64.sys");
            ASSERT_EQ(package.hardwareIdToService().size(), 1u);
            EXPECT_NE(package.hardwareIdToService().find("PCI\\VEN_0064"), nullptr);
            EXPECT_NE(package.fileToTargetDir().find(dir / "drv/amd64/drv64.sys"), nullptr);
            EXPECT_EQ(package.GetCatalogFile(0), dir / "drv/x64.cat");
            EXPECT_TRUE(judgeInfArchitecture(reader, {version, Architecture::Amd64, {}}));
        }
        // The same INF for an I386 tree reads the x86 side only.
        InfReader x86(path);
        DriverPackage package;
        x86.ReadDriverPackage(package, WindowsVersion::WindowsXp);
        EXPECT_EQ(package.GetServiceBinary(0), "drv32.sys");
        EXPECT_EQ(package.serviceBinaries().size(), 1u);
        EXPECT_EQ(package.GetCatalogFile(0), dir / "drv/x86.cat");
    }
}

TEST(X64DecorationTest, inf_without_models_for_the_tree_is_judged_against_its_architecture) {
    test::TempDir dir;
    const std::string header = "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Manufacturer]\r\n";
    // Models for NT 6.0 x64 only: none for an x64 tree of NT 5.2, nor for x86.
    InfReader vistaOnly(dir.write(
        "a.inf", header + "M = Models, NTamd64.6.0\r\n[Models.NTamd64.6.0]\r\nD = I\r\n"));
    EXPECT_FALSE(infHasModelsFor(vistaOnly, {WindowsVersion::Server2003, Architecture::Amd64, {}}));
    EXPECT_TRUE(
        judgeInfArchitecture(vistaOnly, {WindowsVersion::Server2003, Architecture::Amd64, {}}));
    // Undecorated models serve x86 only.
    InfReader plain(dir.write("b.inf", header + "M = Models\r\n[Models]\r\nD = I\r\n"));
    EXPECT_TRUE(infHasModelsFor(plain, {WindowsVersion::WindowsXp, Architecture::X86, {}}));
    EXPECT_FALSE(infHasModelsFor(plain, {WindowsVersion::WindowsXp, Architecture::Amd64, {}}));
    Outcome forX64 =
        judgeInfArchitecture(plain, {WindowsVersion::WindowsXp, Architecture::Amd64, {}});
    ASSERT_FALSE(forX64);
    EXPECT_EQ(forX64.failure().headline, dir / "b.inf は x64（AMD64）のツリーには組み込めません。");
    // NTamd64 models only: refused for an I386 tree.
    InfReader x64Only(
        dir.write("c.inf", header + "M = Models, NTAMD64\r\n[Models.NTAMD64]\r\nD = I\r\n"));
    Outcome forX86 =
        judgeInfArchitecture(x64Only, {WindowsVersion::WindowsXp, Architecture::X86, {}});
    ASSERT_FALSE(forX86);
    EXPECT_EQ(forX86.failure().reason,
              "x64（NTamd64）用のモデルだけで、x86 用のモデルがありません。");
}

} // namespace
} // namespace ornibe
