// What ornibe-build refuses on "次へ >" because of what an input holds: each
// refusal exits 2 with the program's own message before anything is made
// or changed.

#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/IsoFixtures.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The bytes of the files below a folder, rounded up to whole MiB.
std::uint64_t mebibytesOfFiles(const std::string& folder) {
    std::uint64_t bytes = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && !entry.is_symlink()) {
            bytes += entry.file_size();
        }
    }
    return (bytes + 1048575) / 1048576;
}

std::uint64_t bytesFreeAt(const std::string& folder) {
    struct statvfs st {};
    EXPECT_EQ(::statvfs(folder.c_str(), &st), 0);
    return std::uint64_t(st.f_bavail) * st.f_frsize;
}

// A file of that size that takes no room on the disk.
void writeSparse(const std::string& path, std::uint64_t size) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path).close();
    fs::resize_file(path, size);
}

class InputChecksCommandTest : public ::testing::Test {
protected:
    void SetUp() override { fs::copy(kSampleTree, work, fs::copy_options::recursive); }

    TempDir dir;
    // A tree built before, for the runs that read no CD.
    std::string work = dir / "xp";
};

TEST_F(InputChecksCommandTest, sources_without_a_windows_setup_tree_are_refused_before_the_copy) {
    // A Linux installation image, the Service Pack's update CD as an image
    // and as files, an empty image and an empty folder.
    dir.write("linux/boot/grub/grub.cfg", "menuentry");
    dir.write("linux/EFI/BOOT/BOOTX64.EFI", "efi");
    dir.write("linux/README.TXT", "linux");
    ASSERT_TRUE(makeIsoImage(dir / "linux", dir / "linux.iso", labelled("LINUX")));
    dir.write("update/AUTORUN.INF", "[autorun]");
    dir.write("update/WINDOWSXP-KB936929-SP3-X86-JPN.EXE", "MZ");
    ASSERT_TRUE(makeIsoImage(dir / "update", dir / "update.iso", labelled("XPSP3")));
    dir.write("sp3/i386/update/update.exe", "MZ");
    dir.mkdir("nothing");
    ASSERT_TRUE(makeIsoImage(dir / "nothing", dir / "nothing.iso", labelled("EMPTY")));
    dir.mkdir("empty");

    // --yes answers the question that would create the work folder: the
    // source is refused before it is asked.
    const std::string target = dir / "new/work";
    auto refused = [&](const std::string& source, const std::string& reason) {
        return Refusal{
            {"--source", source, "--work", target, "--yes"},
            source + " には Windows 2000、XP、Server 2003 のセットアップファイルがありません。\n" +
                reason};
    };
    expectRefusedLeavingAsItWas(
        dir.path(),
        {refused(dir / "linux.iso",
                 "I386/TXTSETUP.SIF がありません（最上位にあるもの: EFI, README.TXT, boot）。"),
         refused(dir / "update.iso",
                 "I386/TXTSETUP.SIF がありません（最上位にあるもの: AUTORUN.INF, "
                 "WINDOWSXP-KB936929-SP3-X86-JPN.EXE）。"),
         refused(dir / "sp3",
                 "I386 フォルダに TXTSETUP.SIF がありません（最上位にあるもの: i386）。"),
         refused(dir / "nothing.iso", "I386/TXTSETUP.SIF がありません（イメージは空です）。"),
         refused(dir / "empty", "I386/TXTSETUP.SIF がありません（フォルダは空です）。")});
    EXPECT_FALSE(fs::exists(dir / "new"));

    // The setup folder in lower case, or the x64 one, is a setup tree.
    fs::copy(kSampleTree, dir / "cd", fs::copy_options::recursive);
    fs::rename(dir / "cd/I386", dir / "cd/i386");
    dir.write("x64/amd64/txtsetup.sif", "[SourceDisksNames]\r\n");
    for (const std::string& source : {dir / "cd", dir / "x64"}) {
        CommandResult result = runBuild({"--source", source, "--work", target, "--no-big-drive"});
        EXPECT_THAT(result.output, Not(HasSubstr("セットアップファイルがありません")));
        EXPECT_THAT(result.output, HasSubstr("作業フォルダに使える空き容量は"));
    }
}

