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
    ASSERT_TRUE(found) << found.failure().reason;
    EXPECT_EQ(*found, root + "/X86/Driver.SYS");
    EXPECT_EQ(*pathUnderRoot(root, "x86\\driver.sys"), root + "/x86/driver.sys");
    EXPECT_EQ(*pathUnderRoot(root, ".\\X86\\\\new.cat"), root + "/X86/new.cat");

    auto refusal = [&](std::string_view relative, NameCase nameCase = NameCase::Exact) {
        RootedPath refused = pathUnderRoot(root, relative, nameCase);
        return refused ? std::string("(accepted)") : refused.failure().reason;
    };
    EXPECT_EQ(refusal("..\\secret.txt"), "..\\secret.txt は「..」で上のフォルダを指しています");
    EXPECT_EQ(refusal("X86/../../secret.txt"),
              "X86/../../secret.txt は「..」で上のフォルダを指しています");
    EXPECT_EQ(refusal("/etc/passwd"), "/etc/passwd は絶対パスです");
    EXPECT_EQ(refusal("C:\\secret.txt"), "C:\\secret.txt はドライブを指定しています");
    EXPECT_EQ(refusal("up\\secret.txt", NameCase::Ignore), root + "/UP はリンクです");

    EXPECT_TRUE(checkUnderRoot(root, root + "/X86"));
    EXPECT_FALSE(checkUnderRoot(root, root + "/UP/secret.txt"));
    EXPECT_FALSE(checkUnderRoot(root, dir / "secret.txt"));
}
