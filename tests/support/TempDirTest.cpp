#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

TEST(TempDir, removes_its_folder_even_with_read_only_entries) {
    std::string path;
    {
        ornibe::test::TempDir dir;
        path = dir.path();
        std::string file = dir.write("a/b/c.txt", "x");
        chmod(file.c_str(), 0444);
        chmod((dir / "a/b").c_str(), 0555);
        EXPECT_EQ(ornibe::test::slurp(file), "x");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}
