// ornibe-build reading a CD image it must not trust: crafted folder
// records, Ctrl+C while it reads, a work folder it cannot write.

#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/IsoFixtures.h"
#include "support/TempDir.h"
#include "sys/PendingFile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// Far longer than any of these runs takes; a read that does not end is
// killed and fails the test.
constexpr int kTimeLimitSeconds = 60;

class ImageReadingCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(kSampleTree, dir / "cd", fs::copy_options::recursive);
        ASSERT_TRUE(makeIsoImage(dir / "cd", dir / "cd.iso", {}));
        good = slurp(dir / "cd.iso");
        out = dir.mkdir("out");
        dir.write("out/keep.txt", "the user's file");
    }

    std::vector<std::string> build(const std::string& source, const std::string& work) {
        return withTimeLimit(kTimeLimitSeconds,
                             {kProgram, "--source", source, "--work", work, "--yes", "--quiet"});
    }

    TempDir dir;
    std::string good;
    std::string out;
};

// The record in each tree (ISO 9660, Joliet) paired with the root's own.
void forEachTree(std::string& image, const std::string& path,
                 const std::function<void(size_t record, size_t root)>& patch) {
    std::vector<size_t> records = isoRecordsOf(image, path);
    std::vector<size_t> roots = isoSelfRecordsOf(image, "");
    ASSERT_EQ(records.size(), roots.size()) << path;
    for (size_t i = 0; i < records.size(); ++i) {
        patch(records[i], roots[i]);
    }
}

TEST_F(ImageReadingCommandTest, crafted_images_are_refused_at_next_naming_the_entry) {
    struct Case {
        std::string name;
        std::function<void(std::string&)> craft;
        // The entry the message names, relative to the image; empty when
        // it names the image alone.
        std::string entry;
        std::string reason;
    };
    auto pointAtRoot = [](std::string& image, size_t record, size_t root) {
        setIsoRecordSector(image, record, isoRecordSector(image, root));
        setIsoRecordLength(image, record, isoRecordLength(image, root));
    };
    std::vector<Case> cases = {
        {"folder-names-the-root",
         [&](std::string& image) {
             forEachTree(image, "DOCS",
                         [&](size_t record, size_t root) { pointAtRoot(image, record, root); });
         },
         "DOCS", "フォルダが自分自身かほかのフォルダを含んでいます (ループ)"},
        {"self-names-an-ancestor",
         [&](std::string& image) {
             std::vector<size_t> selves = isoSelfRecordsOf(image, "I386");
             std::vector<size_t> roots = isoSelfRecordsOf(image, "");
             for (size_t i = 0; i < selves.size(); ++i) {
                 setIsoRecordSector(image, selves[i], isoRecordSector(image, roots[i]));
             }
         },
         "I386", "フォルダの「.」の記録が、そのフォルダ自身でない場所を指しています"},
        {"root-self-names-a-folder",
         [&](std::string& image) {
             std::vector<size_t> roots = isoSelfRecordsOf(image, "");
             std::vector<size_t> i386 = isoRecordsOf(image, "I386");
             for (size_t i = 0; i < roots.size(); ++i) {
                 setIsoRecordSector(image, roots[i], isoRecordSector(image, i386[i]));
                 setIsoRecordLength(image, roots[i], isoRecordLength(image, i386[i]));
             }
         },
         "", "ルートフォルダの「.」の記録が、そのフォルダ自身でない場所を指しています"},
        {"self-size-past-the-end",
         [&](std::string& image) {
             for (size_t self : isoSelfRecordsOf(image, "DOCS")) {
                 setIsoRecordLength(image, self, std::uint32_t(image.size()));
             }
         },
         "DOCS", "フォルダの「.」の記録にある大きさがイメージの終わりを越えています"},
        // Two sectors take in the next folder's records, whose ".." leads
        // back to the root: libisofs followed that without end.
        {"self-size-takes-in-the-next-folder",
         [&](std::string& image) {
             for (size_t self : isoSelfRecordsOf(image, "DOCS")) {
                 setIsoRecordLength(image, self, 2 * 2048);
             }
         },
         "DOCS", "フォルダの「.」の記録にある大きさが、親フォルダの記録と違います"},
        {"interleaved-file",
         [&](std::string& image) {
             for (size_t record : isoRecordsOf(image, "I386/TXTSETUP.SIF")) {
                 image[record + 26] = 1; // file unit size
                 image[record + 27] = 1; // interleave gap
             }
         },
         "I386/TXTSETUP.SIF", "インターリーブ方式で記録されていて、読めません"},
        // What libisofs itself reports is heard: the root's Rock Ridge
        // attributes cut to nothing, which it cannot get past even when it
        // reads the Joliet names.
        {"damaged-rock-ridge",
         [&](std::string& image) {
             size_t self = isoSelfRecordsOf(image, "")[0];
             size_t px = image.find("PX", self + 34);
             ASSERT_LT(px, self + std::uint8_t(image[self]));
             image[px + 2] = 0;
         },
         "", "ISO 9660 のフォルダを読めません ("},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = good;
        c.craft(bytes);
        ASSERT_NE(bytes, good);
        std::string image = dir.write(c.name + ".iso", bytes);
        TreeSnapshot before = snapshotTree(out);
        CommandResult result = runCommand(build(image, out + "/work"));
        EXPECT_EQ(result.exitCode, 2) << result.output;
        EXPECT_THAT(result.output,
                    HasSubstr(image + " は Windows の CD のイメージとして読めません。\n(" +
                              (c.entry.empty() ? "" : image + "/" + c.entry + ": ") + c.reason));
        EXPECT_THAT(result.output, Not(HasSubstr("スタート！")));
        EXPECT_EQ(snapshotTree(out), before);
    }
}

