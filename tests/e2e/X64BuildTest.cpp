// Builds of a generated x64 tree (AMD64 beside I386) through ornibe-build:
// the real x64 driver INFs go into AMD64 only, and INFs of the wrong
// architecture are refused before anything changes.

#include "E2eTest.h"
#include "TreeFiles.h"

#include "inf/InfFile.h"
#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/RealFixtures.h"
#include "sys/FileIo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The files of a tree whose path begins with folder + "/".
std::map<std::string, std::string> filesUnder(const std::map<std::string, std::string>& tree,
                                              const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& [path, bytes] : tree) {
        if (path.starts_with(folder + "/")) {
            files.emplace(path, bytes);
        }
    }
    return files;
}

// The keys of a section's lines, as the INF parser reads them.
std::set<std::string> keysOf(const InfFile& file, std::string_view section) {
    std::set<std::string> keys;
    for (auto line = file.findFirstLine(section); line; line = file.findNextLine(*line)) {
        keys.insert(file.stringField(*line, 0).value_or(""));
    }
    return keys;
}

// The whole lines of a section, fields joined by commas.
std::set<std::string> linesOf(const InfFile& file, std::string_view section) {
    std::set<std::string> lines;
    for (auto line = file.findFirstLine(section); line; line = file.findNextLine(*line)) {
        lines.insert(file.lineText(*line).value_or(""));
    }
    return lines;
}

class X64BuildTest : public E2eTest {
protected:
    void SetUp() override {
        if (!requireRealFixture("x64-inf/svbus/svbus.inf") ||
            !requireRealFixture("x64-inf/virtio-2k3-viostor-amd64/viostor.inf")) {
            return;
        }
        ASSERT_TRUE(makeTree(source, "x64"));
        // The INFs as they stand, each in a folder of its own with stand-in
        // driver files and catalogs beside it.
        fs::create_directories(dir / "drv/viostor");
        fs::create_directories(dir / "drv/svbus");
        fs::copy_file(realFixture("x64-inf/virtio-2k3-viostor-amd64/viostor.inf"), viostor);
        fs::copy_file(realFixture("x64-inf/svbus/svbus.inf"), svbus);
        dir.write("drv/viostor/viostor.sys", "viostor x64 stand-in");
        dir.write("drv/viostor/viostor.cat", "viostor catalog stand-in");
        dir.write("drv/svbus/svbusx64.sys", "svbus x64 stand-in");
        dir.write("drv/svbus/svbusx86.sys", "svbus x86 stand-in");
        dir.write("drv/svbus/svbus.cat", "svbus catalog stand-in");
    }

    std::string source = dir / "x64";
    std::string work = dir / "work";
    std::string viostor = dir / "drv/viostor/viostor.inf";
    std::string svbus = dir / "drv/svbus/svbus.inf";
};

