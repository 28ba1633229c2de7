#include "settings/CdDriveEntry.h"
#include "runner/MessageBox.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

TEST(CdDriveEntry, splits_root_and_label) {
    EXPECT_EQ(cdDriveEntryRoot("/media/u/CD ROM [ CD ROM ]"), "/media/u/CD ROM");
    EXPECT_EQ(cdDriveEntryLabel("/media/u/CD ROM [ CD ROM ]"), "CD ROM");
    EXPECT_EQ(cdDriveEntryLabel("/mnt/iso [  ]"), "");
    EXPECT_EQ(cdDriveEntryLabel("読み込みしない"), std::nullopt);
    EXPECT_EQ(cdDriveEntryRoot("読み込みしない"), "読み込みしない");
    EXPECT_TRUE(cdDriveEntryHasNoDisc("/dev/sr1 [ CD がありません ]"));
    EXPECT_FALSE(cdDriveEntryHasNoDisc("/mnt/x [ NOT CD がありません ]"));
}

TEST(CdDriveEntry, keeps_a_root_that_holds_the_brackets_beside_its_text) {
    // The root travels as its own value; the label is read from the end.
    EXPECT_EQ(makeDriveEntry("/m/cd [ sp4 ]", "WXP"),
              (DriveEntry{"/m/cd [ sp4 ]", "/m/cd [ sp4 ] [ WXP ]"}));
    EXPECT_EQ(cdDriveEntryLabel("/m/cd [ sp4 ] [ WXP ]"), "WXP");
    EXPECT_EQ(proposedVolumeLabel(1, "/m/cd [ sp4 ] [ WXP ]"), "WXP");
    EXPECT_TRUE(cdDriveEntryHasNoDisc("/m/x [ y ] [ CD がありません ]"));
    EXPECT_FALSE(cdDriveEntryHasNoDisc("/m/CD がありません [ WXP ]"));
}

TEST(CdDriveEntry, proposes_only_a_named_readable_volume) {
    EXPECT_EQ(proposedVolumeLabel(1, "/media/u/XP [ WXPFPP_JA ]"), "WXPFPP_JA");
    EXPECT_EQ(proposedVolumeLabel(0, "読み込みしない"), std::nullopt);
    EXPECT_EQ(proposedVolumeLabel(-1, "/media/u/XP [ WXPFPP_JA ]"), std::nullopt);
    EXPECT_EQ(proposedVolumeLabel(2, "/dev/sr1 [ CD がありません ]"), std::nullopt);
    EXPECT_EQ(proposedVolumeLabel(3, "/mnt/iso [  ]"), std::nullopt);
}

TEST(MessageBox, the_safe_answer_is_cancel_or_no_and_ok_for_a_box_with_only_ok) {
    EXPECT_EQ(safeAnswer({MessageButtons::Ok, MessageIcon::None, false}), MessageAnswer::Ok);
    EXPECT_EQ(safeAnswer({MessageButtons::OkCancel, MessageIcon::None, false}),
              MessageAnswer::Cancel);
    EXPECT_EQ(safeAnswer({MessageButtons::YesNo, MessageIcon::Question, true}), MessageAnswer::No);
}

} // namespace
} // namespace ornibe
