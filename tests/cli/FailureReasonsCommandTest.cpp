// The reasons ornibe-build gives the user for faults that were once left
// unsaid: a driver INF that is refused names its line and what is wrong
// there, the summary says why an image's TXTSETUP.SIF names no target, and
// an attribute step that failed leaves a line on standard error while the
// log stays as it was.

#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/IsoFixtures.h"
#include "support/OrdinaryUser.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const std::string kProgram = ORNIBE_BUILD_PROGRAM;
const std::string kSampleTree = std::string(ORNIBE_SOURCE_DIR) + "/samples/xp";

class FailureReasonsCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        // An unreadable folder stops only a user without root's rights.
        user = ordinaryUser();
        if (!user) {
            GTEST_SKIP() << "no unprivileged account named nobody to run the program as";
        }
        ::chmod(dir.path().c_str(), 0755);
        out = dir.mkdir("out");
        giveToUser(out);
    }

    CommandResult build(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), kProgram);
        return runCommand(asOrdinaryUser(*user, std::move(arguments)));
    }

    // The folder and everything below it, for the user to write.
    void giveToUser(const std::string& folder) {
        if (::geteuid() != 0) {
            return;
        }
        ASSERT_EQ(::chown(folder.c_str(), user->uid, user->gid), 0);
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            ASSERT_EQ(::lchown(entry.path().c_str(), user->uid, user->gid), 0);
        }
    }

    TempDir dir;
    std::optional<OrdinaryUser> user;
    std::string out;
};

TEST_F(FailureReasonsCommandTest, refused_inf_unread_setup_file_and_failed_attrib_say_why) {
    // A driver INF refused by the parser: the line and the cause, not a
    // missing signature.
    const std::string tree = out + "/tree";
    fs::copy(kSampleTree, tree, fs::copy_options::recursive);
    giveToUser(tree);
    const std::string inf =
        dir.write("drv/Broken.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                                    "\r\n[Manufacturer\r\nOrnibe=Models\r\n");
    CommandResult refused = build({"--work", tree, "--driver", inf});
    EXPECT_EQ(refused.exitCode, 2) << refused.output;
    EXPECT_THAT(refused.output,
                HasSubstr(inf + " はドライバの INF ファイルではありません。\n"
                                "4 行目: セクション見出しに閉じ括弧「]」がありません。"));
    EXPECT_THAT(refused.output, Not(HasSubstr("スタート！")));

    // An image whose TXTSETUP.SIF is no setup file: the build goes on, and
    // the summary says why the target is not known.
    fs::copy(kSampleTree, dir / "cd", fs::copy_options::recursive);
    dir.write("cd/I386/TXTSETUP.SIF", "These are no setup lines.\r\n");
    ASSERT_TRUE(makeIsoImage(dir / "cd", dir / "cd.iso", {}));
    CommandResult fromImage = build(
        {"--source", dir / "cd.iso", "--work", out + "/from-image", "--no-big-drive", "--yes"});
    EXPECT_EQ(fromImage.exitCode, 0) << fromImage.output;
    EXPECT_THAT(fromImage.output,
                HasSubstr("ターゲット：\n      " + dir / "cd.iso" +
                          "/I386/TXTSETUP.SIF を読めないので、わかりません。\n      1 行目: "
                          "最初のセクション見出しより前に、コメントではない行があります。\n\n"
                          "CD ドライブ："));

    // An attribute step that cannot read a folder of the tree: the build
    // finishes, the line is on standard error, and the log file holds
    // nothing of it.
    const std::string locked = dir.mkdir("out/tree/LOCKED");
    giveToUser(locked);
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    const std::string log = out + "/build.log";
    CommandResult attrib = build({"--work", tree, "--no-big-drive", "--log", log});
    ::chmod(locked.c_str(), 0755);
    EXPECT_EQ(attrib.exitCode, 0) << attrib.output;
    // The tool works in the work folder and names what it met from there.
    EXPECT_THAT(attrib.output, HasSubstr("\nornibe-build: 読み取り専用属性の解除に失敗しました"
                                         "（ビルドは続けます）: ATTRIB: 終了コード 1（attrib: "
                                         "./LOCKED: Permission denied）\n"));
    // The closing box says that something stands beside the log.
    EXPECT_TRUE(attrib.output.ends_with("完成です！\nログとは別に注意が 1 件あります。\n"))
        << attrib.output;
    const std::string logged = slurp(log);
    EXPECT_THAT(logged, HasSubstr("スタート！"));
    EXPECT_THAT(logged, Not(HasSubstr("ATTRIB")));
    EXPECT_THAT(logged, Not(HasSubstr("読み取り専用属性")));
}

} // namespace
} // namespace ornibe::test
