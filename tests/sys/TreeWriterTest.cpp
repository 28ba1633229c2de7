#include "sys/TreeWriter.h"

#include "sys/FileError.h"
#include "sys/UniqueFd.h"

#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string_view>
#include <utility>
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

namespace {

// What one copy of the tree below gave: its reports, its result and what
// the destination holds (path, bits, time and bytes of every entry).
struct CopyRun {
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports; // files, bytes done
    CopyResult result;
    std::vector<std::string> tree;
};

std::vector<std::string> treeBelow(const std::string& root) {
    std::vector<std::string> lines;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat st {};
        ::lstat(entry.path().c_str(), &st);
        std::string line = fs::relative(entry.path(), root).string() + " " +
                           std::to_string(st.st_mode) + " " + std::to_string(st.st_mtim.tv_sec);
        if (S_ISREG(st.st_mode)) {
            std::ifstream in(entry.path(), std::ios::binary);
            line += " " + std::string(std::istreambuf_iterator<char>(in), {});
        }
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Hands the writer 40 small files and a large one in two folders, among
// them an entry whose name differs from an earlier one only in letter
// case, a source that falls short and a pipe; onReport sees every report
// and may set the cancel flag or throw.
CopyRun copyWith(unsigned workers, const TempDir& dir, const std::string& to,
                 const std::function<void(const CopyProgress&, std::atomic<bool>&)>& onReport) {
    std::string from = dir / "source.bin";
    if (!fs::exists(from)) {
        std::string bytes(20u << 20, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<char>('a' + i % 23);
        }
        dir.write("source.bin", bytes);
    }
    UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    int pipeEnds[2];
    EXPECT_EQ(::pipe(pipeEnds), 0);
    UniqueFd pipeIn(pipeEnds[0]);
    UniqueFd pipeOut(pipeEnds[1]);
    std::vector<Extent> pieces;
    for (std::uint64_t i = 0; i < 40; ++i) {
        pieces.push_back({i * 7, 5 + i});
    }
    const Extent large{0, kToTheEnd};
    const Extent past{(20u << 20) - 3, 10};
    const Extent fromThePipe{0, 4};

    CopyRun run;
    std::atomic<bool> cancel{false};
    TreeWriter writer(
        {0, 0, 0, 0},
        [&](const CopyProgress& p) {
            run.reports.emplace_back(p.filesDone, p.bytesDone);
            onReport(p, cancel);
        },
        &cancel, workers);
    TreeEntry folder = fileEntry("I386", dir / "cd/I386", 0);
    folder.mode = 0755;
    writer.copyInto(to, [&](DestFolder& top) {
        writer.copyFolder(top, folder, [&](DestFolder& i386) {
            for (std::size_t i = 0; i < 20; ++i) {
                writer.copyFile(i386, fileEntry("F" + std::to_string(10 + i), from, 5 + i),
                                {in.get(), {&pieces[i], 1}});
                if (i == 2) {
                    // Handed while F12 may still be on its way.
                    writer.copyFile(i386, fileEntry("f12", from + ":twin", 35),
                                    {in.get(), {&pieces[30], 1}});
                }
            }
            writer.copyFile(i386, fileEntry("BIG.CAB", from, 20u << 20), {in.get(), {&large, 1}});
            writer.copyFile(i386, fileEntry("PAST.BIN", from + ":past", 10),
                            {in.get(), {&past, 1}});
        });
        for (std::size_t i = 20; i < 40; ++i) {
            writer.copyFile(top, fileEntry("G" + std::to_string(i), from, 5 + i),
                            {in.get(), {&pieces[i], 1}});
            if (i == 25) {
                writer.copyFile(top, fileEntry("PIPE", "the pipe", 4),
                                {pipeIn.get(), {&fromThePipe, 1}});
            }
        }
    });
    run.result = writer.takeResult();
    run.tree = fs::exists(to) ? treeBelow(to) : std::vector<std::string>{};
    return run;
}

} // namespace

// Files written ahead on worker threads are put in place in the order they
// were handed: the reports, the failures named, a cancel or a callback
// that throws come out as they do when each file is written in its turn,
// and no pending file is left behind.
TEST(TreeWriter, with_workers_the_copy_comes_out_as_one_file_after_the_other) {
    TempDir dir;
    auto nothing = [](const CopyProgress&, std::atomic<bool>&) {};
    CopyRun alone = copyWith(0, dir, dir / "alone", nothing);
    CopyRun ahead = copyWith(3, dir, dir / "ahead", nothing);
    EXPECT_EQ(ahead.reports, alone.reports);
    EXPECT_EQ(ahead.tree, alone.tree);
    EXPECT_EQ(ahead.result.failures, 2u);
    EXPECT_EQ(ahead.result.failures, alone.result.failures);
    EXPECT_EQ(ahead.result.failedPath, alone.result.failedPath);
    EXPECT_EQ(ahead.result.reason, alone.result.reason);
    // The later of the two names for one file stands.
    std::string twin;
    for (std::uint64_t i = 0; i < 35; ++i) {
        twin += static_cast<char>('a' + (210 + i) % 23);
    }
    EXPECT_TRUE(fileHolds(dir / "ahead/I386/F12", twin));
    // The large file's chunks are reported before it is done: after the
    // 21 files before it come two reports inside it.
    EXPECT_EQ(std::count_if(ahead.reports.begin(), ahead.reports.end(),
                            [](const auto& r) { return r.first == 21; }),
              3);

    // A cancel at the tenth file, at a chunk of the large file, and a
    // callback that throws: the files in place stay, no other is left.
    auto cancelAt = [](std::uint64_t at) {
        return [at](const CopyProgress& p, std::atomic<bool>& cancel) {
            if (p.filesDone == at && (at != 21 || p.bytesDone > 200)) {
                cancel = true;
            }
        };
    };
    auto throwAt = [](const CopyProgress& p, std::atomic<bool>&) {
        if (p.filesDone == 5) {
            throw std::runtime_error("window gone");
        }
    };
    for (std::uint64_t at : {10u, 21u}) {
        std::string name = "cancel" + std::to_string(at);
        CopyRun one = copyWith(0, dir, dir / (name + "-alone"), cancelAt(at));
        CopyRun many = copyWith(3, dir, dir / (name + "-ahead"), cancelAt(at));
        EXPECT_TRUE(many.result.cancelled);
        EXPECT_EQ(many.reports, one.reports) << at;
        EXPECT_EQ(many.tree, one.tree) << at;
        EXPECT_LT(many.tree.size(), alone.tree.size()) << at;
    }
    EXPECT_THROW(copyWith(0, dir, dir / "thrown-alone", throwAt), std::runtime_error);
    EXPECT_THROW(copyWith(3, dir, dir / "thrown-ahead", throwAt), std::runtime_error);
    EXPECT_EQ(treeBelow(dir / "thrown-ahead"), treeBelow(dir / "thrown-alone"));
    EXPECT_EQ(treeBelow(dir / "thrown-ahead").size(), 5u); // I386 and four files
}
