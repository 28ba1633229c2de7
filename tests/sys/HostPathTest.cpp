#include "sys/HostPath.h"

#include "support/BuildTreeTools.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace ornibe;
using ornibe::test::TempDir;

TEST(HostPath, name_and_folder_parts) {
    EXPECT_EQ(fileName("/a/b/c.inf"), "c.inf");
    EXPECT_EQ(fileName("c.inf"), "c.inf");
    EXPECT_EQ(fileName("/a/"), "");
    EXPECT_EQ(folderPart("/a/b/c.inf"), "/a/b");
    EXPECT_EQ(folderPart("/c.inf"), "/");
    EXPECT_EQ(folderPart("c.inf"), "");
    EXPECT_EQ(joinPath("/a/", "/b"), "/a/b");
    EXPECT_EQ(joinPath("", "b"), "b");
    EXPECT_EQ(joinPath("/a", ""), "/a");
}

TEST(HostPath, make_absolute_folds_dots_and_keeps_a_trailing_separator) {
    EXPECT_EQ(makeAbsolute("/a/./b/../c/"), "/a/c/");
    EXPECT_EQ(makeAbsolute("/a//b"), "/a/b");
    EXPECT_EQ(makeAbsolute("/../.."), "/");
    EXPECT_EQ(makeAbsolute("/"), "/");
    TempDir dir;
    {
        test::CurrentFolderScope here(dir.path());
        EXPECT_EQ(makeAbsolute("x/y.iso"), dir.path() + "/x/y.iso");
        EXPECT_EQ(makeAbsolute(""), dir.path());
        EXPECT_EQ(makeAbsolute("名前 \"q\"/"), dir.path() + "/名前 \"q\"/");
        // A base for relative paths: absolute ones ignore it, a relative
        // base is itself taken from the current folder.
        EXPECT_EQ(makeAbsolute("out.iso", "/work/xp"), "/work/xp/out.iso");
        EXPECT_EQ(makeAbsolute("../out.iso", "work"), dir.path() + "/out.iso");
        EXPECT_EQ(makeAbsolute("/tmp/./out.iso", "/work"), "/tmp/out.iso");
    }
    std::string longPath = "/" + std::string(4000, 'a');
    EXPECT_EQ(makeAbsolute(longPath + "/./"), longPath + "/");
}

TEST(HostPath, folders_never_pass_as_files) {
    TempDir dir;
    std::string file = dir.write("f.exe", "MZ");
    std::string folder = dir.mkdir("sp.exe");
    symlink(file.c_str(), (dir / "link").c_str());
    EXPECT_TRUE(existsAsFile(file));
    EXPECT_TRUE(existsAsFile(dir / "link"));
    EXPECT_FALSE(existsAsFile(folder));
    EXPECT_TRUE(existsAsFolder(folder));
    EXPECT_FALSE(existsAsFolder(file));
    EXPECT_FALSE(existsAsFile(dir / "missing"));
    EXPECT_FALSE(existsAsFile(std::string(5000, 'x')));
}

TEST(HostPath, empty_folder_and_drive_root) {
    TempDir dir;
    EXPECT_TRUE(folderIsEmpty(dir.path()));
    dir.write(".hidden", "");
    EXPECT_FALSE(folderIsEmpty(dir.path()));
    EXPECT_FALSE(folderIsEmpty(dir / "missing"));
    EXPECT_TRUE(isDriveRoot("/"));
    EXPECT_TRUE(isDriveRoot("/proc")); // a mount point on every Linux
    EXPECT_FALSE(isDriveRoot(dir.path()));
    EXPECT_FALSE(isDriveRoot(dir / "missing"));
}

TEST(HostPath, bytes_free_looks_at_the_nearest_existing_folder) {
    TempDir dir;
    auto here = bytesFree(dir.path());
    ASSERT_TRUE(here.has_value());
    auto below = bytesFree(dir / "not/yet/made");
    ASSERT_TRUE(below.has_value());
    EXPECT_GT(*below, 0u);
    EXPECT_TRUE(bytesFree("relative/missing").has_value());
}
