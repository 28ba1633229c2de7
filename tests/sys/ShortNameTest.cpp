#include "sys/ShortName.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace ornibe {
namespace {

// What FAT and setup take as a short name, and the name a long one gets
// against the names taken, collisions numbered from ~1 and the base cut
// shorter as the number grows.
TEST(ShortNameTest, short_names_are_kept_and_long_ones_are_cut_and_numbered_past_those_taken) {
    for (const char* name : {"KB900001.EXE", "q000001.exe", "A", "$OEM$", "A-B_C(1).~X"}) {
        EXPECT_TRUE(isShortName(name)) << name;
    }
    for (const char* name : {"", ".EXE", "NINECHARS.EXE", "A.LONG", "A.B.C", "A B.EXE", "A.",
                             "\xE6\x97\xA5.EXE", "A+B.EXE"}) {
        EXPECT_FALSE(isShortName(name)) << name;
    }

    std::set<std::string> taken;
    std::set<std::string> asked;
    auto takenNow = [&](const std::string& name) {
        asked.insert(name);
        return taken.contains(name);
    };
    EXPECT_EQ(shortNameFor("kb3.exe", takenNow), "KB3.EXE");
    taken.insert("KB3.EXE");
    EXPECT_EQ(shortNameFor("kb3.exe", takenNow), "KB3~1.EXE");

    const std::string longName = "WindowsXP-Update Package.exe";
    for (int i = 1; i <= 9; ++i) {
        const std::string name = shortNameFor(longName, takenNow);
        EXPECT_EQ(name, "WINDOW~" + std::to_string(i) + ".EXE");
        taken.insert(name);
    }
    EXPECT_EQ(shortNameFor(longName, takenNow), "WINDO~10.EXE");
    // Asked in capitals only: letter case is the caller's to judge.
    for (const std::string& name : asked) {
        for (char c : name) {
            EXPECT_FALSE(c >= 'a' && c <= 'z') << name;
        }
    }

    auto none = [](const std::string&) { return false; };
    EXPECT_EQ(shortNameFor("\xE6\x97\xA5\xE6\x9C\xAC.exe", none), "FILE~1.EXE");
    EXPECT_EQ(shortNameFor("update.package", none), "UPDATE~1.PAC");
    EXPECT_EQ(shortNameFor("long file name", none), "LONGFI~1");
    EXPECT_TRUE(isShortName(shortNameFor("a.b.c.d.exe", none)));
}

} // namespace
} // namespace ornibe
