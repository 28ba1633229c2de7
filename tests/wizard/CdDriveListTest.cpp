#include "wizard/CdDriveList.h"
#include "wizard/DriveListEntries.h"

#include "support/FakeDriveSource.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

TEST(DriveListEntries, machine_without_drives_lists_only_do_not_read) {
    test::FakeDriveSource drives;
    EXPECT_EQ(driveListEntries(drives), std::vector<std::string>{"読み込みしない"});
}

TEST(DriveListEntries, lists_label_no_disc_and_empty_label_in_source_order) {
    test::FakeDriveSource drives;
    drives.drives = {{"/dev/sr0", "/media/u/WXPFPP_JA", "WXPFPP_JA"},
                     {"/dev/sr1", "/dev/sr1", std::nullopt},
                     {"/dev/loop0", "/mnt/iso", ""}};
    EXPECT_EQ(driveListEntries(drives),
              (std::vector<std::string>{"読み込みしない", "/media/u/WXPFPP_JA [ WXPFPP_JA ]",
                                        "/dev/sr1 [ CD がありません ]", "/mnt/iso [  ]"}));
}

const DriveEntry kNoCd{"", "読み込みしない"};
const DriveEntry kPickImage{"", "ISO イメージファイル…"};
const DriveEntry kPickFolder{"", "CD のファイルがあるフォルダ…"};

TEST(CdDriveList, lists_the_drives_then_the_chosen_sources_then_the_entries_that_choose_one) {
    test::FakeDriveSource drives;
    drives.drives = {{"/dev/sr0", "/media/u/XP", "WXP"}};
    CdDriveList list;
    EXPECT_EQ(list.entries(), (std::vector<DriveEntry>{kPickImage, kPickFolder}));
    list.relist(drives);
    const DriveEntry xp{"/media/u/XP", "/media/u/XP [ WXP ]"};
    const DriveEntry image{"/i/xp.iso", "/i/xp.iso [ X ]"};
    const DriveEntry folder{"/f/cd", "/f/cd [  ]"};
    EXPECT_EQ(list.keep(image), 2);
    EXPECT_EQ(list.keep(folder), 3);
    // Kept once: a source chosen again, or one the drives list already.
    EXPECT_EQ(list.keep(image), 2);
    EXPECT_EQ(list.keep(xp), 1);
    EXPECT_EQ(list.entries(),
              (std::vector<DriveEntry>{kNoCd, xp, image, folder, kPickImage, kPickFolder}));
    // A drive added: the chosen sources move down behind it.
    drives.drives.push_back({"/dev/sr1", "/dev/sr1", std::nullopt});
    list.relist(drives);
    EXPECT_EQ(list.entries(), (std::vector<DriveEntry>{kNoCd,
                                                       xp,
                                                       {"/dev/sr1", "/dev/sr1 [ CD がありません ]"},
                                                       image,
                                                       folder,
                                                       kPickImage,
                                                       kPickFolder}));
}

TEST(CdDriveList, selects_only_a_source_and_proposes_its_label) {
    test::FakeDriveSource drives;
    drives.drives = {{"/dev/sr0", "/media/u/XP", "WXP"}, {"/dev/sr1", "/dev/sr1", std::nullopt}};
    CdDriveList list;
    list.relist(drives);
    list.keep({"/i/xp.iso", "/i/xp.iso [ X ]"});
    using Kind = CdDriveList::Kind;
    struct Case {
        int position;
        int selected;
        Kind kind;
        std::optional<std::string> label;
    };
    const Case cases[] = {
        {-1, -1, Kind::Source, std::nullopt},
        {0, 0, Kind::Source, std::nullopt},
        {1, 1, Kind::Source, "WXP"},
        {2, 2, Kind::Source, std::nullopt},
        {3, 3, Kind::Source, "X"},
        {4, -1, Kind::PickImage, std::nullopt},
        {5, -1, Kind::PickFolder, std::nullopt},
        {6, -1, Kind::Source, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        EXPECT_EQ(list.sourcePosition(c.position), c.selected);
        EXPECT_EQ(list.kindAt(c.position), c.kind);
        EXPECT_EQ(list.proposedLabel(c.position), c.label);
    }
}

TEST(CdDriveList, a_label_a_source_proposed_is_taken_back_when_a_source_without_one_follows) {
    std::optional<ProposedLabel> proposed;
    // The user's label, replaced by an image's, then by another image's.
    EXPECT_EQ(labelAfterSourceChoice(proposed, "MYCD", std::string("WXPFPP_JA")), "WXPFPP_JA");
    EXPECT_EQ(labelAfterSourceChoice(proposed, "WXPFPP_JA", std::string("W2K")), "W2K");
    // A folder without a label: back to the user's label, not the image's.
    EXPECT_EQ(labelAfterSourceChoice(proposed, "W2K", std::nullopt), "MYCD");
    EXPECT_FALSE(proposed);
    // A proposal the user has edited since stays as the user left it.
    EXPECT_EQ(labelAfterSourceChoice(proposed, "MYCD", std::string("WXP")), "WXP");
    EXPECT_EQ(labelAfterSourceChoice(proposed, "WXP_EDITED", std::nullopt), "WXP_EDITED");
    EXPECT_EQ(labelAfterSourceChoice(proposed, "WXP_EDITED", std::nullopt), "WXP_EDITED");
}

} // namespace
} // namespace ornibe
