#include "sys/CopyTree.h"

#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <stdexcept>

using namespace ornibe;
using namespace ornibe::test;

namespace fs = std::filesystem;

namespace {

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

void setTime(const std::string& path, time_t seconds) {
    timespec times[2] = {{seconds, 0}, {seconds, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// Every entry below root, as relative paths.
std::set<std::string> entriesBelow(const std::string& root) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        names.insert(fs::relative(entry.path(), root).string());
    }
    return names;
}

// A small installation CD: files in nested folders, read-only as a CD
// gives them, with fixed times.
void makeCd(const TempDir& dir) {
    dir.write("cd/WIN51", "");
    dir.write("cd/I386/TXTSETUP.SIF", "[SourceDisksFiles]\r\n\x1A");
    dir.write("cd/I386/SYSTEM32/SMSS.EXE", std::string(300000, 's'));
    dir.write("cd/I386/ASMS/1000/MSFT/X.MAN", "man");
    for (const char* file : {"cd/WIN51", "cd/I386/TXTSETUP.SIF", "cd/I386/SYSTEM32/SMSS.EXE",
                             "cd/I386/ASMS/1000/MSFT/X.MAN"}) {
        chmod((dir / file).c_str(), 0444);
        setTime(dir / file, 1000000000);
    }
    for (const char* folder : {"cd/I386/ASMS/1000/MSFT", "cd/I386/ASMS/1000", "cd/I386/ASMS",
                               "cd/I386/SYSTEM32", "cd/I386"}) {
        chmod((dir / folder).c_str(), 0555);
        setTime(dir / folder, 1100000000);
    }
}

} // namespace

TEST(CopyTree, copies_every_file_and_folder_with_bits_and_times) {
    TempDir dir;
    makeCd(dir);
    ASSERT_EQ(symlink("TXTSETUP.SIF", (dir / "cd/I386/LINK.SIF").c_str()), 0);
    CopyResult result = copyTree(dir / "cd", dir / "work/tree");
    ASSERT_TRUE(result) << result.failedPath << ": " << result.reason;
    std::set<std::string> expected = entriesBelow(dir / "cd");
    expected.insert("I386/LINK.SIF");
    EXPECT_EQ(expected, entriesBelow(dir / "work/tree"));
    EXPECT_TRUE(fileHolds(dir / "work/tree/I386/TXTSETUP.SIF", "[SourceDisksFiles]\r\n\x1A"));
    EXPECT_TRUE(fileHolds(dir / "work/tree/I386/SYSTEM32/SMSS.EXE", std::string(300000, 's')));

    struct stat file = statOf(dir / "work/tree/I386/SYSTEM32/SMSS.EXE");
    EXPECT_EQ(file.st_mode & 07777, 0444u);
    EXPECT_EQ(file.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(file.st_mtim.tv_nsec, 123456789);
    struct stat folder = statOf(dir / "work/tree/I386/ASMS");
    EXPECT_EQ(folder.st_mode & 07777, 0555u);
    EXPECT_EQ(folder.st_mtim.tv_sec, 1100000000);
    // A link that stays inside the CD arrives as the file it names.
    struct stat link = statOf(dir / "work/tree/I386/LINK.SIF");
    EXPECT_TRUE(S_ISREG(link.st_mode));
    EXPECT_TRUE(fileHolds(dir / "work/tree/I386/LINK.SIF", "[SourceDisksFiles]\r\n\x1A"));
    EXPECT_TRUE(result.leftOut.empty());
}

TEST(CopyTree, replaces_files_in_an_existing_destination_and_keeps_the_others) {
    TempDir dir;
    makeCd(dir);
    // What a former build left: a read-only tree with older content and a
    // file of its own.
    dir.write("work/I386/TXTSETUP.SIF", "old");
    dir.write("work/I386/OEM.INF", "kept");
    chmod((dir / "work/I386/TXTSETUP.SIF").c_str(), 0444);
    chmod((dir / "work/I386").c_str(), 0555);
    CopyResult result = copyTree(dir / "cd", dir / "work");
    ASSERT_TRUE(result) << result.failedPath << ": " << result.reason;
    EXPECT_TRUE(fileHolds(dir / "work/I386/TXTSETUP.SIF", "[SourceDisksFiles]\r\n\x1A"));
    EXPECT_TRUE(fileHolds(dir / "work/I386/OEM.INF", "kept"));
    EXPECT_EQ(statOf(dir / "work/I386").st_mode & 07777, 0555u);
    // No work file of the copy is left anywhere.
    EXPECT_EQ(entriesBelow(dir / "work"),
              (std::set<std::string>{"I386", "I386/OEM.INF", "I386/TXTSETUP.SIF", "I386/SYSTEM32",
                                     "I386/SYSTEM32/SMSS.EXE", "I386/ASMS", "I386/ASMS/1000",
                                     "I386/ASMS/1000/MSFT", "I386/ASMS/1000/MSFT/X.MAN", "WIN51"}));
}

TEST(CopyTree, uses_entries_that_differ_only_in_case) {
    TempDir dir;
    makeCd(dir);
    dir.write("work/i386/txtsetup.sif", "old lower case");
    CopyResult result = copyTree(dir / "cd", dir / "work");
    ASSERT_TRUE(result) << result.failedPath << ": " << result.reason;
    EXPECT_FALSE(fs::exists(dir / "work/I386"));
    EXPECT_FALSE(fs::exists(dir / "work/i386/TXTSETUP.SIF"));
    EXPECT_TRUE(fileHolds(dir / "work/i386/txtsetup.sif", "[SourceDisksFiles]\r\n\x1A"));
    EXPECT_TRUE(fs::exists(dir / "work/i386/SYSTEM32/SMSS.EXE"));
}

TEST(CopyTree, reports_progress_up_to_the_totals) {
    TempDir dir;
    makeCd(dir);
    dir.write("cd/BIG.CAB", std::string(20u << 20, 'c'));
    std::vector<CopyProgress> reports;
    CopyResult result =
        copyTree(dir / "cd", dir / "work", [&](const CopyProgress& p) { reports.push_back(p); });
    ASSERT_TRUE(result);
    ASSERT_FALSE(reports.empty());
    std::uint64_t bytes = (20u << 20) + 300000 + 3 + 21 + 0;
    for (size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].bytesTotal, bytes);
        EXPECT_EQ(reports[i].filesTotal, 5u);
        if (i > 0) {
            EXPECT_GE(reports[i].bytesDone, reports[i - 1].bytesDone);
            EXPECT_GE(reports[i].filesDone, reports[i - 1].filesDone);
        }
    }
    EXPECT_EQ(reports.back().bytesDone, bytes);
    EXPECT_EQ(reports.back().filesDone, 5u);
    // The big file reports between its chunks, before it is done.
    bool midFile = false;
    for (const CopyProgress& p : reports) {
        midFile = midFile || (p.filesDone == 0 && p.bytesDone > 0);
    }
    EXPECT_TRUE(midFile);
}