TEST_F(InputChecksCommandTest, driver_packages_that_staging_could_not_place_are_refused_at_next) {
    const std::string inf = fs::path(kSampleDriverInf).filename();
    const std::string original = slurp(kSampleDriverInf);
    // A copy of the sample driver in a folder of its own, with its INF
    // changed from one text to another.
    auto driver = [&](const std::string& name, const std::string& from = "",
                      const std::string& to = "") {
        fs::copy(kSampleDriverFolder, dir / name, fs::copy_options::recursive);
        std::string text = original;
        if (!from.empty()) {
            text.replace(text.find(from), from.size(), to);
        }
        dir.write(name + "/" + inf, text);
        return dir / name + "/" + inf;
    };
    const std::string outside = dir.write("outside/X86/ORSCSI.SYS", "not the driver's");

    const std::string climbs = driver("climbs", ",,,\\x86", ",,,..\\outside\\x86");
    const std::string drive =
        driver("drive", "CatalogFile=OrScsi.cat", "CatalogFile=C:\\OrScsi.cat");
    const std::string linkedFolder = driver("linked-folder");
    fs::remove_all(dir / "linked-folder/X86");
    fs::create_directory_symlink(dir / "outside/X86", dir / "linked-folder/X86");
    const std::string linkedFile = driver("linked-file");
    fs::remove(dir / "linked-file/X86/ORSCSI.SYS");
    fs::create_symlink(outside, dir / "linked-file/X86/ORSCSI.SYS");
    // Staging takes the compressed form beside a file it cannot compress.
    const std::string linkedCompressed = driver("linked-compressed");
    fs::remove(dir / "linked-compressed/X86/ORSCSI.SYS");
    fs::create_symlink(outside, dir / "linked-compressed/X86/ORSCSI.SY_");
    const std::string missing = driver("missing");
    fs::remove(dir / "missing/X86/ORSCSI.SYS");
    // A catalog is copied as it is: its compressed form does not stand in.
    const std::string catalog = driver("catalog");
    fs::rename(dir / "catalog/ORSCSI.CAT", dir / "catalog/ORSCSI.CA_");

    auto outsideFolder = [&](const std::string& path, const std::string& detail) {
        return Refusal{{"--work", work, "--driver", path},
                       path +
                           " のドライバは組み込めません。\nINF が指すファイルが INF "
                           "のフォルダの外にあるか、途中にリンクがあります（" +
                           detail + "）。INF と同じフォルダの中のファイルだけを使います。"};
    };
    auto notThere = [&](const std::string& path, const std::string& file) {
        return Refusal{{"--work", work, "--driver", path},
                       path +
                           " にはテキストモードセットアップで使えるストレージドライバが"
                           "ありません。\n" +
                           file + " が見つかりません。"};
    };
    expectRefusedLeavingAsItWas(
        dir.path(),
        {outsideFolder(climbs,
                       climbs + ": ../outside/x86/OrScsi.sys は「..」で上のフォルダを指しています"),
         outsideFolder(drive, drive + ": C:/OrScsi.cat はドライブを指定しています"),
         outsideFolder(linkedFolder,
                       linkedFolder + ": " + dir / "linked-folder/X86" + " はリンクです"),
         outsideFolder(linkedFile,
                       linkedFile + ": " + dir / "linked-file/X86/ORSCSI.SYS" + " はリンクです"),
         outsideFolder(linkedCompressed, dir / "linked-compressed/X86/OrScsi.sys" + ": " +
                                             dir / "linked-compressed/X86/ORSCSI.SY_" +
                                             " はリンクです"),
         notThere(missing, dir / "missing/X86/OrScsi.sys"),
         notThere(catalog, dir / "catalog/OrScsi.cat")});
}

TEST_F(InputChecksCommandTest, service_pack_that_is_no_windows_program_is_refused_before_it_runs) {
    // An installer that would leave a mark if it were run.
    const std::string script = dir / "sp/install.sh";
    writeScript(script, "touch \"" + dir / "ran" + "\"\n");
    const std::string cabinet = dir.write("sp/xpsp3.exe", "MSCF\0\0\0\0");
    const std::string text = dir.write("sp/README.TXT", "Service Pack 3");
    auto refused = [&](const std::string& file) {
        return Refusal{{"--work", work, "--service-pack", file},
                       file + " を実行できません。\nWindows のプログラム（先頭が MZ の .exe "
                              "ファイル）ではありません。\nService Pack のインストーラ（例: "
                              "WindowsXP-KB936929-SP3-x86-JPN.exe）を選んでください。"};
    };
    expectRefusedLeavingAsItWas(dir.path(), {refused(script), refused(cabinet), refused(text)});
    EXPECT_FALSE(fs::exists(dir / "ran"));
}

TEST_F(InputChecksCommandTest, free_space_notice_informs_and_a_source_known_not_to_fit_is_refused) {
    // Without --yes the notice is printed with what the CD needs, and the
    // build goes on.
    const std::string cd = dir / "cd";
    fs::rename(work, cd);
    const std::string target = dir.mkdir("work");
    CommandResult result = runBuild({"--source", cd, "--work", target, "--no-big-drive"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(result.output, HasSubstr("ornibe-build: 作業フォルダに使える空き容量は "));
    EXPECT_THAT(result.output, HasSubstr("MB です。\nCD の内容には約 " +
                                         std::to_string(mebibytesOfFiles(cd)) + "MB 必要です。\n"));
    EXPECT_THAT(result.output, Not(HasSubstr("「いいえ」と答えました")));
    EXPECT_TRUE(result.output.ends_with("完成です！\n")) << result.output;

    // A CD larger than the free space is refused, even with --yes, before
    // the work folder is made. Sparse files stand in for the large ones;
    // they live apart, where no snapshot reads them.
    TempDir large;
    fs::copy(kSampleTree, large / "cd", fs::copy_options::recursive);
    const std::uint64_t tooMuch = bytesFreeAt(large.path()) + (std::uint64_t(1) << 30);
    writeSparse(large / "cd/BIG.DAT", tooMuch);
    const std::string newFolder = dir / "new/work";
    expectRefusedLeavingAsItWas(
        dir.path(), {{{"--source", large / "cd", "--work", newFolder, "--yes"},
                      "CD の内容には約 " + std::to_string(mebibytesOfFiles(large / "cd")) +
                          "MB 必要です。\n空き容量が足りないので、CD の内容を"
                          "コピーできません。"}});
    EXPECT_FALSE(fs::exists(dir / "new"));

    // A work folder that already holds that much (an earlier copy, which
    // the copy replaces) is not refused for its space: the next question
    // comes, answered no without --yes.
    writeSparse(large / "earlier/BIG.DAT", tooMuch);
    result = runBuild({"--source", large / "cd", "--work", large / "earlier"});
    EXPECT_EQ(result.exitCode, 2) << result.output;
    EXPECT_THAT(result.output, Not(HasSubstr("空き容量が足りない")));
    EXPECT_THAT(result.output, HasSubstr("フォルダは空ではありませんが、よろしいですか？"));
}

} // namespace
} // namespace ornibe::test
