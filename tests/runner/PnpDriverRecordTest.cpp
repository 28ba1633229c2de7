#include "runner/PnpDriverRecord.h"

#include <gtest/gtest.h>

#include <set>

namespace ornibe {
namespace {

// A later build keeps each INF in the folder the record gives it, numbers
// a new one past every folder the record names or that exists (the user's
// own), and the record reads back as it was written, ignoring anything
// that is not a numbered folder of the build's form.
TEST(PnpDriverRecord, folders_stay_with_their_inf_and_skip_taken_names) {
    PnpRecord earlier = readPnpRecord("; comment\r\n001=/m/a.inf\r\n002=/m/b.inf\r\n"
                                      "../x=/m/evil.inf\r\nMINE=/m/mine.inf\r\n003=/m/c.inf\n");
    ASSERT_EQ(earlier.entries.size(), 3u);
    EXPECT_EQ(earlier.folderOf("/m/c.inf"), "003");

    const std::set<std::string> onDisk = {"001", "002", "003", "004"};
    PnpRecord now =
        assignPnpFolders(earlier, {"/m/c.inf", "/m/new.inf", "/m/a.inf"},
                         [&](const std::string& name) { return onDisk.contains(name); });
    ASSERT_EQ(now.entries.size(), 3u);
    EXPECT_EQ(now.entries[0].folder, "003");
    EXPECT_EQ(now.entries[1].folder, "005");
    EXPECT_EQ(now.entries[2].folder, "001");

    PnpRecord back = readPnpRecord(pnpRecordText(now));
    ASSERT_EQ(back.entries.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.entries[i].folder, now.entries[i].folder);
        EXPECT_EQ(back.entries[i].inf, now.entries[i].inf);
    }
}

} // namespace
} // namespace ornibe
