#include "sys/TreeWriter.h"

#include "sys/FileError.h"
#include "sys/UniqueFd.h"

#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

using namespace ornibe;
using namespace ornibe::test;

namespace fs = std::filesystem;

namespace {

TreeEntry fileEntry(const std::string& name, const std::string& sourcePath, std::uint64_t bytes) {
    TreeEntry entry;
    entry.name = name;
    entry.sourcePath = sourcePath;
    entry.mode = 0640;
    entry.times[1] = {1000000000, 5};
    entry.bytes = bytes;
    return entry;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

} // namespace

// A reader hands a file as pieces of an open file: the writer puts them
// together in order, and a source that ends before a piece it claims, or
// cannot be read at all, fails naming the source's entry.
TEST(TreeWriter, writes_a_file_from_its_extents_and_names_a_source_that_falls_short) {
    TempDir dir;
    std::string from = dir.write("source.bin", "0123456789abcdef");
    UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(in.valid());
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    UniqueFd pipeIn(pipeEnds[0]);
    UniqueFd pipeOut(pipeEnds[1]);

    const Extent pieces[] = {{10, 6}, {0, 4}, {12, kToTheEnd}};
    const Extent pastTheEnd[] = {{0, 4}, {14, 10}};
    const Extent fromThePipe[] = {{0, 4}};
    std::vector<CopyProgress> reports;
    TreeWriter writer(
        {0, 14 + 14 + 4, 0, 3}, [&](const CopyProgress& p) { reports.push_back(p); }, nullptr);
    writer.copyInto(dir / "work", [&](DestFolder& work) {
        writer.copyFile(work, fileEntry("PIECES.BIN", from, 14), {in.get(), pieces});
        writer.copyFile(work, fileEntry("SHORT.BIN", from + ":short", 14), {in.get(), pastTheEnd});
        writer.copyFile(work, fileEntry("PIPE.BIN", "the pipe", 4), {pipeIn.get(), fromThePipe});
    });
    CopyResult result = writer.takeResult();

    EXPECT_TRUE(fileHolds(dir / "work/PIECES.BIN", "abcdef0123cdef"));
    struct stat st {};
    ASSERT_EQ(::stat((dir / "work/PIECES.BIN").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 5);
    // The short file and the pipe leave nothing, not even a pending file.
    EXPECT_EQ(namesIn(dir / "work"), std::vector<std::string>{"PIECES.BIN"});
    EXPECT_EQ(result.failures, 2u);
    EXPECT_EQ(result.failedPath, from + ":short");
    EXPECT_EQ(result.reason, systemReason(EIO));
    // Every file counts as done, failed or not.
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().filesDone, 3u);
    EXPECT_EQ(reports.back().bytesDone, 32u);

    // A pipe has no offsets to read at: reading, not writing, failed.
    TreeWriter again({}, {}, nullptr);
    again.copyInto(dir / "again", [&](DestFolder& work) {
        again.copyFile(work, fileEntry("PIPE.BIN", "the pipe", 4), {pipeIn.get(), fromThePipe});
    });
    CopyResult piped = again.takeResult();
    EXPECT_EQ(piped.failedPath, "the pipe");
    EXPECT_EQ(piped.reason, systemReason(ESPIPE));
}

// A folder gets its bits and times after its content, so that a read-only
// folder can still be filled. One that refuses them (here: a time that
// does not exist, a folder gone from its place when they are set) holds
// its copy all the same: no failure, but counted and the first named.
TEST(TreeWriter, sets_a_folder_bits_and_times_after_its_content_and_counts_those_it_cannot) {
    TempDir dir;
    std::string from = dir.write("source.txt", "text");
    UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_TRUE(in.valid());
    const Extent whole{0, kToTheEnd};

    TreeEntry readOnly;
    readOnly.name = "I386";
    readOnly.sourcePath = dir / "cd/I386";
    readOnly.mode = 0555;
    readOnly.times[0] = {1200000000, 0};
    readOnly.times[1] = {1100000000, 7};
    TreeEntry badTimes = readOnly;
    badTimes.name = "DOCS";
    badTimes.times[1] = {1100000000, 2000000000}; // no such time
    TreeEntry moved = readOnly;
    moved.name = "MOVED";
    TreeWriter writer({}, {}, nullptr);
    writer.copyInto(dir / "work", [&](DestFolder& work) {
        for (const TreeEntry& folder : {readOnly, badTimes, moved}) {
            writer.copyFolder(work, folder, [&](DestFolder& inside) {
                writer.copyFile(inside, fileEntry("FILE.TXT", from, 4), {in.get(), {&whole, 1}});
                if (folder.name == "MOVED") {
                    fs::rename(dir / "work/MOVED", dir / "work/AWAY");
                }
            });
        }
    });
    CopyResult result = writer.takeResult();

    EXPECT_TRUE(fileHolds(dir / "work/I386/FILE.TXT", "text"));
    EXPECT_TRUE(fileHolds(dir / "work/DOCS/FILE.TXT", "text"));
    EXPECT_TRUE(fileHolds(dir / "work/AWAY/FILE.TXT", "text"));
    struct stat st {};
    ASSERT_EQ(::stat((dir / "work/I386").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0555u);
    EXPECT_EQ(st.st_atim.tv_sec, 1200000000);
    EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 7);
    // The bits are set even where the time is refused.
    ASSERT_EQ(::stat((dir / "work/DOCS").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0555u);
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.failures, 0u);
    EXPECT_EQ(result.foldersUnset, 2u);
    EXPECT_EQ(result.unsetPath, dir / "work/DOCS");
    EXPECT_EQ(result.unsetReason, systemReason(EINVAL));

    // Nothing refused, nothing counted.
    TreeWriter plain({}, {}, nullptr);
    plain.copyInto(dir / "plain",
                   [&](DestFolder& work) { plain.copyFolder(work, readOnly, [](DestFolder&) {}); });
    CopyResult clean = plain.takeResult();
    EXPECT_TRUE(clean.ok());
    EXPECT_EQ(clean.foldersUnset, 0u);
    EXPECT_EQ(clean.unsetPath, "");
}
