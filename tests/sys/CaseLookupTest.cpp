#include "sys/CaseLookup.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace ornibe;
using ornibe::test::TempDir;

TEST(CaseLookup, finds_an_entry_component_by_component_ignoring_case) {
    TempDir dir;
    std::string sif = dir.write("i386/txtsetup.sif", "x");
    EXPECT_EQ(findNoCase(dir.path(), "I386\\TXTSETUP.SIF"), sif);
    EXPECT_EQ(findNoCase(dir.path(), "/i386/TxtSetup.Sif"), sif);
    EXPECT_EQ(findNoCase(dir.path(), "I386"), dir / "i386");
    EXPECT_EQ(findNoCase(dir.path(), ""), dir.path());
    EXPECT_EQ(findNoCase(dir.path(), "I386\\DOSNET.INF"), std::nullopt);
    EXPECT_EQ(findNoCase(dir / "missing", "x"), std::nullopt);
}

TEST(CaseLookup, prefers_the_exact_spelling_and_never_folds_non_ascii) {
    TempDir dir;
    dir.write("A.INF", "1");
    std::string lower = dir.write("a.inf", "2");
    dir.write("Ä.inf", "3");
    EXPECT_EQ(findNoCase(dir.path(), "a.inf"), lower);
    EXPECT_EQ(findNoCase(dir.path(), "ä.inf"), std::nullopt);
    EXPECT_EQ(findNoCase(dir.path(), "名前 \"q\".inf"), std::nullopt);
}

TEST(CaseLookup, a_new_entry_takes_the_name_of_an_existing_case_twin) {
    TempDir dir;
    dir.mkdir("i386/svcpack");
    EXPECT_EQ(entryPathNoCase(dir / "i386", "SVCPACK"), dir / "i386/svcpack");
    EXPECT_EQ(entryPathNoCase(dir / "i386", "TEMP"), dir / "i386/TEMP");
}