TEST(CopyTree, cancel_half_way_stops_and_keeps_what_was_copied) {
    TempDir dir;
    for (int i = 0; i < 10; ++i) {
        dir.write("cd/F" + std::to_string(i) + ".DAT", "data");
    }
    std::atomic<bool> cancel{false};
    CopyResult result = copyTree(
        dir / "cd", dir / "work",
        [&](const CopyProgress& p) {
            if (p.filesDone == 5) {
                cancel = true;
            }
        },
        &cancel);
    EXPECT_FALSE(result);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.failures, 0u);
    EXPECT_EQ(entriesBelow(dir / "work"),
              (std::set<std::string>{"F0.DAT", "F1.DAT", "F2.DAT", "F3.DAT", "F4.DAT"}));
}

TEST(CopyTree, cancel_inside_a_large_file_leaves_no_part_of_it) {
    TempDir dir;
    dir.write("cd/A.DAT", "small");
    dir.write("cd/B.CAB", std::string(30u << 20, 'x'));
    dir.write("cd/C.DAT", "after");
    std::atomic<bool> cancel{false};
    int reportsInside = 0;
    CopyResult result = copyTree(
        dir / "cd", dir / "work",
        [&](const CopyProgress& p) {
            if (p.filesDone == 1 && p.bytesDone > 5) {
                ++reportsInside;
                cancel = true;
            }
        },
        &cancel);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(reportsInside, 1);
    EXPECT_EQ(entriesBelow(dir / "work"), (std::set<std::string>{"A.DAT"}));
}

