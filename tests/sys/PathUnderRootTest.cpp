#include "sys/PathUnderRoot.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace ornibe;
using namespace ornibe::test;

// Paths from a hostile INF or tree: whatever leaves the root is refused
// with a reason that names it; what stays inside is joined, names matched
// ignoring case when asked.
TEST(PathUnderRoot, joins_inside_and_refuses_what_leaves_the_root) {
    TempDir dir;
    dir.write("medium/X86/Driver.SYS", "d");
    dir.write("secret.txt", "private");
    ASSERT_EQ(symlink((dir / "").c_str(), (dir / "medium/UP").c_str()), 0);
    const std::string root = dir / "medium";

    RootedPath found = pathUnderRoot(root, "x86\\driver.sys", NameCase::Ignore);
    ASSERT_TRUE(found) << found.refusal;
    EXPECT_EQ(found.path, root + "/X86/Driver.SYS");
    EXPECT_EQ(pathUnderRoot(root, "x86\\driver.sys").path, root + "/x86/driver.sys");
    EXPECT_EQ(pathUnderRoot(root, ".\\X86\\\\new.cat").path, root + "/X86/new.cat");

    EXPECT_EQ(pathUnderRoot(root, "..\\secret.txt").refusal,
              "the path leaves its folder: ..\\secret.txt");
    EXPECT_EQ(pathUnderRoot(root, "X86/../../secret.txt").refusal,
              "the path leaves its folder: X86/../../secret.txt");
    EXPECT_EQ(pathUnderRoot(root, "/etc/passwd").refusal, "the path is absolute: /etc/passwd");
    EXPECT_EQ(pathUnderRoot(root, "C:\\secret.txt").refusal,
              "the path names a drive: C:\\secret.txt");
    EXPECT_EQ(pathUnderRoot(root, "up\\secret.txt", NameCase::Ignore).refusal,
              "a link stands on the way: " + root + "/UP");

    EXPECT_TRUE(checkUnderRoot(root, root + "/X86"));
    EXPECT_FALSE(checkUnderRoot(root, root + "/UP/secret.txt"));
    EXPECT_FALSE(checkUnderRoot(root, dir / "secret.txt"));
}
