#include "sys/FileIo.h"
#include "sys/FileError.h"
#include "sys/HostPath.h"
#include "sys/PendingFile.h"

#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>

using namespace ornibe;
using namespace ornibe::test;

TEST(FileIo, read_error_names_path_operation_and_reason) {
    TempDir dir;
    try {
        readFile(dir / "missing.sif");
        FAIL() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), dir / "missing.sif");
        EXPECT_EQ(error.operation(), "open");
        EXPECT_EQ(error.reason(), "No such file or directory");
    }
    EXPECT_THROW(readFile(dir.path()), FileError);
}

TEST(FileIo, atomic_write_replaces_content_and_keeps_permission_bits) {
    TempDir dir;
    std::string file = dir.write("TXTSETUP.SIF", "old");
    chmod(file.c_str(), 0640);
    writeFileAtomic(file, std::string("new\r\n\x1A", 6));
    EXPECT_TRUE(fileHolds(file, std::string("new\r\n\x1A", 6)));
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(FileIo, atomic_write_to_a_read_only_file_leaves_it_as_it_was) {
    TempDir dir;
    std::string file = dir.write("DOSNET.INF", "keep");
    chmod(file.c_str(), 0444);
    try {
        writeFileAtomic(file, "lost");
        FAIL() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.reason(), "Permission denied");
    }
    EXPECT_TRUE(fileHolds(file, "keep"));
}

TEST(FileIo, atomic_write_that_cannot_make_its_copy_leaves_the_file_as_it_was) {
    TempDir dir;
    std::string file = dir.write("DOSNET.INF", "keep");
    // Files may not grow past 100 bytes: the copy beside it cannot be made.
    bool threw = false;
    try {
        FileSizeLimit limit(100);
        writeFileAtomic(file, std::string(1000, 'x'));
    } catch (const FileError&) {
        threw = true;
    }
    EXPECT_TRUE(threw);
    EXPECT_TRUE(fileHolds(file, "keep"));
    // Nothing beside it either.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(FileIo, atomic_write_into_a_missing_folder_fails_and_creates_nothing) {
    TempDir dir;
    EXPECT_THROW(writeFileAtomic(dir / "missing/SVCPACK.INF", "x"), FileError);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
}

TEST(FileIo, make_folders_creates_every_missing_level) {
    TempDir dir;
    makeFolders(dir / "a/b/c");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a/b/c"));
    std::string file = dir.write("f", "");
    EXPECT_THROW(makeFolders(file + "/sub"), FileError);
    removeFile(file);
    removeFile(file);
}

// Links planted where the atomic write works: at the file's own name, and
// at the temporary name an earlier version used. Neither is written
// through; the file a link leads to keeps its bytes.
TEST(FileIo, atomic_write_never_writes_through_a_link) {
    TempDir dir;
    std::string victim = dir.write("outside/victim", "kept");
    std::string sif = dir.write("I386/TXTSETUP.SIF", "old");
    ASSERT_EQ(symlink(victim.c_str(), (dir / "I386/.TXTSETUP.SIF.ornibe-new").c_str()), 0);
    ASSERT_EQ(symlink(victim.c_str(), (dir / "I386/DOSNET.INF").c_str()), 0);
    TreeSnapshot before = snapshotTree(dir / "outside");

    writeFileAtomic(sif, "patched");
    EXPECT_TRUE(fileHolds(sif, "patched"));
    try {
        writeFileAtomic(dir / "I386/DOSNET.INF", "patched");
        FAIL() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), dir / "I386/DOSNET.INF");
        EXPECT_EQ(error.reason(), "シンボリックリンクです");
    }
    EXPECT_EQ(snapshotTree(dir / "outside"), before);
}

TEST(FileIo, pending_files_are_known_by_their_destination_and_only_theirs_are_cleaned_up) {
    TempDir dir;
    std::string image = dir / "out.iso";
    PendingFile pending(image);
    std::string name = fileName(pending.path());
    EXPECT_TRUE(isPendingFileName(name));
    EXPECT_TRUE(isPendingFileOf(name, "out.iso"));
    EXPECT_FALSE(isPendingFileOf(name, "out"));
    EXPECT_FALSE(isPendingFileOf(".out.iso.old", "out.iso"));

    // A killed run's leftovers go; a neighbour's pending file and a file
    // that only looks similar stay.
    std::string neighbour = fileName(PendingFile(dir / "other.iso").path());
    dir.write(neighbour, "kept");
    dir.write(".out.iso.ornibe-notours", "kept");
    removeStalePendingFiles(image);
    EXPECT_FALSE(std::filesystem::exists(pending.path()));
    EXPECT_TRUE(std::filesystem::exists(dir / neighbour));
    EXPECT_TRUE(std::filesystem::exists(dir / ".out.iso.ornibe-notours"));
}