TEST(CopyTree, special_file_is_reported_and_the_rest_is_copied) {
    TempDir dir;
    makeCd(dir);
    // A named pipe stands for a file that cannot be read: opening it for
    // reading would wait for a writer for ever.
    std::string fifo = dir / "cd/I386/PIPE.SYS";
    chmod((dir / "cd/I386").c_str(), 0755);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    CopyResult result = copyTree(dir / "cd", dir / "work");
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.failures, 1u);
    EXPECT_EQ(result.failedPath, fifo);
    EXPECT_EQ(result.reason, "ファイル、フォルダ、リンクのどれでもありません");
    EXPECT_FALSE(fs::exists(dir / "work/I386/PIPE.SYS"));
    EXPECT_TRUE(fs::exists(dir / "work/I386/TXTSETUP.SIF"));
    EXPECT_TRUE(fs::exists(dir / "work/I386/SYSTEM32/SMSS.EXE"));
}

TEST(CopyTree, file_that_fails_to_read_is_reported_with_its_reason) {
    // The progress report after the first file turns a later one into a
    // folder and removes the next, so that opening or reading them fails
    // the way a bad medium does. The files between are more than the copy
    // opens ahead of the one it puts in place.
    TempDir dir;
    dir.write("cd/A.DAT", "a");
    std::set<std::string> copied{"A.DAT", "D.DAT"};
    for (std::size_t i = 0; i < TreeWriter::kReadAhead; ++i) {
        std::string name = "AF" + std::to_string(10 + i) + ".DAT";
        dir.write("cd/" + name, name);
        copied.insert(name);
    }
    std::string turned = dir.write("cd/B.DAT", "b");
    std::string vanished = dir.write("cd/C.DAT", "c");
    dir.write("cd/D.DAT", "d");
    bool injected = false;
    CopyResult result = copyTree(dir / "cd", dir / "work", [&](const CopyProgress& p) {
        if (p.filesDone == 1 && !injected) {
            injected = true;
            fs::remove(turned);
            fs::create_directory(turned);
            fs::remove(vanished);
        }
    });
    EXPECT_FALSE(result);
    EXPECT_EQ(result.failures, 2u);
    EXPECT_EQ(result.failedPath, turned);
    EXPECT_EQ(result.reason, "Is a directory");
    EXPECT_EQ(entriesBelow(dir / "work"), copied);
}

TEST(CopyTree, name_in_the_way_is_reported) {
    TempDir dir;
    dir.write("cd/I386/FILE.TXT", "f");
    dir.write("cd/README.TXT", "r");
    dir.mkdir("work/README.TXT");           // a folder where a file goes
    dir.write("work/I386", "not a folder"); // a file where a folder goes
    CopyResult result = copyTree(dir / "cd", dir / "work");
    EXPECT_FALSE(result);
    EXPECT_EQ(result.failures, 2u);
    EXPECT_EQ(result.failedPath, dir / "cd/I386");
    EXPECT_EQ(result.reason,
              "作業フォルダに同じ名前のフォルダでないものがあります: " + dir / "work/I386");
    EXPECT_TRUE(fileHolds(dir / "work/I386", "not a folder"));
}

TEST(CopyTree, bad_source_or_destination_copies_nothing) {
    TempDir dir;
    dir.write("cd/I386/TXTSETUP.SIF", "t");
    std::string file = dir.write("file", "x");
    struct Case {
        std::string from;
        std::string to;
        std::string failedPath;
        std::string reason;
    };
    const Case cases[] = {
        {dir / "missing", dir / "work1", dir / "missing", "No such file or directory"},
        {file, dir / "work2", file, "Not a directory"},
        {dir / "cd", dir / "cd/I386/work", dir / "cd/I386/work",
         "コピー先がコピー元の中にあります"},
        {dir / "cd", dir / "cd", dir / "cd", "コピー先がコピー元の中にあります"},
        {dir / "cd", file + "/work", file + "/work", "Not a directory"},
    };
    for (const Case& c : cases) {
        CopyResult result = copyTree(c.from, c.to);
        EXPECT_FALSE(result) << c.from << " -> " << c.to;
        EXPECT_EQ(result.failures, 1u);
        EXPECT_EQ(result.failedPath, c.failedPath);
        EXPECT_EQ(result.reason, c.reason);
    }
    EXPECT_EQ(entriesBelow(dir.path()),
              (std::set<std::string>{"cd", "cd/I386", "cd/I386/TXTSETUP.SIF", "file"}));
}

