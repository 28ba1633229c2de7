#include "settings/BuildSettings.h"

#include <gtest/gtest.h>

using ornibe::BuildSettings;

TEST(BuildSettings, starts_with_no_cd_big_drive_on_and_empty_texts) {
    BuildSettings settings;
    EXPECT_EQ(settings.GetCdDriveIndex(), 0);
    EXPECT_EQ(settings.GetCdDriveEntry(), "");
    EXPECT_EQ(settings.GetVolumeLabel(), "");
    EXPECT_EQ(settings.GetServicePackPath(), "");
    EXPECT_EQ(settings.GetDriverInf(0), "");
    EXPECT_EQ(settings.GetBigDrive(), 1);
    EXPECT_EQ(settings.GetWorkFolder(), "");
    EXPECT_EQ(settings.GetIsoPath(), "");
}

TEST(BuildSettings, driver_list_answers_empty_past_its_end_and_for_negative_index) {
    BuildSettings settings;
    settings.AddDriverInf("/drv/a.inf");
    settings.AddDriverInf("/drv/b.inf");
    EXPECT_EQ(settings.GetDriverInf(1), "/drv/b.inf");
    EXPECT_EQ(settings.GetDriverInf(2), "");
    EXPECT_EQ(settings.GetDriverInf(-1), "");
    settings.ClearDriverInfs();
    EXPECT_EQ(settings.GetDriverInf(0), "");
}

TEST(BuildSettings, driver_list_keeps_first_spelling_and_refuses_empty_entries) {
    BuildSettings settings;
    settings.AddDriverInf("/drv/a.inf");
    settings.AddDriverInf("");
    settings.AddDriverInf("/DRV/A.INF");
    settings.AddDriverInf("/drv/b.inf");
    EXPECT_EQ(settings.GetDriverInf(0), "/drv/a.inf");
    EXPECT_EQ(settings.GetDriverInf(1), "/drv/b.inf");
    EXPECT_EQ(settings.GetDriverInf(2), "");
}

TEST(BuildSettings, driver_list_folds_only_ascii_letters) {
    BuildSettings settings;
    settings.AddDriverInf("/drv/ドライバ/ä.inf");
    settings.AddDriverInf("/DRV/ドライバ/Ä.INF"); // Ä is not folded, as on Windows
    settings.AddDriverInf("/Drv/ドライバ/ä.INF");
    EXPECT_EQ(settings.GetDriverInf(1), "/DRV/ドライバ/Ä.INF");
    EXPECT_EQ(settings.GetDriverInf(2), "");
}

TEST(BuildSettings, work_folder_loses_one_trailing_separator_but_root_stays) {
    BuildSettings settings;
    settings.SetWorkFolder("/home/u/work/");
    EXPECT_EQ(settings.GetWorkFolder(), "/home/u/work");
    settings.SetWorkFolder("/home/u/work//");
    EXPECT_EQ(settings.GetWorkFolder(), "/home/u/work/");
    settings.SetWorkFolder("/home/u/work");
    EXPECT_EQ(settings.GetWorkFolder(), "/home/u/work");
    settings.SetWorkFolder("/");
    EXPECT_EQ(settings.GetWorkFolder(), "/");
    settings.SetWorkFolder("");
    EXPECT_EQ(settings.GetWorkFolder(), "");
}
