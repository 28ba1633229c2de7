#include "media/IsoImageReader.h"
#include "sys/CopyTree.h"
#include "sys/FileError.h"
#include "sys/PendingFile.h"

#include "support/FileAssertions.h"
#include "support/IsoFixtures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

using namespace ornibe;
using namespace ornibe::test;

namespace {

// Every file below folder by its relative path, with its bytes.
std::map<std::string, std::string> filesBelow(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_symlink() && entry.is_regular_file()) {
            files[std::filesystem::relative(entry.path(), folder).string()] =
                slurp(entry.path().string());
        }
    }
    return files;
}

std::uint32_t le32(const std::string& bytes, size_t at) {
    return std::uint32_t(std::uint8_t(bytes[at])) |
           std::uint32_t(std::uint8_t(bytes[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(bytes[at + 2])) << 16 |
           std::uint32_t(std::uint8_t(bytes[at + 3])) << 24;
}

// The image with the record of the root's subfolder name pointed back at
// the root folder: a folder that contains itself.
std::string withFolderLoop(std::string image, const std::string& name) {
    size_t root = 16 * 2048 + 156;
    std::uint32_t lba = le32(image, root + 2);
    size_t at = size_t(lba) * 2048;
    while (std::uint8_t(image[at]) != 0) {
        size_t length = std::uint8_t(image[at]);
        if (image.compare(at + 33, name.size(), name) == 0 &&
            std::uint8_t(image[at + 32]) == name.size()) {
            image.replace(at + 2, 4, image, root + 2, 4);
            image.replace(at + 6, 4, image, root + 6, 4);
            return image;
        }
        at += length;
    }
    ADD_FAILURE() << "no folder " << name;
    return image;
}

bool folderIsEmpty(const std::string& folder) {
    return std::filesystem::is_empty(folder);
}

bool hasPendingFile(const std::string& folder) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (isPendingFileName(entry.path().filename().string())) {
            return true;
        }
    }
    return false;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// A small Windows CD: setup files, a nested folder, a large file, an empty
// file, a file without an extension, and Rock Ridge links pointing inside
// and outside the image.
class IsoImageReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("tree/I386/TXTSETUP.SIF", "[SourceDisksNames]\r\n1 = \"Windows XP CD\"\r\n");
        dir.write("tree/I386/SYSTEM32/Big.Dll", noise(3 * 1024 * 1024 + 17, 1));
        dir.write("tree/Docs/Read_Me_First.txt", "read me");
        dir.write("tree/WIN51", "");
        dir.write("tree/readme", "no extension");
        std::filesystem::create_symlink("I386/TXTSETUP.SIF", dir / "tree/link_in");
        std::filesystem::create_symlink("/etc/passwd", dir / "tree/link_out");
        dir.mkdir("work");
    }
    TempDir dir;
};

