#include "sys/FileError.h"

#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/IsoFixtures.h"
#include "support/OrdinaryUser.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <optional>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;

// The program's command line as the ordinary user runs it.
std::vector<std::string> ornibeBuildAs(const OrdinaryUser& user,
                                       std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), kProgram);
    return test::asOrdinaryUser(user, std::move(arguments));
}

class ImageSourceCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        user = ordinaryUser();
        if (!user) {
            GTEST_SKIP() << "no unprivileged account named nobody to run the program as";
        }
        // The CD as a Windows CD is: its boot image only in the boot
        // catalog, in no folder of the tree.
        fs::copy(kSampleTree, dir / "cd", fs::copy_options::recursive);
        fs::remove(dir / "cd/BOOTSECT.BIN");
        dir.write("boot.img", boot);
        ASSERT_TRUE(makeIsoImage(dir / "cd", dir / "xp.iso", recipe));
        // Inputs readable by the user, output written into a folder of
        // its own.
        ::chmod(dir.path().c_str(), 0755);
        out = dir.mkdir("out");
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(out.c_str(), user->uid, user->gid), 0);
        }
    }

    TempDir dir;
    std::optional<OrdinaryUser> user;
    std::string out;
    const std::string boot = noise(2048, 11);
    const IsoRecipe recipe = [this] {
        IsoRecipe made = booting(dir / "boot.img");
        made.label = "WXPVOL_JA";
        return made;
    }();
};

TEST_F(ImageSourceCommandTest, an_ordinary_user_builds_a_booting_image_from_an_iso_file) {
    const std::string work = out + "/work";
    const std::string image = out + "/OUT.iso";
    CommandResult result =
        runCommand(ornibeBuildAs(*user, {"--source", dir / "xp.iso", "--work", work, "--driver",
                                         kSampleDriverInf, "--iso", image, "--yes", "--quiet"}));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(result.output.ends_with("完成です！\n")) << result.output;
    // With no --label, the image's own label is proposed.
    EXPECT_THAT(result.output, HasSubstr("ISO イメージのボリュームラベル：\n      WXPVOL_JA\n"));
    EXPECT_THAT(result.output, HasSubstr("ブートイメージ：" + dir / "xp.iso" +
                                         " から BOOTSECT.BIN に書き出しました\n"));

    // Written by that user, not by root.
    struct stat st {};
    ASSERT_EQ(::stat((work + "/I386/TXTSETUP.SIF").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, ::geteuid() == 0 ? user->uid : ::geteuid());

    EXPECT_EQ(slurp(work + "/BOOTSECT.BIN"), boot);
    EXPECT_TRUE(fs::exists(work + "/I386/ORSCSI.SY_"));
    // The finished image boots with the same bytes: its catalog's entry is
    // no-emulation with the CD's load size, and the boot image read back
    // through xorriso is the one that went in.
    EXPECT_EQ(bootEntrySummary(image), "none " + std::to_string(recipe.bootLoadSize));
    CommandResult back = runCommand(
        {"xorriso", "-indev", image, "-osirrox", "on", "-extract_boot_images", dir / "back/"});
    ASSERT_EQ(back.exitCode, 0) << back.output;
    std::string extracted = slurp(dir / "back/eltorito_img1_bios.img");
    EXPECT_EQ(extracted.substr(0, boot.size()), boot);
}

TEST_F(ImageSourceCommandTest, sources_that_cannot_give_a_bootable_image_are_refused_first) {
    const std::string work = out + "/work";
    fs::copy(kSampleTree, work, fs::copy_options::recursive);
    dir.write("notes.iso", std::string(64 * 1024, 'n'));
    auto before = snapshotTree(out);
    CommandResult result =
        runCommand(ornibeBuildAs(*user, {"--source", dir / "notes.iso", "--work", work, "--iso",
                                         out + "/OUT.iso", "--yes"}));
    EXPECT_EQ(result.exitCode, 2) << result.output;
    EXPECT_THAT(result.output,
                HasSubstr(dir / "notes.iso" + " は Windows の CD のイメージとして読めません。"));
    EXPECT_THAT(result.output, HasSubstr("ISO 9660 イメージではありません"));
    EXPECT_THAT(result.output, ::testing::Not(HasSubstr("スタート！")));

    // A copy of the CD in a folder has no boot catalog: with an image to
    // write, the new work folder is not even created, whatever --yes says.
    result = runCommand(ornibeBuildAs(*user, {"--source", dir / "cd", "--work", out + "/new",
                                              "--iso", out + "/OUT.iso", "--yes"}));
    EXPECT_EQ(result.exitCode, 2) << result.output;
    EXPECT_THAT(result.output, HasSubstr("ブートイメージ (BOOTSECT.BIN) がありません。\n(" +
                                         dir / "cd" + " はイメージファイルでも CD でもないので"));
    EXPECT_THAT(result.output, ::testing::Not(HasSubstr("新しく作りますか")));
    EXPECT_EQ(snapshotTree(out), before);
}

// A work folder whose I386 another user owns and lets everyone write into:
// the copy fills it but cannot give it the CD's bits and times. From the
// folder and from the image alike, the build still finishes, standard error
// says so on one line, and the log file is the one of a build into an empty
// work folder, byte for byte.
TEST_F(ImageSourceCommandTest, a_folder_that_refuses_its_bits_and_times_is_named_beside_the_log) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "a folder owned by another user than the program's needs root's rights";
    }
    const std::string work = out + "/work";
    for (const std::string& source : {dir / "cd", dir / "xp.iso"}) {
        SCOPED_TRACE(source);
        auto freshWork = [&](bool foreignI386) {
            fs::remove_all(work);
            ASSERT_TRUE(fs::create_directory(work));
            ASSERT_EQ(::chown(work.c_str(), user->uid, user->gid), 0);
            if (foreignI386) {
                ASSERT_TRUE(fs::create_directory(work + "/I386"));
                ASSERT_EQ(::chmod((work + "/I386").c_str(), 0777), 0);
            }
        };
        auto build = [&](const std::string& log) {
            return runCommand(ornibeBuildAs(
                *user, {"--source", source, "--work", work, "--log", log, "--yes", "--quiet"}));
        };
        freshWork(false);
        CommandResult plain = build(out + "/plain.log");
        ASSERT_EQ(plain.exitCode, 0) << plain.output;
        EXPECT_THAT(plain.output, ::testing::Not(HasSubstr("アクセス権")));

        freshWork(true);
        CommandResult foreign = build(out + "/foreign.log");
        ASSERT_EQ(foreign.exitCode, 0) << foreign.output;
        EXPECT_TRUE(foreign.output.ends_with("完成です！\nログとは別に注意が 1 件あります。\n"))
            << foreign.output;
        const std::string line =
            "ornibe-build: アクセス権か日時を設定できなかったフォルダ：1 個（最初は " + work +
            "/I386: " + systemReason(EPERM) + "）。中身はコピーしてあります。\n";
        EXPECT_THAT(foreign.output, HasSubstr("完了\n" + line));
        EXPECT_EQ(foreign.output.find("アクセス権"), foreign.output.rfind("アクセス権"));
        EXPECT_TRUE(fileHolds(work + "/I386/TXTSETUP.SIF", slurp(dir / "cd/I386/TXTSETUP.SIF")));
        EXPECT_EQ(slurp(out + "/foreign.log"), slurp(out + "/plain.log"));
    }
}

} // namespace
} // namespace ornibe::test
