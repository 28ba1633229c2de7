#include "wizard/SetupAdditionsDialogState.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ornibe {
namespace {

using ::testing::ElementsAre;

// The dialog's boxes as the settings take them: a command a line, blanks
// and empty lines (a CR of pasted Windows text too) left out; the hotfix
// list keeps its order, takes a package once and removes the selected row.
TEST(SetupAdditionsDialogStateTest, boxes_become_one_command_a_line_and_the_list_keeps_its_order) {
    SetupAdditionsDialogState state;
    state.setupCommands = "  rundll32 a.dll,Run \r\n\r\n\t\ncmd /c echo done";
    state.firstLogonCommands = "%systemdrive%\\Install\\setup.cmd\n";
    state.hotfixes = hotfixListWith({}, "/p/KB1.exe", "");
    state.hotfixes = hotfixListWith(state.hotfixes, "/p/KB2.exe", "/Q:A /R:N");
    state.hotfixes = hotfixListWith(state.hotfixes, "/p/KB1.exe", "/x");
    state.hotfixes = hotfixListWith(state.hotfixes, "", "/x");

    const SetupAdditions additions = additionsOf(state);
    EXPECT_THAT(additions.setupCommands, ElementsAre("rundll32 a.dll,Run", "cmd /c echo done"));
    EXPECT_THAT(additions.firstLogonCommands, ElementsAre("%systemdrive%\\Install\\setup.cmd"));
    EXPECT_THAT(additions.hotfixes, ElementsAre(HotfixChoice{"/p/KB1.exe", ""},
                                                HotfixChoice{"/p/KB2.exe", "/Q:A /R:N"}));
    EXPECT_EQ(hotfixListText(additions.hotfixes[0]), "/p/KB1.exe  [ /q /n /z ]");
    EXPECT_EQ(additionsOf(dialogStateOf(additions)), additions);

    EXPECT_THAT(hotfixListWithout(additions.hotfixes, 0),
                ElementsAre(HotfixChoice{"/p/KB2.exe", "/Q:A /R:N"}));
    EXPECT_EQ(hotfixListWithout(additions.hotfixes, -1), additions.hotfixes);
    EXPECT_EQ(hotfixListWithout(additions.hotfixes, 2), additions.hotfixes);
}

} // namespace
} // namespace ornibe