TEST_F(IsoImageReaderTest, copies_the_tree_windows_sees_with_and_without_joliet) {
    ASSERT_TRUE(makeIsoImage(dir / "tree", dir / "joliet.iso", labelled("WXPFPP_JA")));
    IsoImageReader joliet(dir / "joliet.iso");
    ASSERT_TRUE(joliet.ok()) << joliet.error();
    EXPECT_EQ(joliet.label(), "WXPFPP_JA");
    std::vector<CopyProgress> reports;
    CopyResult copied =
        joliet.copyTo(dir / "work", [&](const CopyProgress& p) { reports.push_back(p); });
    ASSERT_TRUE(copied) << copied.failedPath << ": " << copied.reason;
    std::map<std::string, std::string> expected = filesBelow(dir / "tree");
    EXPECT_EQ(filesBelow(dir / "work"), expected);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(dir / "work/link_in")));
    EXPECT_EQ(joliet.leftOut(), (std::vector<std::string>{"link_in -> I386/TXTSETUP.SIF",
                                                          "link_out -> /etc/passwd"}));
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().filesDone, 5u);
    EXPECT_EQ(reports.back().filesTotal, 5u);
    EXPECT_EQ(reports.back().bytesDone, reports.back().bytesTotal);

    // Without Joliet Windows shows the ISO 9660 names, without ";1" and
    // without the dot of a name that has no extension.
    ASSERT_TRUE(makeIsoImage(dir / "tree", dir / "plain.iso", withoutJoliet()));
    IsoImageReader plain(dir / "plain.iso");
    ASSERT_TRUE(plain.ok()) << plain.error();
    ASSERT_TRUE(plain.copyTo(dir.mkdir("plain")));
    std::map<std::string, std::string> plainFiles = filesBelow(dir / "plain");
    std::set<std::string> names;
    for (const auto& [name, bytes] : plainFiles) {
        names.insert(name);
    }
    EXPECT_EQ(names, (std::set<std::string>{"DOCS/READ_ME_.TXT", "I386/SYSTEM32/BIG.DLL",
                                            "I386/TXTSETUP.SIF", "README", "WIN51"}));
    EXPECT_EQ(plainFiles["I386/SYSTEM32/BIG.DLL"], expected["I386/SYSTEM32/Big.Dll"]);
    EXPECT_EQ(plain.leftOut().size(), 2u);

    // The setup file is read by its path, whatever its case and slashes.
    EXPECT_EQ(plain.readFile("i386\\txtsetup.sif").valueOr("(failed)"),
              expected["I386/TXTSETUP.SIF"]);
    EXPECT_FALSE(joliet.readFile("/I386/NONE.SIF"));
}

TEST_F(IsoImageReaderTest, bad_images_fail_with_the_reason_and_write_nothing) {
    ASSERT_TRUE(makeIsoImage(dir / "tree", dir / "good.iso", {}));
    std::string good = slurp(dir / "good.iso");
    ASSERT_TRUE(makeIsoImage(dir / "tree", dir / "plain.iso", withoutJoliet()));
    std::string plain = slurp(dir / "plain.iso");

    struct Case {
        std::string name;
        std::string bytes;
        std::string reason;
    };
    std::string udf(40 * 2048, '\0');
    udf.replace(16 * 2048, 6, std::string("\0BEA01", 6));
    udf.replace(17 * 2048, 6, std::string("\0NSR02", 6));
    std::vector<Case> cases = {
        {"empty.iso", "", "空のファイルです。ISO イメージではありません"},
        {"text.iso", std::string(64 * 1024, 'x'), "ISO 9660 イメージではありません"},
        {"short.iso", std::string(4096, '\0'), "ISO イメージではありません (ファイルが短すぎます)"},
        {"udf-only.iso", udf,
         "UDF だけのイメージです。ISO 9660 のファイルシステムがないので読めません"},
        // Cut after the folders: the large file's extent runs past the end.
        {"folder-loop.iso", withFolderLoop(plain, "DOCS"),
         "フォルダが自分自身かほかのフォルダを含んでいます (ループ)"},
        {"truncated.iso", good.substr(0, good.size() / 2),
         "ファイルがイメージの終わりを越えています"},
    };
    for (const Case& c : cases) {
        std::string path = dir.write(c.name, c.bytes);
        IsoImageReader image(path);
        CopyResult result = image.copyTo(dir / "work");
        EXPECT_FALSE(result) << c.name;
        EXPECT_NE(result.reason.find(c.reason), std::string::npos)
            << c.name << ": " << result.reason;
        EXPECT_EQ(result.failedPath.rfind(path, 0), 0u) << c.name << ": " << result.failedPath;
        EXPECT_TRUE(folderIsEmpty(dir / "work")) << c.name;
    }

    // Joliet keeps letter case; two names that Windows takes for one.
    dir.write("clash/Setup.txt", "one");
    dir.write("clash/SETUP.TXT", "two");
    ASSERT_TRUE(makeIsoImage(dir / "clash", dir / "clash.iso", {}));
    CopyResult clash = IsoImageReader(dir / "clash.iso").copyTo(dir / "work");
    EXPECT_FALSE(clash);
    EXPECT_NE(clash.reason.find("大文字と小文字を区別しないと同じ名前になるものがあります"),
              std::string::npos)
        << clash.reason;
    EXPECT_TRUE(folderIsEmpty(dir / "work"));
}

