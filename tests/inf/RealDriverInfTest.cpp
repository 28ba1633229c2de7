// Driver INF files of real mass-storage drivers, read where they stand.
#include "InfQuery.h"
#include "support/RealFixtures.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <sstream>
#include <string>
#include <vector>

namespace ornibe {
namespace {

const std::string kDrivers = test::realFixture("drivers");

class RealDriverInf : public ::testing::Test {
protected:
    void SetUp() override { test::requireRealFixture("drivers"); }
};

// What infquery package prints, in two parts: the package's entries, and
// the "models" lines that follow them.
struct Printed {
    std::string package;
    std::string models;
};

Printed query(const std::string& relative, char digit) {
    std::ostringstream out;
    std::ostringstream err;
    int status =
        runInfQuery({kDrivers + "/" + relative, "package", std::string(1, digit)}, out, err);
    EXPECT_EQ(status, 0) << err.str();
    std::string text = out.str();
    std::size_t models = text.starts_with("models\t") ? 0 : text.find("\nmodels\t");
    if (models == std::string::npos)
        return {text, ""};
    if (models > 0)
        ++models;
    return {text.substr(0, models), text.substr(models)};
}

std::string package(const std::string& relative, char digit) {
    return query(relative, digit).package;
}

std::string folder(const std::string& name) {
    return kDrivers + "/" + name + "/";
}

TEST_F(RealDriverInf, every_driver_inf_opens_and_ends_its_package_with_itself) {
    int seen = 0;
    std::unique_ptr<DIR, int (*)(DIR*)> drivers(opendir(kDrivers.c_str()), closedir);
    ASSERT_TRUE(drivers);
    while (dirent* vendor = readdir(drivers.get())) {
        std::string name = vendor->d_name;
        if (name == "." || name == "..")
            continue;
        std::unique_ptr<DIR, int (*)(DIR*)> files(opendir((kDrivers + "/" + name).c_str()),
                                                  closedir);
        ASSERT_TRUE(files);
        while (dirent* file = readdir(files.get())) {
            std::string inf = file->d_name;
            if (inf == "." || inf == "..")
                continue;
            std::string path = kDrivers + "/" + name + "/" + inf;
            std::ostringstream out;
            std::ostringstream err;
            EXPECT_EQ(runInfQuery({path, "open"}, out, err), 0);
            EXPECT_EQ(out.str(), "1\n") << path;
            for (char code : {'0', '1', '2'}) {
                std::string printed = package(name + "/" + inf, code);
                EXPECT_TRUE(printed.ends_with("inf\t" + path + "\n")) << path << code;
            }
            ++seen;
        }
    }
    EXPECT_GE(seen, 13);
}

TEST_F(RealDriverInf, virtio_utf8_inf_with_byte_order_mark) {
    // Manufacturer "RHEL,NTx86,NTamd64"; the list section goes to DIRID 12
    // although DefaultDestDir is 10; SourceDisksNames has an empty quoted
    // path; LoadOrderGroup is written "SCSI miniport".
    std::string f = folder("virtio-viostor-xp");
    std::string expected = "catalog\t" + f +
                           "viostor.cat\n"
                           "binary\tviostor.sys\n"
                           "hwid\tPCI\\VEN_1AF4&DEV_1001&SUBSYS_00000000\tviostor\n"
                           "hwid\tPCI\\VEN_1AF4&DEV_1001&SUBSYS_00020000\tviostor\n"
                           "hwid\tPCI\\VEN_1AF4&DEV_1001&SUBSYS_00021AF4\tviostor\n"
                           "desc\tRed Hat VirtIO SCSI controller\tviostor\n"
                           "file\t" +
                           f +
                           "viostor.sys\tsystem32\\drivers\n"
                           "inf\t" +
                           f + "wxp.inf\n";
    EXPECT_EQ(package("virtio-viostor-xp/wxp.inf", '1'), expected);
    EXPECT_EQ(package("virtio-viostor-xp/wxp.inf", '0'), expected);
}

TEST_F(RealDriverInf, acard_reads_the_undecorated_models_and_the_x86_disk_folder) {
    // "ACARD,NTamd64": no x86 decoration, so the undecorated [ACARD]; the
    // file comes from SourceDisksNames.x86 "0=...,,,\x86".
    std::string f = folder("acard-aec671x");
    std::string ids;
    for (const char* dev : {"8002", "8010", "8020", "8030", "8040"})
        ids += std::string("hwid\tPCI\\VEN_1191&DEV_") + dev + "\taec671x\n";
    EXPECT_EQ(package("acard-aec671x/AEC671X.INF", '1'),
              "catalog\t" + f +
                  "aec671x.cat\n"
                  "binary\taec671x.sys\n" +
                  ids +
                  "desc\tACARD AEC-671X PCI Ultra/W SCSI-3 Controller\taec671x\n"
                  "file\t" +
                  f +
                  "x86/aec671x.sys\tsystem32\\drivers\n"
                  "inf\t" +
                  f + "AEC671X.INF\n");
}

TEST_F(RealDriverInf, toshiba_disk_path_ending_in_backslash_continues_into_an_empty_line) {
    std::string f = folder("toshiba-kr10n");
    std::string expected = "catalog\t" + f +
                           "KR10N.cat\n"
                           "binary\tKR10N.sys\n"
                           "hwid\tPCI\\VEN_8086&DEV_2653&SUBSYS_0F101179\tKR10N\n"
                           "hwid\tPCI\\VEN_8086&DEV_27C5&SUBSYS_0F101179\tKR10N\n"
                           "desc\tTOSHIBA RAID\tKR10N\n"
                           "file\t" +
                           f +
                           "KR10N.sys\tsystem32\\drivers\n"
                           "inf\t" +
                           f + "KR10N.INF\n";
    EXPECT_EQ(package("toshiba-kr10n/KR10N.INF", '0'), expected);
    EXPECT_EQ(package("toshiba-kr10n/KR10N.INF", '1'), expected);
}

TEST_F(RealDriverInf, ibm_workstation_models_section_is_empty_on_xp) {
    // "IBM,NTx86.5.1.0x1" names an empty models section: XP reads no device,
    // Windows 2000 reads the undecorated [IBM] with its co-installer.
    std::string f = folder("ibm-ipsraidn");
    Printed xp = query("ibm-ipsraidn/ipsraidn.inf", '1');
    EXPECT_EQ(xp.package, "catalog\t" + f + "ipsraid2.cat\ninf\t" + f + "ipsraidn.inf\n");
    EXPECT_EQ(xp.models, "models\tIBM Corporation\tIBM.NTx86.5.1.0x1\n");
    EXPECT_EQ(query("ibm-ipsraidn/ipsraidn.inf", '0').models, "models\tIBM Corporation\tIBM\n");
    std::string w2k = package("ibm-ipsraidn/ipsraidn.inf", '0');
    EXPECT_NE(w2k.find("binary\tipsraidn.sys\n"), std::string::npos);
    EXPECT_NE(w2k.find("desc\tIBM ServeRAID 4H Controller\tipsraidn\n"), std::string::npos);
    EXPECT_NE(w2k.find("file\t" + f + "nfrdci04.dll\tsystem32\n"), std::string::npos);
}

TEST_F(RealDriverInf, via_miniide_has_no_miniport_but_its_files_are_collected) {
    std::string f = folder("via-vminiide");
    std::string printed = package("via-vminiide/vminiide.inf", '1');
    EXPECT_EQ(printed.find("binary\t"), std::string::npos);
    EXPECT_EQ(printed.find("hwid\t"), std::string::npos);
    EXPECT_NE(printed.find("desc\tVIA Serial ATA Controller - 3149\t\n"), std::string::npos);
    EXPECT_NE(printed.find("file\t" + f + "videX32.sys\tsystem32\\drivers\n"), std::string::npos);
    // CatalogFile.ntamd64 is not among the decorations tried.
    EXPECT_NE(printed.find("catalog\t" + f + "videx32.cat\n"), std::string::npos);
}

TEST_F(RealDriverInf, legacy_inf_without_manufacturer_adds_only_itself) {
    std::string f = folder("arsenal-phdskmnt");
    EXPECT_EQ(package("arsenal-phdskmnt/legacy.inf", '1'), "inf\t" + f + "legacy.inf\n");
}

TEST_F(RealDriverInf, areca_copy_inf_resolves_to_the_companion_inf_on_the_medium) {
    std::string f = folder("areca-arcm_x86");
    std::string printed = package("areca-arcm_x86/ARCM_X86.inf", '1');
    EXPECT_TRUE(printed.starts_with("catalog\t" + f + "arcmsr.cat\nbinary\tarcm_x86.sys\n"));
    EXPECT_TRUE(printed.ends_with("inf\t" + f + "ARCVDEV.inf\ninf\t" + f + "ARCM_X86.inf\n"));
}

} // namespace
} // namespace ornibe