TEST(CopyTree, progress_callback_that_throws_leaves_no_partial_file) {
    TempDir dir;
    dir.write("cd/BIG.CAB", std::string(20u << 20, 'b'));
    EXPECT_THROW(copyTree(dir / "cd", dir / "work",
                          [](const CopyProgress&) { throw std::runtime_error("window gone"); }),
                 std::runtime_error);
    EXPECT_EQ(entriesBelow(dir / "work"), std::set<std::string>{});
}

TEST(CopyTree, longest_file_name_is_copied) {
    TempDir dir;
    std::string name(255, 'N');
    dir.write("cd/" + name, "long");
    CopyResult result = copyTree(dir / "cd", dir / "work");
    ASSERT_TRUE(result) << result.failedPath << ": " << result.reason;
    EXPECT_TRUE(fileHolds(dir / ("work/" + name), "long"));
}

// A CD whose links lead out of it, and a work folder with links where the
// copy writes: nothing outside the work folder changes, and the copy never
// brings a link or what lies outside the CD.
TEST(CopyTree, links_never_lead_the_copy_outside) {
    TempDir dir;
    makeCd(dir);
    dir.write("outside/I386/TXTSETUP.SIF", "the user's file");
    dir.write("outside/secret.txt", "private bytes");
    ASSERT_EQ(chmod((dir / "cd/I386").c_str(), 0755), 0);
    ASSERT_EQ(symlink((dir / "outside/I386").c_str(), (dir / "cd/LINKED").c_str()), 0);
    ASSERT_EQ(symlink("../../outside/secret.txt", (dir / "cd/I386/SECRET.TXT").c_str()), 0);
    ASSERT_EQ(symlink("SYSTEM32", (dir / "cd/I386/SYS").c_str()), 0);
    ASSERT_EQ(symlink("..", (dir / "cd/I386/UP").c_str()), 0);
    // Links planted in the work folder: at a file's name and at a folder's.
    dir.mkdir("work/I386");
    ASSERT_EQ(symlink((dir / "outside/secret.txt").c_str(), (dir / "work/WIN51").c_str()), 0);
    ASSERT_EQ(symlink((dir / "outside/I386").c_str(), (dir / "work/I386/ASMS").c_str()), 0);
    TreeSnapshot before = snapshotTree(dir / "outside");

    CopyResult result = copyTree(dir / "cd", dir / "work");
    EXPECT_EQ(snapshotTree(dir / "outside"), before);
    // The link where a folder goes is refused by its name.
    EXPECT_EQ(result.failures, 1u);
    EXPECT_EQ(result.failedPath, dir / "work/I386/ASMS");
    // A link at a file's name is replaced by the file.
    EXPECT_TRUE(fileHolds(dir / "work/WIN51", ""));
    EXPECT_FALSE(fs::is_symlink(dir / "work/WIN51"));
    // Inside the CD a link is copied as what it names; out of it, nothing.
    EXPECT_TRUE(fileHolds(dir / "work/I386/SYS/SMSS.EXE", std::string(300000, 's')));
    EXPECT_FALSE(fs::exists(dir / "work/LINKED"));
    EXPECT_FALSE(fs::exists(dir / "work/I386/SECRET.TXT"));
    EXPECT_FALSE(fs::exists(dir / "work/I386/UP"));
    ASSERT_EQ(result.leftOut.size(), 3u);
    EXPECT_EQ(result.leftOut[0], dir / "cd/I386/SECRET.TXT" + ": リンク先がコピー元の外にあります");
    EXPECT_EQ(result.leftOut[1],
              dir / "cd/I386/UP" + ": リンク先がこのフォルダより上のフォルダです");
    EXPECT_EQ(result.leftOut[2], dir / "cd/LINKED" + ": リンク先がコピー元の外にあります");
}

// A write into the work folder that fails (the file is too large for the
// limit): the failure names the work folder's file, not the CD's.
TEST(CopyTree, failed_write_names_the_work_folder_file) {
    TempDir dir;
    makeCd(dir);
    CopyResult result = [&] {
        FileSizeLimit limit(100000);
        return copyTree(dir / "cd", dir / "work");
    }();
    EXPECT_EQ(result.failures, 1u);
    EXPECT_EQ(result.failedPath, dir / "work/I386/SYSTEM32/SMSS.EXE");
    EXPECT_EQ(result.reason, "File too large");
    EXPECT_FALSE(fs::exists(dir / "work/I386/SYSTEM32/SMSS.EXE"));
    EXPECT_EQ(entriesBelow(dir / "work/I386/SYSTEM32"), std::set<std::string>{});
}
