#include "E2eTest.h"
#include "TreeFiles.h"

#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

// ornibe-build started in the background with the environment given, its
// output dropped; killed and waited for if the test ends first.
class BackgroundBuild {
public:
    BackgroundBuild(std::vector<std::string> arguments, const HostEnvironment& environment) {
        arguments.insert(arguments.begin(), kProgram);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::vector<char*> envp;
        for (const std::string& variable : environment.variables()) {
            envp.push_back(const_cast<char*>(variable.c_str()));
        }
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~BackgroundBuild() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    BackgroundBuild(const BackgroundBuild&) = delete;
    BackgroundBuild& operator=(const BackgroundBuild&) = delete;

    bool started() const { return pid_ > 0; }
    // Whether it is still running.
    bool running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }
    // Waits for it to end; its exit status, or -1 when a signal ended it.
    int wait() {
        int status = 0;
        pid_t pid = std::exchange(pid_, -1);
        if (pid <= 0 || ::waitpid(pid, &status, 0) != pid) {
            return -1;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void kill() {
        ::kill(pid_, SIGKILL);
        wait();
    }

private:
    pid_t pid_ = -1;
};

// A Service Pack installer that the checks accept (an x86 Windows program)
// and a stand-in Wine for it that holds the build in its Service Pack step
// until a go file appears: while it waits, the build holds its work folder.
// It gives up when the build that started it is gone. The builds find the
// stand-in through the environment it gives them.
class HeldServicePack {
public:
    HeldServicePack(const TempDir& dir, const std::string& work)
        : started_(dir / "sp-started"), go_(dir / "sp-go") {
        std::string program(0x80, '\0');
        program[0] = 'M';
        program[1] = 'Z';
        program[0x3C] = 0x40;
        program.replace(0x40, 4, std::string("PE\0\0", 4));
        program[0x44] = 0x4C;
        program[0x45] = 0x01;
        installer_ = dir.write("sp/WindowsXP-SP3.exe", program);
        writeScript(dir / "wine/bin/wine", ": > \"" + started_ +
                                               "\"\n"
                                               "while [ ! -e \"" +
                                               go_ +
                                               "\" ]; do\n"
                                               "  kill -0 $PPID 2>/dev/null || exit 1\n"
                                               "  sleep 0.01\n"
                                               "done\n"
                                               "echo sp3 > \"" +
                                               work + "/I386/SP3.CAT\"\n");
        // The 32-bit loader where Debian's wine32 puts it.
        dir.write("wine/lib/wine/wine", std::string("\x7F"
                                                    "ELF\x01\x01\x01",
                                                    7));
        environment_ = withPathFirst(dir / "wine/bin").with("WINEPREFIX", dir.mkdir("wine-prefix"));
    }
    HeldServicePack(const HeldServicePack&) = delete;
    HeldServicePack& operator=(const HeldServicePack&) = delete;

    const HostEnvironment& environment() const { return environment_; }
    // argv run through env with the stand-in's PATH and WINEPREFIX.
    std::vector<std::string> command(const std::vector<std::string>& argv) const {
        std::vector<std::string> withEnvironment = {"env", "PATH=" + *environment_.value("PATH"),
                                                    "WINEPREFIX=" +
                                                        *environment_.value("WINEPREFIX")};
        withEnvironment.insert(withEnvironment.end(), argv.begin(), argv.end());
        return withEnvironment;
    }

    const std::string& installer() const { return installer_; }
    // Waits until the installer runs, or the build has ended without it.
    bool waitUntilRunning(const BackgroundBuild& build) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!fs::exists(started_) && build.running() &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return fs::exists(started_);
    }
    void letGo() { ::close(::open(go_.c_str(), O_WRONLY | O_CREAT, 0644)); }
    void reset() {
        fs::remove(started_);
        fs::remove(go_);
    }

private:
    std::string started_;
    std::string go_;
    std::string installer_;
    HostEnvironment environment_;
};

using WorkFolderSafetyTest = E2eTest;

TEST_F(WorkFolderSafetyTest, a_second_build_on_a_busy_work_folder_is_refused_at_once) {
    const std::string work = dir / "xp";
    fs::copy(kSampleTree, work, fs::copy_options::recursive);
    fs::create_directory_symlink(work, dir / "alias");
    const std::string sifBefore = slurp(work + "/I386/TXTSETUP.SIF");
    HeldServicePack servicePack(dir, work);

    BackgroundBuild first({"--work", work, "--driver", kSampleDriverInf, "--service-pack",
                           servicePack.installer(), "--log", dir / "first.log"},
                          servicePack.environment());
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(servicePack.waitUntilRunning(first));

    // While the first build works, a second one on the same folder (named
    // directly or through a link) is refused before it changes anything.
    const TreeSnapshot during = snapshotTree(dir.path());
    for (const std::string& named : {work, dir / "alias"}) {
        CommandResult second =
            runCommand({kProgram, "--work", named, "--driver", kSampleDriverInf});
        EXPECT_EQ(second.exitCode, 2) << second.output;
        EXPECT_THAT(second.output, HasSubstr("この作業フォルダは使えません。\n" + named +
                                             " では、ほかのビルドが実行中です。"
                                             "そのビルドが終わってから、もう一度始めてください。"));
        EXPECT_THAT(second.output, Not(HasSubstr("スタート！")));
    }
    EXPECT_EQ(snapshotTree(dir.path()), during);

    // The first build then finishes with every driver line, once.
    servicePack.letGo();
    EXPECT_EQ(first.wait(), 0);
    const std::string log = slurp(dir / "first.log");
    EXPECT_THAT(log, HasSubstr(kStagingLog));
    EXPECT_THAT(log, HasSubstr(kPatchLog));
    const std::string sif = slurp(work + "/I386/TXTSETUP.SIF");
    EXPECT_EQ(visibleBytes(sif), visibleBytes(sifBefore.substr(0, sifBefore.size() - 1) +
                                              sampleTxtsetupBlocks(false) + "\r\n\x1A"));

    // A build killed while it holds the folder does not keep it: the next
    // build runs.
    servicePack.reset();
    BackgroundBuild killed({"--work", work, "--service-pack", servicePack.installer()},
                           servicePack.environment());
    ASSERT_TRUE(killed.started());
    ASSERT_TRUE(servicePack.waitUntilRunning(killed));
    killed.kill();
    CommandResult next = runCommand({kProgram, "--work", work, "--driver", kSampleDriverInf});
    EXPECT_EQ(next.exitCode, 0) << next.output;
    EXPECT_EQ(slurp(work + "/I386/TXTSETUP.SIF"), sif);
}

TEST_F(WorkFolderSafetyTest, pending_files_a_killed_build_left_are_removed_by_the_next_build) {
    const std::string work = dir / "xp";
    fs::copy(kSampleTree, work, fs::copy_options::recursive);
    // What killed builds leave: hidden files of the pending form, anywhere
    // in the tree, and a link of that form.
    const std::vector<std::string> stale = {".BIG.DAT.ornibe-Ab12Cd",
                                            "I386/.TXTSETUP.SIF.ornibe-zzzzzz",
                                            "DOCS/.NEWFEATURES.HTM.ornibe-A1B2C3"};
    for (const std::string& name : stale) {
        dir.write("xp/" + name, "half-written");
    }
    const std::string outside = dir.write("outside/.KEEP.TXT.ornibe-OUTSID", "not the tree's");
    fs::create_symlink(outside, work + "/I386/.LINK.ornibe-QQQQQQ");
    // Names that only look alike, and a link out of the tree, stay.
    const std::vector<std::string> kept = {".SHORT.ornibe-ABC", "I386/PLAIN.ornibe-ABCDEF",
                                           "DOCS/.ODD.ornibe-AB$DEF", ".TAIL.ornibe-ABCDEF.txt"};
    for (const std::string& name : kept) {
        dir.write("xp/" + name, "user file");
    }
    fs::create_directory_symlink(dir / "outside", work + "/OUTSIDE");

    const std::string log = dir / "build.log";
    CommandResult result =
        runCommand({kProgram, "--work", work, "--driver", kSampleDriverInf, "--log", log});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(slurp(log), HasSubstr("\r\nスタート！\r\n\r\n"
                                      "中断されたビルドが残した書きかけのファイルを 4 "
                                      "個削除しました。\r\n\r\n" +
                                      std::string(kStagingLog)));
    for (const std::string& name : stale) {
        EXPECT_FALSE(fs::exists(work + "/" + name)) << name;
    }
    EXPECT_FALSE(fs::is_symlink(work + "/I386/.LINK.ornibe-QQQQQQ"));
    EXPECT_TRUE(fileHolds(outside, "not the tree's"));
    for (const std::string& name : kept) {
        EXPECT_TRUE(fileHolds(work + "/" + name, "user file")) << name;
    }
    EXPECT_TRUE(fs::is_symlink(work + "/OUTSIDE"));

    // A build with nothing left over says nothing about it.
    result = runCommand({kProgram, "--work", work, "--driver", kSampleDriverInf, "--log", log});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(slurp(log), Not(HasSubstr("書きかけ")));
}

// A work folder whose setup folder is a link to a tree elsewhere: no
// stage writes through it, and the check of a finished tree reads no
// folder that a setup file names through a link or above the tree.
TEST_F(WorkFolderSafetyTest, nothing_is_written_or_read_through_a_link_out_of_the_work_folder) {
    const std::string elsewhere = dir / "elsewhere";
    fs::copy(kSampleTree, elsewhere, fs::copy_options::recursive);
    const std::string work = dir.mkdir("work");
    fs::create_directory_symlink(elsewhere + "/I386", work + "/I386");
    HeldServicePack servicePack(dir, work);
    servicePack.letGo();
    const TreeSnapshot before = snapshotTree(elsewhere);
    for (const std::vector<std::string>& stage : std::vector<std::vector<std::string>>{
             {"--unattended", "--full-name", "T", "--admin-password", "secret"},
             {"--service-pack", servicePack.installer()}}) {
        std::vector<std::string> argv = {kProgram, "--work", work, "--no-big-drive"};
        argv.insert(argv.end(), stage.begin(), stage.end());
        CommandResult result = runCommand(servicePack.command(argv));
        EXPECT_EQ(result.exitCode, 1) << result.output;
        EXPECT_THAT(result.output, HasSubstr(work + "/I386: シンボリックリンクです"));
        EXPECT_EQ(snapshotTree(elsewhere), before);
    }
    CommandResult linked = runCommand({kProgram, "--check", "--work", work});
    EXPECT_EQ(linked.exitCode, 1) << linked.output;
    EXPECT_THAT(linked.output, HasSubstr("I386 は読みません（" + work + "/I386 はリンクです）。"));

    // A tree of its own whose SVCPACK.INF and WINNT.SIF name folders
    // above the tree and through a link; what they lead to looks right.
    const std::string tree = dir / "tree";
    fs::copy(kSampleTree, tree, fs::copy_options::recursive);
    fs::remove(tree + "/I386/SVCPACK.IN_");
    dir.write("tree/I386/SVCPACK.INF", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                                       "[SetupData]\r\nCatalogSubDir=\"\\..\\catalogs\"\r\n"
                                       "[ProductCatalogsToInstall]\r\nDRIVER.CAT\r\n");
    dir.write("catalogs/DRIVER.CAT", "catalog");
    dir.write("tree/I386/WINNT.SIF", "[Data]\r\nUnattendedInstall=\"Yes\"\r\n"
                                     "[Unattended]\r\nOemPreinstall=Yes\r\n"
                                     "OemPnPDriversPath=\"Drivers\\net\"\r\n"
                                     "[UserData]\r\nFullName=\"T\"\r\n");
    dir.write("drivers/net/net.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
    fs::create_directories(tree + "/$OEM$/$1");
    fs::create_directory_symlink(dir / "drivers", tree + "/$OEM$/$1/Drivers");
    CommandResult checked = runCommand({kProgram, "--check", "--work", tree});
    EXPECT_EQ(checked.exitCode, 1) << checked.output;
    EXPECT_THAT(checked.output,
                HasSubstr("SVCPACK.INF の CatalogSubDir \\..\\catalogs は読めません"));
    EXPECT_THAT(checked.output,
                HasSubstr("OemPnPDriversPath のフォルダ Drivers\\net は読めません（" + tree +
                          "/$OEM$/$1/Drivers はリンクです）。"));
}

// Setup files that end with an end-of-file byte 0x1A (DOSNET.INF as it
// is, SVCPACK.INF and MSHDC.INF inside their cabinets): the lines go before
// the byte, where setup reads them, and a second build finds them.
TEST_F(WorkFolderSafetyTest, lines_go_before_an_end_of_file_byte_and_a_rebuild_adds_none) {
    const std::string work = dir / "w2k";
    ASSERT_TRUE(makeTree(work, "2000"));
    ASSERT_TRUE(makeDriver(dir / "drv"));
    const std::string i386 = work + "/I386";
    const std::string scratch = dir.mkdir("scratch");
    std::map<std::string, std::string> before;
    {
        std::string dosnet = slurp(i386 + "/DOSNET.INF") + "\x1A";
        dir.write("w2k/I386/DOSNET.INF", dosnet);
        before["DOSNET.INF"] = dosnet;
    }
    for (const char* packed : {"SVCPACK.IN_", "MSHDC.IN_"}) {
        CabinetFile file = expandCabinet(slurp(i386 + "/" + packed), scratch);
        ASSERT_FALSE(file.name.empty()) << packed;
        std::string plain = dir.write("plain/" + file.name, file.bytes + "\x1A");
        ASSERT_EQ(runCommand({builtTool("makecab"), "/L", i386, plain}).exitCode, 0);
        before[packed] = file.bytes + "\x1A";
    }

    for (int build = 0; build < 2; ++build) {
        CommandResult result = runCommand(
            {kProgram, "--work", work, "--driver", dir / "drv/OrScsi.inf", "--big-drive"});
        ASSERT_EQ(result.exitCode, 0) << result.output;
        EXPECT_THAT(result.output, HasSubstr("Big Drive 対応化が完了しました。"));
    }
    auto withBlock = [](const std::string& was, const std::string& block) {
        return visibleBytes(was.substr(0, was.size() - 1) + block + "\r\n\x1A");
    };
    EXPECT_EQ(visibleBytes(slurp(i386 + "/DOSNET.INF")),
              withBlock(before["DOSNET.INF"], kDosnetBlock));
    EXPECT_EQ(visibleBytes(expandCabinet(slurp(i386 + "/SVCPACK.IN_"), scratch).bytes),
              withBlock(before["SVCPACK.IN_"], kSvcpackBlock));
    EXPECT_EQ(visibleBytes(expandCabinet(slurp(i386 + "/MSHDC.IN_"), scratch).bytes),
              withBlock(before["MSHDC.IN_"], kMshdcBlock));
    EXPECT_EQ(occurrences(slurp(i386 + "/DOSNET.INF"), kDosnetBlock), 1u);
}

} // namespace
} // namespace ornibe::test
