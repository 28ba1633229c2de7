// The source entry of ornibe-build and of the wizard's drive list: the same
// path gives the same entry, root and proposed label in both, and so the
// same summary in the log.
#include "cli/CommandLineForm.h"
#include "settings/BuildSettings.h"
#include "support/FakeDriveSource.h"
#include "support/IsoFixtures.h"
#include "support/TempDir.h"
#include "wizard/CdDriveList.h"
#include "wizard/ChosenSource.h"

#include <gtest/gtest.h>

namespace ornibe::test {
namespace {

TEST(CommandLineForm, names_a_source_as_the_wizard_lists_the_same_chosen_path) {
    TempDir dir;
    dir.write("cd/I386/TXTSETUP.SIF", "sif");
    ASSERT_TRUE(makeIsoImage(dir / "cd", dir / "xp.iso", labelled("WXPFPP_JA")));
    FakeDriveSource drives;
    drives.drives = {{"/dev/sr0", dir / "XP", "WXPFPP_JA"}};
    const std::string noLabel = BuildSettings().GetVolumeLabel();
    struct Case {
        std::string path;
        DriveEntry entry;
        std::string label;
    };
    const Case cases[] = {
        // A folder where a CD is mounted has the label its drive reads.
        {dir / "XP/", {dir / "XP", dir / "XP [ WXPFPP_JA ]"}, "WXPFPP_JA"},
        // Any other folder has none and proposes none.
        {dir / "cd/", {dir / "cd", dir / "cd [  ]"}, noLabel},
        {dir / "xp.iso", {dir / "xp.iso", dir / "xp.iso [ WXPFPP_JA ]"}, "WXPFPP_JA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CommandOptions options;
        options.source = c.path;
        CommandLineForm form(options, drives);
        EXPECT_EQ(form.selectedDrivePosition(), 1);
        EXPECT_EQ((DriveEntry{form.driveRoot(1), form.driveEntryText(1)}), c.entry);
        EXPECT_EQ(form.volumeLabelText(), c.label);

        CdDriveList list;
        list.relist(drives);
        int position = list.keep(chosenSourceEntry(c.path, drives));
        EXPECT_EQ(list.entries().at(static_cast<size_t>(position)), c.entry);
        EXPECT_EQ(list.proposedLabel(position).value_or(noLabel), c.label);
    }
}

} // namespace
} // namespace ornibe::test