TEST_F(IsoImageReaderTest, cancel_stops_the_copy_and_leaves_no_part_file) {
    ASSERT_TRUE(makeIsoImage(dir / "tree", dir / "cd.iso", {}));
    IsoImageReader image(dir / "cd.iso");
    std::atomic<bool> cancel{false};
    CopyResult result = image.copyTo(
        dir / "work", [&](const CopyProgress& p) { cancel = p.bytesDone > 0; }, &cancel);
    EXPECT_TRUE(result.cancelled);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir / "work")) {
        EXPECT_FALSE(isPendingFileName(entry.path().filename().string())) << entry.path();
    }
}

TEST_F(IsoImageReaderTest, a_stop_ends_the_reading_at_any_point_and_nothing_is_copied) {
    // The fixture's links make the reader import the Rock Ridge tree too.
    ASSERT_TRUE(makeIsoImage(dir / "tree", dir / "cd.iso", {}));
    int looks = 0;
    IsoImageReader whole(dir / "cd.iso", [&] {
        ++looks;
        return false;
    });
    ASSERT_TRUE(whole.ok()) << whole.error();
    // The folder walk and both imports look, more than once each.
    ASSERT_GT(looks, 6);

    for (int stopAt = 0; stopAt < looks; ++stopAt) {
        int seen = 0;
        IsoImageReader image(dir / "cd.iso", [&] { return seen++ >= stopAt; });
        EXPECT_TRUE(image.stopped()) << stopAt;
        EXPECT_FALSE(image.ok()) << stopAt;
        EXPECT_FALSE(image.readFile("I386/TXTSETUP.SIF")) << stopAt;
        CopyResult copied = image.copyTo(dir / "work");
        EXPECT_TRUE(copied.cancelled) << stopAt;
        EXPECT_EQ(copied.failures, 0u) << stopAt;
        EXPECT_TRUE(folderIsEmpty(dir / "work")) << stopAt;
    }
}