TEST_F(X64BuildTest, x64_drivers_go_into_amd64_only_and_read_back_with_the_inf_parser) {
    const auto before = readTree(source);
    CommandResult result = runBuild({"--work", work, "--source", source, "--driver", viostor,
                                     "--driver", svbus, "--no-big-drive", "--yes"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(result.output,
                HasSubstr("ornibe-build: エディション：Windows XP Professional x64 Edition SP2 "
                          "(AMD64)\n"));
    // The edition stays out of the log.
    EXPECT_THAT(result.output, Not(HasSubstr("エディション：\r")));

    const auto after = readTree(work);
    // The WOW64 files of I386 are not touched, and nothing is added there.
    EXPECT_EQ(filesUnder(after, "I386"), filesUnder(before, "I386"));
    std::set<std::string> added;
    for (const auto& [path, bytes] : after) {
        if (!before.contains(path)) {
            added.insert(path);
        }
    }
    EXPECT_EQ(added, (std::set<std::string>{"AMD64/SVCPACK/svbus.cat", "AMD64/SVCPACK/viostor.cat",
                                            "AMD64/svbus.in_", "AMD64/svbusx64.sy_",
                                            "AMD64/viostor.in_", "AMD64/viostor.sy_"}));
    EXPECT_EQ(expandCabinet(after.at("AMD64/svbusx64.sy_"), dir / "cab1").bytes,
              "svbus x64 stand-in");

    // TXTSETUP.SIF: the x64 files under SourceDisksFiles.amd64, the x64
    // services (svbusx64, never svbusx86) and their IDs.
    InfFile sif = InfFile::open(work + "/AMD64/TXTSETUP.SIF");
    ASSERT_TRUE(sif.isOpen());
    std::set<std::string> amd64Files = keysOf(sif, "SourceDisksFiles.amd64");
    for (const char* name : {"viostor.sys", "svbusx64.sys", "viostor.inf", "svbus.inf"}) {
        EXPECT_TRUE(amd64Files.contains(name)) << name;
        EXPECT_FALSE(keysOf(sif, "SourceDisksFiles").contains(name)) << name;
        EXPECT_FALSE(keysOf(sif, "SourceDisksFiles.x86").contains(name)) << name;
    }
    EXPECT_FALSE(amd64Files.contains("svbusx86.sys"));
    // The same fields as under SourceDisksFiles of an I386 tree: disk 1,
    // system32\drivers (WinntDirectories 4).
    auto viostorLine = sif.findFirstLine("SourceDisksFiles.amd64", "viostor.sys");
    ASSERT_TRUE(viostorLine);
    EXPECT_EQ(sif.lineText(*viostorLine), "1,,,,,,,4,0,0");
    std::set<std::string> loads = keysOf(sif, "SCSI.Load");
    EXPECT_TRUE(loads.contains("viostor"));
    EXPECT_TRUE(loads.contains("svbusx64"));
    EXPECT_FALSE(loads.contains("svbusx86"));
    EXPECT_TRUE(keysOf(sif, "SCSI").contains("svbusx64"));
    std::set<std::string> ids = keysOf(sif, "HardwareIdsDatabase");
    EXPECT_TRUE(ids.contains("PCI\\VEN_1AF4&DEV_1001&SUBSYS_00021AF4"));
    EXPECT_TRUE(ids.contains("ROOT\\svbusx64"));
    EXPECT_FALSE(ids.contains("ROOT\\svbusx86"));

    // DOSNET.INF lists the files in its setup folder and the catalog
    // folder; SVCPACK.INF lists the catalogs.
    InfFile dosnet = InfFile::open(work + "/AMD64/DOSNET.INF");
    std::set<std::string> dosnetFiles = linesOf(dosnet, "Files");
    for (const char* line :
         {"d1,viostor.sys", "d1,svbusx64.sys", "d1,viostor.inf", "d1,svbus.inf"}) {
        EXPECT_TRUE(dosnetFiles.contains(line)) << line;
    }
    EXPECT_TRUE(keysOf(dosnet, "OptionalSrcDirs").contains("svcpack"));
    CabinetFile svcpack = expandCabinet(after.at("AMD64/SVCPACK.IN_"), dir / "cab2");
    ASSERT_EQ(svcpack.name, "SVCPACK.INF");
    dir.write("svcpack.inf", svcpack.bytes);
    std::set<std::string> catalogs =
        keysOf(InfFile::open(dir / "svcpack.inf"), "ProductCatalogsToInstall");
    EXPECT_TRUE(catalogs.contains("viostor.cat"));
    EXPECT_TRUE(catalogs.contains("svbus.cat"));
}

TEST_F(X64BuildTest, answer_file_goes_into_amd64_and_the_summary_names_it_there) {
    CommandResult result =
        runBuild({"--work", work, "--source", source, "--unattended", "--full-name", "Tester",
                  "--organization", "Org", "--computer-name", "PC1", "--no-big-drive", "--yes"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(result.output, HasSubstr("      AMD64\\WINNT.SIF：入力した内容から作ります\n"));
    EXPECT_TRUE(fs::is_regular_file(work + "/AMD64/WINNT.SIF"));
    EXPECT_FALSE(fs::exists(work + "/I386/WINNT.SIF"));
    Result<InfFile, InfProblem> answers =
        InfFile::read(work + "/AMD64/WINNT.SIF", InfStyle::AnswerFile);
    ASSERT_TRUE(answers);
    auto name = answers->findFirstLine("UserData", "FullName");
    ASSERT_TRUE(name);
    EXPECT_EQ(answers->stringField(*name, 1), "Tester");
}

TEST_F(X64BuildTest, a_pnp_driver_brings_its_x64_files_and_an_x86_only_one_is_refused) {
    // viostor as a Plug and Play driver: its NTamd64 models and files.
    CommandResult result =
        runBuild({"--work", work, "--source", source, "--unattended", "--full-name", "Tester",
                  "--pnp-driver", viostor, "--pnp-driver", svbus, "--no-big-drive", "--yes"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    const auto after = readTree(work);
    EXPECT_EQ(after.at("$OEM$/$1/Drivers/002/svbusx64.sys"), "svbus x64 stand-in");
    EXPECT_EQ(after.at("$OEM$/$1/Drivers/001/viostor.sys"), "viostor x64 stand-in");
    Result<InfFile, InfProblem> answers =
        InfFile::read(work + "/AMD64/WINNT.SIF", InfStyle::AnswerFile);
    ASSERT_TRUE(answers);
    auto path = answers->findFirstLine("Unattended", "OemPnPDriversPath");
    ASSERT_TRUE(path);
    EXPECT_EQ(answers->stringField(*path, 1), "Drivers\\001;Drivers\\002");

    // An INF with x86 models only is refused for the x64 tree.
    const std::string x86Only = dir.write("pnp86/net86.inf", "[Version]\r\n"
                                                             "Signature=\"$Windows NT$\"\r\n"
                                                             "Class=Net\r\n"
                                                             "[Manufacturer]\r\n"
                                                             "M = Models, NTx86\r\n"
                                                             "[Models.NTx86]\r\n"
                                                             "Nic = Inst, PCI\\VEN_1111\r\n"
                                                             "[Inst]\r\n");
    expectRefusedLeavingAsItWas(dir.path(),
                                {{{"--work", work, "--source", source, "--unattended",
                                   "--full-name", "Tester", "--pnp-driver", x86Only, "--yes"},
                                  x86Only + " は x64（AMD64）のツリーには組み込めません。"}});

    // The x64 files are the ones whose names must fit the image.
    const std::string longName = "ornibe-x64-sample-storage-miniport.sys";
    const std::string longInf = dir.write("pnplong/long.inf", "[Version]\r\n"
                                                              "Signature=\"$Windows NT$\"\r\n"
                                                              "Class=SCSIAdapter\r\n"
                                                              "[Manufacturer]\r\n"
                                                              "M = Models, NTamd64\r\n"
                                                              "[Models.NTamd64]\r\n"
                                                              "Disk = Inst, PCI\\VEN_1AF4\r\n"
                                                              "[Inst.NTamd64]\r\n"
                                                              "CopyFiles = Files\r\n"
                                                              "[Files]\r\n" +
                                                                  longName +
                                                                  "\r\n"
                                                                  "[SourceDisksNames]\r\n"
                                                                  "1 = \"Disk\",,,\r\n"
                                                                  "[SourceDisksFiles.amd64]\r\n" +
                                                                  longName + " = 1\r\n");
    dir.write("pnplong/" + longName, "x64 stand-in with a long name");
    expectRefusedLeavingAsItWas(
        dir.path(), {{{"--work", work, "--source", source, "--unattended", "--full-name", "Tester",
                       "--pnp-driver", longInf, "--iso", dir / "out.iso", "--yes"},
                      "ドライバのファイル " + dir / "pnplong/" + longName + " は使えません。"}});
}

TEST_F(X64BuildTest, inf_of_the_other_architecture_is_refused_before_anything_changes) {
    ASSERT_TRUE(makeDriver(dir / "sample"));
    ASSERT_TRUE(makeTree(dir / "xp", "xp"));
    // x86 models only, with a driver file that is there.
    const std::string x86Only = dir.write("x86/x86only.inf", "[Version]\r\n"
                                                             "Signature=\"$Windows NT$\"\r\n"
                                                             "[Manufacturer]\r\n"
                                                             "M = Models, NTx86\r\n"
                                                             "[Models.NTx86]\r\n"
                                                             "Disk = Inst, PCI\\VEN_1111\r\n"
                                                             "[Inst]\r\n"
                                                             "CopyFiles = @x86only.sys\r\n"
                                                             "[Inst.Services]\r\n"
                                                             "AddService = x86only, 2, Svc\r\n"
                                                             "[Svc]\r\n"
                                                             "ServiceBinary = %12%\\x86only.sys\r\n"
                                                             "LoadOrderGroup = SCSI Miniport\r\n");
    dir.write("x86/x86only.sys", "x86 stand-in");
    expectRefusedLeavingAsItWas(
        dir.path(),
        {{{"--work", work, "--source", source, "--driver", x86Only, "--yes"},
          x86Only + " は x64（AMD64）のツリーには組み込めません。\n"
                    "x86 用のモデルだけで、NTamd64 のモデルがありません。"},
         // The sample's NTamd64 models lead to an install section without
         // a miniport service: the x64 tree reads that one, not the x86
         // one, and the refusal says that the service is for x86 only.
         {{"--work", work, "--source", source, "--driver", dir / "sample/OrScsi.inf", "--yes"},
          dir / "sample/OrScsi.inf" +
              " は x64（AMD64）のツリーには組み込めません。\n"
              "NTamd64 のモデルのインストール セクションに SCSI Miniport のサービスがありません。"
              "サービスがあるのは NTx86 のモデルだけです。"},
         {{"--work", work, "--source", dir / "xp", "--driver", viostor, "--yes"},
          viostor + " は x86（I386）のツリーには組み込めません。\n"
                    "x64（NTamd64）用のモデルだけで、x86 用のモデルがありません。"}});
    EXPECT_FALSE(fs::exists(work));
    // The INF of both architectures passes for either tree, each taking
    // its own models.
    CommandResult xp = runBuild({"--work", dir / "xp", "--driver", svbus, "--no-big-drive"});
    ASSERT_EQ(xp.exitCode, 0) << xp.output;
    InfFile sif = InfFile::open(dir / "xp/I386/TXTSETUP.SIF");
    EXPECT_TRUE(keysOf(sif, "SCSI.Load").contains("svbusx86"));
    EXPECT_FALSE(keysOf(sif, "SCSI.Load").contains("svbusx64"));
    EXPECT_THAT(xp.output,
                HasSubstr("ornibe-build: エディション：Windows XP Professional SP2 (x86)\n"));
}

} // namespace
} // namespace ornibe::test
