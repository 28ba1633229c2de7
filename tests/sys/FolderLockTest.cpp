#include "sys/FolderLock.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

extern char** environ;

namespace ornibe {
namespace {

using Result = FolderLock::Result;
using test::TempDir;

TEST(FolderLock, one_holder_at_a_time_whatever_path_names_the_folder) {
    TempDir dir;
    const std::string work = dir.mkdir("work");
    ASSERT_EQ(::symlink(work.c_str(), (dir / "alias").c_str()), 0);

    FolderLock first;
    ASSERT_EQ(first.take(work), Result::Taken);
    EXPECT_TRUE(first.held());
    FolderLock second;
    EXPECT_EQ(second.take(work), Result::Busy);
    EXPECT_EQ(second.take(work + "/"), Result::Busy);
    EXPECT_EQ(second.take(dir / "alias"), Result::Busy);
    EXPECT_FALSE(second.held());
    // Nothing is added to the folder.
    EXPECT_TRUE(std::filesystem::is_empty(work));

    // Another folder is another lock; taking it lets go of the first.
    EXPECT_EQ(first.take(dir.mkdir("other")), Result::Taken);
    EXPECT_EQ(second.take(work), Result::Taken);
    second.release();
    EXPECT_FALSE(second.held());
    {
        FolderLock scoped;
        EXPECT_EQ(scoped.take(work), Result::Taken);
    }
    EXPECT_EQ(second.take(work), Result::Taken);

    FolderLock missing;
    EXPECT_EQ(missing.take(dir / "missing"), Result::Failed);
    EXPECT_EQ(missing.take(dir.write("file", "x")), Result::Failed);
    EXPECT_FALSE(missing.held());
}

TEST(FolderLock, a_program_started_while_it_is_held_never_holds_it) {
    TempDir dir;
    const std::string work = dir.mkdir("work");
    FolderLock mine;
    ASSERT_EQ(mine.take(work), Result::Taken);

    // cat, waiting on a pipe, outlives the lock here: it did not inherit
    // it, so once this process lets go, the folder is free. posix_spawn
    // returns as soon as the child has replaced its memory, which the
    // kernel does before it closes the close-on-exec descriptors: until
    // cat runs, its copy of the descriptor still holds the lock. A byte
    // that cat echoes says that it runs.
    int input[2];
    int output[2];
    ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    char cat[] = "cat";
    char* argv[] = {cat, nullptr};
    pid_t child = 0;
    ASSERT_EQ(::posix_spawnp(&child, "cat", &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    char echoed = 0;
    ASSERT_EQ(::write(input[1], "x", 1), 1);
    ASSERT_EQ(::read(output[0], &echoed, 1), 1);
    EXPECT_EQ(echoed, 'x');
    mine.release();
    FolderLock after;
    EXPECT_EQ(after.take(work), Result::Taken);
    ::close(input[1]);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    ::close(output[0]);
}

} // namespace
} // namespace ornibe