// The same CD as a folder and as an image, copied into work folders that a
// former build left: both sources meet what stands there alike, because
// one writer does the work folder's side for both.
TEST_F(IsoImageReaderTest, an_image_meets_a_used_work_folder_as_its_folder_does) {
    dir.write("same/I386/TXTSETUP.SIF", "sif");
    dir.write("same/I386/SYSTEM32/SMSS.EXE", "smss");
    dir.write("same/Docs/A.TXT", "a");
    dir.write("same/Docs/B.TXT", "b");
    dir.write("same/WIN51", "");
    dir.write("same/readme", "r");
    ASSERT_EQ(::chmod((dir / "same/I386").c_str(), 0555), 0);
    ASSERT_TRUE(makeIsoImage(dir / "same", dir / "same.iso", {}));
    IsoImageReader image(dir / "same.iso");
    ASSERT_TRUE(image.ok()) << image.error();
    struct Source {
        std::string root;
        std::function<CopyResult(const std::string&, const CopyProgressCallback&)> copy;
        // The bits a folder of the source arrives with.
        mode_t folderMode;
    };
    const Source sources[] = {
        {dir / "same",
         [&](const std::string& to, const CopyProgressCallback& progress) {
             return copyTree(dir / "same", to, progress);
         },
         0555},
        {dir / "same.iso",
         [&](const std::string& to, const CopyProgressCallback& progress) {
             return image.copyTo(to, progress);
         },
         0755},
    };

    // A read-only tree under other letter case, with a file of its own:
    // the names there are used, the files replaced, the own file kept.
    std::map<std::string, std::string> reused[2];
    for (int i = 0; i < 2; ++i) {
        const Source& source = sources[i];
        SCOPED_TRACE(source.root);
        std::string work = dir / ("reused" + std::to_string(i));
        dir.write("reused" + std::to_string(i) + "/i386/txtsetup.sif", "old");
        dir.write("reused" + std::to_string(i) + "/i386/OEM.INF", "kept");
        ASSERT_EQ(::chmod((work + "/i386/txtsetup.sif").c_str(), 0444), 0);
        ASSERT_EQ(::chmod((work + "/i386").c_str(), 0555), 0);
        CopyResult result = source.copy(work, {});
        ASSERT_TRUE(result) << result.failedPath << ": " << result.reason;
        EXPECT_TRUE(fileHolds(work + "/i386/txtsetup.sif", "sif"));
        EXPECT_FALSE(std::filesystem::exists(work + "/I386"));
        EXPECT_EQ(modeOf(work + "/i386"), source.folderMode);
        EXPECT_FALSE(hasPendingFile(work));
        reused[i] = filesBelow(work);
    }
    EXPECT_EQ(reused[0], reused[1]);
    EXPECT_EQ(reused[0]["i386/OEM.INF"], "kept");

    // Names in the way: a file where a folder goes, a link where one goes
    // (leading out of the work folder), a folder where a file goes. Each
    // counts once, a folder whatever it holds, and the first is named.
    dir.write("outside/SYSTEM32/SMSS.EXE", "the user's file");
    TreeSnapshot outside = snapshotTree(dir / "outside");
    for (int i = 0; i < 2; ++i) {
        const Source& source = sources[i];
        SCOPED_TRACE(source.root);
        std::string work = dir.write("blocked" + std::to_string(i) + "/Docs", "a file");
        work = std::filesystem::path(work).parent_path().string();
        std::filesystem::create_symlink(dir / "outside", work + "/I386");
        dir.mkdir("blocked" + std::to_string(i) + "/WIN51");
        std::vector<CopyProgress> reports;
        CopyResult result = source.copy(work, [&](const CopyProgress& p) { reports.push_back(p); });
        EXPECT_FALSE(result);
        EXPECT_EQ(result.failures, 3u);
        EXPECT_EQ(result.failedPath, source.root + "/Docs");
        EXPECT_TRUE(result.reason.ends_with(": " + work + "/Docs")) << result.reason;
        EXPECT_EQ(snapshotTree(dir / "outside"), outside);
        EXPECT_EQ(filesBelow(work),
                  (std::map<std::string, std::string>{{"Docs", "a file"}, {"readme", "r"}}));
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back().filesDone, 6u);
        EXPECT_EQ(reports.back().filesDone, reports.back().filesTotal);
        EXPECT_EQ(reports.back().bytesDone, reports.back().bytesTotal);
    }

    // A folder that refuses its bits and times once its files are in (here
    // it is away from its place just then): the copy still succeeds, and
    // the folder is counted and named alike for both sources.
    CopyResult unset[2];
    for (int i = 0; i < 2; ++i) {
        const Source& source = sources[i];
        SCOPED_TRACE(source.root);
        std::string work = dir / ("unset" + std::to_string(i));
        bool away = false;
        bool back = false;
        unset[i] = source.copy(work, [&](const CopyProgress&) {
            // The last file of I386 is in: the folder goes away until the
            // next file's report.
            if (!away && std::filesystem::exists(work + "/I386/TXTSETUP.SIF")) {
                std::filesystem::rename(work + "/I386", work + "/I386.away");
                away = true;
            } else if (away && !back) {
                std::filesystem::rename(work + "/I386.away", work + "/I386");
                back = true;
            }
        });
        ASSERT_TRUE(back);
        EXPECT_TRUE(unset[i]) << unset[i].failedPath << ": " << unset[i].reason;
        EXPECT_EQ(unset[i].failures, 0u);
        EXPECT_EQ(unset[i].foldersUnset, 1u);
        EXPECT_EQ(unset[i].unsetPath, work + "/I386");
        EXPECT_EQ(unset[i].unsetReason, systemReason(ENOENT));
        EXPECT_TRUE(fileHolds(work + "/I386/SYSTEM32/SMSS.EXE", "smss"));
    }
}

} // namespace
