#include "answer/PnpAnswerKeys.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ornibe {
namespace {

// The user's own file: a key that has the right value stays as written,
// one with another value is replaced in its place, a missing one goes at
// the end of [Unattended], and a file without that section gets one at its
// end; only the keys that changed are named.
TEST(PnpAnswerKeys, merging_keeps_the_users_lines_and_names_what_changed) {
    MergedAnswerFile replaced =
        mergePnpKeys("[Unattended]\r\nOemPreinstall = no ; theirs\r\n"
                     "OemPnPDriversPath = \"Drivers\\Mine;Drivers\\001\"\r\n\r\n[UserData]\r\n"
                     "FullName = \"A\"\r\n",
                     "Drivers\\Mine;Drivers\\001");
    EXPECT_EQ(replaced.bytes, "[Unattended]\r\nOemPreinstall = Yes\r\n"
                              "OemPnPDriversPath = \"Drivers\\Mine;Drivers\\001\"\r\n\r\n"
                              "[UserData]\r\nFullName = \"A\"\r\n");
    EXPECT_EQ(replaced.changedKeys, std::vector<std::string>{"OemPreinstall"});

    MergedAnswerFile added = mergePnpKeys(
        "[unattended]\r\nUnattendMode = FullUnattended\r\n\r\n[Data]\r\nX = 1\r\n", "Drivers\\001");
    EXPECT_EQ(added.bytes,
              "[unattended]\r\nUnattendMode = FullUnattended\r\nOemPreinstall = Yes\r\n"
              "OemPnPDriversPath = \"Drivers\\001\"\r\n\r\n[Data]\r\nX = 1\r\n");
    EXPECT_EQ(added.changedKeys, (std::vector<std::string>{"OemPreinstall", "OemPnPDriversPath"}));

    MergedAnswerFile section = mergePnpKeys("[Data]\r\nX = 1\r\n", "Drivers\\001");
    EXPECT_EQ(section.bytes, "[Data]\r\nX = 1\r\n\r\n[Unattended]\r\nOemPreinstall = Yes\r\n"
                             "OemPnPDriversPath = \"Drivers\\001\"\r\n");

    MergedAnswerFile same =
        mergePnpKeys("[Unattended]\r\nOEMPREINSTALL = YES\r\noempnpdriverspath = Drivers\\001\r\n",
                     "Drivers\\001");
    EXPECT_EQ(same.bytes,
              "[Unattended]\r\nOEMPREINSTALL = YES\r\noempnpdriverspath = Drivers\\001\r\n");
    EXPECT_TRUE(same.changedKeys.empty());
}

// A user's line that ends in a backslash joins the next line to it: the
// keys go after a blank line it takes instead, and the merge reads back
// through the parser as it should. Where the user's continuation cannot
// be kept apart from the keys, the merge says so instead of writing it.
TEST(PnpAnswerKeys, merged_keys_read_back_as_set_and_a_users_continuation_never_takes_them) {
    MergedAnswerFile joined =
        mergePnpKeys("[Unattended]\r\nTargetPath = \\WINDOWS \\\r\n\r\n[UserData]\r\n"
                     "FullName = \"A\"\r\n",
                     "Drivers\\001");
    EXPECT_EQ(joined.bytes, "[Unattended]\r\nTargetPath = \\WINDOWS \\\r\n\r\n"
                            "OemPreinstall = Yes\r\nOemPnPDriversPath = \"Drivers\\001\"\r\n\r\n"
                            "[UserData]\r\nFullName = \"A\"\r\n");
    EXPECT_EQ(joined.problem, "");

    // The continuation reaches into the next section, which the blank line
    // would give back: the user's file would read otherwise.
    MergedAnswerFile swallowed = mergePnpKeys(
        "[Unattended]\r\nTargetPath = \\WINDOWS \\\r\n[UserData]\r\nFullName = \"A\"\r\n",
        "Drivers\\001");
    EXPECT_THAT(swallowed.problem, ::testing::HasSubstr("読まれ方が変わります"));

    // The key's own line continued: the value would not read as ours.
    MergedAnswerFile cut = mergePnpKeys("[Unattended]\r\nOemPreinstall = \\\r\nYes\r\n"
                                        "OemPnPDriversPath = \"Drivers\\001\"\r\n",
                                        "Drivers\\001");
    EXPECT_FALSE(cut.problem.empty());
}

// The file written from the fields: both keys after the last [Unattended]
// entry, the path quoted.
TEST(PnpAnswerKeys, written_file_gets_both_keys_at_the_end_of_unattended) {
    std::vector<AnswerEntry> entries = {{"Data", "A", "1"},
                                        {"Unattended", "UnattendMode", "FullUnattended"},
                                        {"GuiUnattended", "B", "2"}};
    addPnpEntries(entries, "Drivers\\001");
    EXPECT_EQ(entries,
              (std::vector<AnswerEntry>{{"Data", "A", "1"},
                                        {"Unattended", "UnattendMode", "FullUnattended"},
                                        {"Unattended", "OemPreinstall", "Yes"},
                                        {"Unattended", "OemPnPDriversPath", "Drivers\\001", true},
                                        {"GuiUnattended", "B", "2"}}));
}

} // namespace
} // namespace ornibe