TEST_F(ImageReadingCommandTest, a_rock_ridge_relocation_that_loops_is_refused_within_bounds) {
    // Folders deeper than ISO 9660 allows are relocated, and Rock Ridge
    // records where each belongs (a CL entry). One that names the root
    // again makes a loop that no folder record shows.
    fs::create_directories(dir / "cd/a/b/c/d/e/f/g/h/i/j");
    dir.write("cd/a/b/c/d/e/f/g/h/i/j/deep.txt", "deep");
    IsoRecipe recipe;
    recipe.extra = {"-rr_reloc_dir", "RR_MOVED"};
    ASSERT_TRUE(makeIsoImage(dir / "cd", dir / "deep.iso", recipe));
    std::string bytes = slurp(dir / "deep.iso");
    const std::uint32_t root = isoRecordSector(bytes, isoSelfRecordsOf(bytes, "")[0]);
    size_t links = 0;
    for (size_t at = bytes.find(std::string("CL\x0c\x01", 4)); at != std::string::npos;
         at = bytes.find(std::string("CL\x0c\x01", 4), at + 1)) {
        // The entry holds its location 4 bytes in, as a record does 2.
        setIsoRecordSector(bytes, at + 2, root);
        ++links;
    }
    ASSERT_GT(links, 0u);
    std::string image = dir.write("relocation-loop.iso", bytes);

    TreeSnapshot before = snapshotTree(out);
    CommandResult result = runCommand(build(image, out + "/work"));
    EXPECT_EQ(result.exitCode, 2) << result.output;
    EXPECT_THAT(result.output, HasSubstr("(" + image + "/a/b/c/d/e/f/g/h/a/b/c/d/e/f/g/h/"));
    EXPECT_THAT(result.output,
                HasSubstr(": フォルダの記録をたどり終わりません (記録がループしています))"));
    EXPECT_EQ(snapshotTree(out), before);
}

TEST_F(ImageReadingCommandTest, ctrl_c_while_an_image_is_copied_stops_and_leaves_no_pending_file) {
    // The first file copied claims 4 GB of the image, which is made that
    // long without taking the room: the copy is still running when the
    // signal comes, however fast the disk is.
    std::string bytes = good;
    std::uint64_t end = 0;
    for (size_t record : isoRecordsOf(bytes, "AUTORUN.INF")) {
        setIsoRecordLength(bytes, record, 0xFFFF0000u);
        end = std::uint64_t(isoRecordSector(bytes, record)) * 2048 + 0xFFFF0000u;
    }
    std::string image = dir.write("big.iso", bytes);
    fs::resize_file(image, end);
    const std::string work = out + "/work";

    RunningCommand run(build(image, work));
    ASSERT_TRUE(run.started());
    ASSERT_TRUE(run.waitForOutput("CD の内容を作業フォルダにコピーしています"));
    run.sendSignal(SIGINT);
    CommandResult result = run.finish();
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_THAT(result.output, HasSubstr("ornibe-build: 中止しました"));
    EXPECT_THAT(result.output, Not(HasSubstr("完成です！")));
    EXPECT_FALSE(fs::exists(work + "/AUTORUN.INF"));
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        EXPECT_FALSE(isPendingFileName(entry.path().filename().string())) << entry.path();
    }
}

TEST_F(ImageReadingCommandTest, a_write_failure_names_the_work_folder_file_as_for_a_folder) {
    // The same CD as a folder and as an image, with one file the work
    // folder cannot take: no file may grow past 1 MB.
    dir.write("cd/I386/BIG.CAB", noise(4 << 20, 3));
    ASSERT_TRUE(makeIsoImage(dir / "cd", dir / "big.iso", {}));
    for (const std::string& source : {dir / "cd", dir / "big.iso"}) {
        SCOPED_TRACE(source);
        const std::string work = out + "/" + fs::path(source).filename().string() + "-work";
        CommandResult result;
        {
            FileSizeLimit limit(1 << 20);
            result = runCommand(build(source, work));
        }
        EXPECT_EQ(result.exitCode, 1) << result.output;
        EXPECT_THAT(result.output, HasSubstr("コピーに失敗しました\n" + work +
                                             "/I386/BIG.CAB: " + std::strerror(EFBIG)));
        EXPECT_FALSE(fs::exists(work + "/I386/BIG.CAB"));
    }
}

} // namespace
} // namespace ornibe::test
