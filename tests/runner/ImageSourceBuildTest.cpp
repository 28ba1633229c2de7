#include "media/BootImage.h"
#include "runner/BuildRunner.h"
#include "runner/MemoryProgressLog.h"
#include "runner/Summary.h"
#include "settings/CdDriveEntry.h"
#include "support/BuildTreeTools.h"
#include "support/FakeBuildPage.h"
#include "support/IsoFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace ornibe;
using namespace ornibe::test;

namespace {

// From a Windows CD's image to a new image that boots with the CD's own
// boot image, through the real tools; the boot image is in no folder of
// the CD, only in its boot catalog.
TEST(ImageSourceBuildTest, image_source_builds_an_image_that_carries_the_cds_boot_image) {
    TempDir dir;
    dir.write("cd/I386/TXTSETUP.SIF",
              "[Version]\r\nsignature = \"$Windows NT$\"\r\n\r\n[SourceDisksNames]\r\n"
              "1 = \"Windows XP Professional CD\",cdrom.s1,,\"\\i386\"\r\n");
    dir.write("cd/WIN51", "");
    std::filesystem::create_symlink("/etc/passwd", dir / "cd/outside");
    std::string boot(2048, '\0');
    for (size_t i = 0; i < boot.size(); ++i) {
        boot[i] = char(i * 7 + 3);
    }
    dir.write("boot.img", boot);
    ASSERT_TRUE(makeIsoImage(dir / "cd", dir / "xp.iso", booting(dir / "boot.img")));

    BuildSettings settings;
    settings.SetCdDriveIndex(1);
    settings.SetCdDriveEntry(makeCdDriveEntry(dir / "xp.iso", "TEST_CD"));
    settings.setCdDriveRoot(dir / "xp.iso");
    settings.SetWorkFolder(dir.mkdir("work"));
    settings.SetVolumeLabel("XP_BOOT");
    settings.SetBigDrive(0);
    settings.SetIsoPath(dir / "out.iso");

    ConfirmData data;
    MemoryProgressLog summary;
    writeSummary(settings, data, summary, test::buildTreeTools("."));
    EXPECT_EQ(summary.text().rfind("ターゲット：\r\n      Windows XP Professional CD\r\n", 0), 0u)
        << summary.text();
    EXPECT_EQ(data.target.version, WindowsVersion::WindowsXp);

    FakeBuildPage page;
    BuildRunner(settings, data, page, buildTreeTools(dir.path())).runBuild();
    EXPECT_EQ(page.pageCode(), 0) << page.logText();
    EXPECT_NE(page.logText().find("CD の内容を作業フォルダにコピーしています。。。完了\r\n"
                                  "コピーしなかったリンクなど：outside -> /etc/passwd\r\n"
                                  "ブートイメージ：" +
                                  dir / "xp.iso" + " から BOOTSECT.BIN に書き出しました\r\n\r\n"),
              std::string::npos)
        << page.logText();
    EXPECT_EQ(slurp(dir / "work/BOOTSECT.BIN"), boot);
    EXPECT_EQ(slurp(dir / "work/I386/TXTSETUP.SIF"), slurp(dir / "cd/I386/TXTSETUP.SIF"));
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir / "work/outside")));

    EXPECT_EQ(bootEntrySummary(dir / "out.iso"), "none 4");
    EXPECT_TRUE(writeBootImage(dir / "out.iso", dir / "back.bin"));
    EXPECT_EQ(slurp(dir / "back.bin"), boot);
}

} // namespace
