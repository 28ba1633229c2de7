#include "wizard/VirtioWinCheck.h"

#include "inf/WindowsTarget.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace ornibe {
namespace {

// The page's check boxes read as the check takes them and shown again
// from what it kept; the INFs it put into the lists are told apart from
// the user's own.
TEST(VirtioWinCheck, the_boxes_the_kept_choice_and_the_lists_agree) {
    EXPECT_EQ(virtioWinDriversChecked({true, true, true, true, true}), std::nullopt);
    EXPECT_EQ(virtioWinDriversChecked({true, false, true, false, false}),
              (std::vector<std::string>{"viostor", "balloon"}));
    EXPECT_EQ(virtioWinDriversChecked({false, false, false, false, false}),
              std::vector<std::string>{});

    VirtioWinChoice choice;
    EXPECT_EQ(virtioWinChecksOf(choice), (std::vector<bool>{true, true, true, true, true}));
    choice.only = std::vector<std::string>{"NetKVM", "qxl"};
    EXPECT_EQ(virtioWinChecksOf(choice), (std::vector<bool>{false, true, false, false, true}));

    choice.drivers = {{"netkvm", "NetKVM\\xp\\x86", "/tmp/c/1/netkvm.inf", false}};
    EXPECT_TRUE(isVirtioWinInf(choice, "/tmp/c/1/netkvm.inf"));
    EXPECT_FALSE(isVirtioWinInf(choice, "/home/u/netkvm.inf"));
    EXPECT_EQ(withoutVirtioWinInfs({"/home/u/a.inf", "/tmp/c/1/netkvm.inf"}, choice),
              std::vector<std::string>{"/home/u/a.inf"});
}

// No medium clears what an earlier "次へ >" kept; Windows 2000 is refused
// before the medium is read, and a medium that is none is refused with why.
TEST(VirtioWinCheck, no_medium_clears_and_windows_2000_and_no_medium_are_refused) {
    test::TempDir dir;
    BuildSettings settings;
    VirtioWinChoice kept;
    kept.source = "/old.iso";
    settings.setVirtioWin(kept);
    EXPECT_TRUE(addVirtioWinDrivers(settings, "", std::nullopt,
                                    {WindowsVersion::WindowsXp, Architecture::X86, {}},
                                    dir.path()));
    EXPECT_TRUE(settings.getVirtioWin().empty());

    Outcome old =
        addVirtioWinDrivers(settings, dir / "missing.iso", std::nullopt,
                            {WindowsVersion::Windows2000, Architecture::X86, {}}, dir.path());
    ASSERT_FALSE(old);
    EXPECT_EQ(old.failure().headline, "virtio-win のドライバは Windows 2000 には組み込めません。");

    Outcome none =
        addVirtioWinDrivers(settings, dir / "missing.iso", std::nullopt,
                            {WindowsVersion::WindowsXp, Architecture::X86, {}}, dir.path());
    ASSERT_FALSE(none);
    EXPECT_NE(none.failure().headline.find("virtio-win の ISO イメージでもフォルダでもありません"),
              std::string::npos);
    EXPECT_TRUE(settings.getVirtioWin().empty());
    EXPECT_EQ(settings.GetDriverInf(0), "");
}

} // namespace
} // namespace ornibe
