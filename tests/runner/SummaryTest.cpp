#include "runner/Summary.h"

#include "runner/MemoryProgressLog.h"
#include "settings/CdDriveEntry.h"
#include "support/BuildTreeTools.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace ornibe;
using ornibe::test::TempDir;

namespace {

std::string txtsetup(std::string_view cdName) {
    return "[Version]\r\nsignature = \"$Windows NT$\"\r\n\r\n[SourceDisksNames]\r\n1 = \"" +
           std::string(cdName) + "\",cdrom.s1,,\"\\i386\"\r\n\x1A";
}

// A driver INF with one device; the description is code page 932 text.
std::string driverInf(std::string_view description, std::string_view service) {
    std::string s(service);
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=SCSIAdapter\r\n"
           "[Manufacturer]\r\n%Mfg%=Models\r\n[Models]\r\n%Dev%=Inst_" +
           s + ",PCI\\VEN_1234&DEV_" + s + "\r\n[Inst_" + s +
           "]\r\nCopyFiles=Files\r\n"
           "[Inst_" +
           s + ".Services]\r\nAddService=" + s +
           ",2,Svc\r\n[Svc]\r\nServiceType=1\r\n"
           "StartType=0\r\nErrorControl=1\r\nServiceBinary=%12%\\" +
           s +
           ".sys\r\n"
           "[Files]\r\n" +
           s +
           ".sys\r\n[DestinationDirs]\r\nDefaultDestDir=12\r\n"
           "[SourceDisksNames]\r\n1=\"Disk\"\r\n[SourceDisksFiles]\r\n" +
           s +
           ".sys=1\r\n"
           "[Strings]\r\nMfg=\"Maker\"\r\nDev=\"" +
           std::string(description) + "\"\r\n";
}

class SummaryTest : public ::testing::Test {
protected:
    TempDir dir;
    BuildSettings settings;
    ConfirmData data;
    MemoryProgressLog log;
};

} // namespace

TEST_F(SummaryTest, all_optional_values_empty_read_from_the_work_folder) {
    dir.write("work/I386/TXTSETUP.SIF", txtsetup("Windows XP Professional CD"));
    settings.SetCdDriveEntry("読み込みしない");
    settings.SetWorkFolder(dir / "work");
    writeSummary(settings, data, log, test::buildTreeTools("."));
    EXPECT_EQ(log.text(), "ターゲット：\r\n      Windows XP Professional CD"
                          "\r\n\r\nCD ドライブ：\r\n      読み込みしない"
                          "\r\n\r\nISO イメージのボリュームラベル：\r\n      なし"
                          "\r\n\r\nService Pack ファイル：\r\n      なし"
                          "\r\n\r\n追加するドライバ：\r\n      なし"
                          "\r\n\r\n137GB 以上のハードディスク：\r\n      使用する"
                          "\r\n\r\n作業フォルダ：\r\n      " +
                              dir / "work" + "\r\n\r\nISO イメージ：\r\n      作成しない\r\n\r\n");
    EXPECT_EQ(data.target.version, WindowsVersion::WindowsXp);
}

TEST_F(SummaryTest, reads_the_cd_root_of_the_chosen_drive_in_any_letter_case) {
    dir.write("cd/i386/txtsetup.sif", txtsetup("Windows 2000 Professional"));
    settings.SetCdDriveIndex(1);
    settings.SetCdDriveEntry(makeCdDriveEntry(dir / "cd", "W2KPRO"));
    settings.setCdDriveRoot(dir / "cd");
    settings.SetWorkFolder(dir / "empty");
    settings.SetBigDrive(0);
    settings.SetVolumeLabel("W2K \"SP4\"");
    settings.SetIsoPath("out.iso");
    writeSummary(settings, data, log, test::buildTreeTools("."));
    EXPECT_EQ(data.target.version, WindowsVersion::Windows2000);
    EXPECT_EQ(data.target.buildNumber, "2195");
    EXPECT_NE(log.text().find("CD ドライブ：\r\n      " + dir / "cd" + " [ W2KPRO ]"),
              std::string::npos);
    EXPECT_NE(log.text().find("ラベル：\r\n      W2K \"SP4\"\r\n"), std::string::npos);
    EXPECT_NE(log.text().find("ディスク：\r\n      使用しない"), std::string::npos);
    EXPECT_NE(log.text().find("ISO イメージ：\r\n      out.iso"), std::string::npos);
}

TEST_F(SummaryTest, missing_setup_file_keeps_the_earlier_detection) {
    data.target.version = WindowsVersion::Server2003;
    data.target.buildNumber = "3790";
    settings.SetWorkFolder(dir / "nothing");
    writeSummary(settings, data, log, test::buildTreeTools("."));
    EXPECT_EQ(log.text().rfind("ターゲット：\r\n      \r\n\r\nCD", 0), 0u);
    EXPECT_EQ(data.target.version, WindowsVersion::Server2003);
    EXPECT_EQ(data.target.buildNumber, "3790");
}

TEST_F(SummaryTest, lists_devices_of_all_infs_once_in_utf8_and_refills_the_package) {
    dir.write("work/I386/TXTSETUP.SIF", txtsetup("Windows XP"));
    // "日本" in code page 932 as the description of the first driver.
    std::string a = dir.write("drv/a.inf", driverInf("\x93\xFA\x96\x7B Controller", "aaa"));
    std::string b = dir.write("drv/b.inf", driverInf("\x93\xFA\x96\x7B Controller", "bbb"));
    std::string c = dir.write("drv/c.inf", driverInf("Other Controller", "ccc"));
    std::string broken = dir.write("drv/broken.inf", "not an inf");
    settings.SetWorkFolder(dir / "work");
    settings.AddDriverInf(a);
    settings.AddDriverInf(b);
    settings.AddDriverInf(broken);
    settings.AddDriverInf(c);
    data.package.AddCatalogFile("/stale/old.cat");
    writeSummary(settings, data, log, test::buildTreeTools("."));
    EXPECT_NE(log.text().find("追加するドライバ：\r\n      日本 Controller\r\n      Other "
                              "Controller\r\n\r\n137GB"),
              std::string::npos)
        << log.text();
    EXPECT_EQ(data.package.GetCatalogFile(0), "");
    EXPECT_EQ(data.package.descriptionToService().size(), 2u);
    // The file that is no INF is not carried either.
    EXPECT_EQ(data.package.GetInfFile(0), a);
    EXPECT_EQ(data.package.GetInfFile(1), b);
    EXPECT_EQ(data.package.GetInfFile(2), c);
    EXPECT_EQ(data.package.GetInfFile(3), "");
}
