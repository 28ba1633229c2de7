#include "TestFiles.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace ornibe {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

// The image's file paths, as the ISO 9660 directory records them.
std::string imageListing(const std::string& image) {
    return test::runCommand({"xorriso", "-indev", image, "-find", "/", "-type", "f"}).output;
}

// Hidden pending files (".NAME.ornibe-XXXXXX") in a folder.
std::vector<std::string> pendingFilesIn(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.find(".ornibe-") != std::string::npos) {
            found.push_back(name);
        }
    }
    return found;
}

// Links in the tree that lead to a private file and folder beside it: the
// image holds only what is inside the tree, and nothing beside it changes.
TEST(ToolLinkSafety, cdimage_images_only_what_lies_inside_the_tree) {
    TempDir dir;
    dir.write("private/secret.txt", "private bytes");
    dir.write("private/keys/id", "key");
    dir.write("tree/I386/TXTSETUP.SIF", "[Version]\r\n");
    std::string boot = dir.write("tree/BOOTSECT.BIN", std::string(2048, 'B'));
    ASSERT_EQ(symlink((dir / "private/secret.txt").c_str(), (dir / "tree/SECRET.TXT").c_str()), 0);
    ASSERT_EQ(symlink("../private/keys", (dir / "tree/KEYS").c_str()), 0);
    ASSERT_EQ(symlink("I386/TXTSETUP.SIF", (dir / "tree/COPY.SIF").c_str()), 0);
    // What a killed run left for this image name, and for another name.
    dir.write("tree/.OUT.ISO.ornibe-Ab3dEf", "partial image");
    dir.write("tree/.OTHER.ISO.ornibe-Zz9yXw", "partial image");
    test::TreeSnapshot before = test::snapshotTree(dir / "private");

    test::CommandResult run = test::runCommand({test::builtTool("cdimage"), "-lCD", "-h", "-n",
                                                "-b" + boot, dir / "tree", dir / "tree/OUT.ISO"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr("SECRET.TXT: the link leads out of the tree"));
    EXPECT_THAT(run.output, HasSubstr("KEYS: the link leads out of the tree"));
    std::string listing = imageListing(dir / "tree/OUT.ISO");
    EXPECT_THAT(listing, HasSubstr("/COPY.SIF"));
    EXPECT_THAT(listing, HasSubstr("/I386/TXTSETUP.SIF"));
    EXPECT_THAT(listing, Not(HasSubstr("SECRET")));
    EXPECT_THAT(listing, Not(HasSubstr("KEYS")));
    EXPECT_THAT(listing, Not(HasSubstr("ORNIBE")));
    EXPECT_THAT(test::slurp(dir / "tree/OUT.ISO"), Not(HasSubstr("private bytes")));
    // The stale temporary of this image is gone; another name's is kept.
    EXPECT_THAT(pendingFilesIn(dir / "tree"), ::testing::ElementsAre(".OTHER.ISO.ornibe-Zz9yXw"));
    EXPECT_EQ(test::snapshotTree(dir / "private"), before);
}

// An image name that is a file of the tree: the tree keeps its file.
TEST(ToolLinkSafety, cdimage_never_writes_over_a_tree_file_that_is_not_an_image) {
    TempDir dir;
    dir.write("tree/I386/TXTSETUP.SIF", "[Version]\r\n");
    std::string boot = dir.write("BOOTSECT.BIN", std::string(2048, 'B'));
    test::TreeSnapshot before = test::snapshotTree(dir / "tree");

    test::CommandResult run = test::runCommand(
        {test::builtTool("cdimage"), "-lCD", "-h", "-n", "-b" + boot, ".", "I386/TXTSETUP.SIF"},
        dir / "tree");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.output, HasSubstr("it is a file of the tree, not an earlier image"));
    EXPECT_EQ(test::snapshotTree(dir / "tree"), before);
}

// A stop of the build ends cdimage with SIGTERM while it writes: its
// partial image goes with it, and the tree is as it was.
TEST(ToolLinkSafety, killed_cdimage_leaves_no_partial_image) {
    TempDir dir;
    for (int i = 0; i < 8; ++i) {
        dir.write("tree/I386/BIG" + std::to_string(i) + ".CAB", test::noiseBytes(16 << 20, i));
    }
    std::string boot = dir.write("BOOTSECT.BIN", std::string(2048, 'B'));
    test::TreeSnapshot before = test::snapshotTree(dir / "tree");

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::string tool = test::builtTool("cdimage");
        std::string label = "-lCD";
        std::string bootArg = "-b" + boot;
        std::string tree = dir / "tree";
        std::string image = dir / "tree/OUT.ISO";
        execl(tool.c_str(), tool.c_str(), label.c_str(), "-h", bootArg.c_str(), tree.c_str(),
              image.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // Wait until the partial image exists and has grown, then stop it.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    bool writing = false;
    while (!writing && std::chrono::steady_clock::now() < deadline) {
        for (const std::string& name : pendingFilesIn(dir / "tree")) {
            struct stat st {};
            writing = stat((dir / "tree/" + name).c_str(), &st) == 0 && st.st_size > (1 << 20);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(writing) << "cdimage never started writing";
    kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "cdimage finished before the stop";
    EXPECT_EQ(WTERMSIG(status), SIGTERM);

    EXPECT_THAT(pendingFilesIn(dir / "tree"), IsEmpty());
    EXPECT_FALSE(fs::exists(dir / "tree/OUT.ISO"));
    EXPECT_EQ(test::snapshotTree(dir / "tree"), before);
}

// makecab's destination is a link to a file outside: the link is refused,
// the file it leads to keeps its bytes.
TEST(ToolLinkSafety, makecab_never_writes_through_a_link) {
    TempDir dir;
    dir.write("outside/victim", "kept");
    std::string source = dir.write("media/x.sys", "driver bytes");
    dir.mkdir("I386");
    ASSERT_EQ(symlink((dir / "outside/victim").c_str(), (dir / "I386/x.sy_").c_str()), 0);
    test::TreeSnapshot before = test::snapshotTree(dir / "outside");

    test::CommandResult run =
        test::runCommand({test::builtTool("makecab"), "/L", dir / "I386", source});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.output, HasSubstr("シンボリックリンクです"));
    EXPECT_EQ(test::snapshotTree(dir / "outside"), before);
    EXPECT_THAT(pendingFilesIn(dir / "I386"), IsEmpty());
}

} // namespace
} // namespace ornibe
