#include "sys/FolderLock.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
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

TEST(FolderLock, a_killed_holder_lets_go_and_a_started_program_never_holds_it) {
    TempDir dir;
    const std::string work = dir.mkdir("work");

    // A process that holds the lock and waits to be killed.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        FolderLock lock;
        char state = lock.take(work) == Result::Taken ? 'y' : 'n';
        (void)!::write(ready[1], &state, 1);
        for (;;) {
            ::pause();
        }
    }
    ::close(ready[1]);
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(state, 'y');
    FolderLock mine;
    EXPECT_EQ(mine.take(work), Result::Busy);
    ::kill(holder, SIGKILL);
    ASSERT_EQ(::waitpid(holder, nullptr, 0), holder);
    ASSERT_EQ(mine.take(work), Result::Taken);

    // A program started while the lock is held (cat, waiting on a pipe)
    // does not inherit it: once this process lets go, the folder is free.
    int input[2];
    ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char cat[] = "cat";
    char* argv[] = {cat, nullptr};
    pid_t child = 0;
    ASSERT_EQ(::posix_spawnp(&child, "cat", &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    mine.release();
    FolderLock after;
    EXPECT_EQ(after.take(work), Result::Taken);
    ::close(input[1]);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
}

} // namespace
} // namespace ornibe
