#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"
#include "support/TerminalScreen.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;

class CommandLineBuildTest : public ::testing::Test {
protected:
    void SetUp() override { fs::copy(kSampleTree, work, fs::copy_options::recursive); }

    TempDir dir;
    std::string work = dir / "xp";
};

TEST_F(CommandLineBuildTest, refusals_exit_2_with_one_line_and_leave_the_tree_as_it_was) {
    dir.write("not-a-driver/README", "text");
    dir.mkdir("empty");
    const std::string source = dir / "cd";
    fs::copy(kSampleTree, source, fs::copy_options::recursive);
    auto before = snapshotTree(dir.path());

    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--work", work, "--bogus"}, "知らないオプションです：--bogus"},
        {{"--work"}, "--work には値を指定してください"},
        {{"--work", work, "--iso", "a.iso", "--iso", "b.iso"}, "--iso が 2 回以上指定されています"},
        {{"--work", work, "--big-drive", "--no-big-drive"}, "は一緒に指定できません"},
        {{"--iso", "a.iso"}, "--work DIR を指定してください"},
        {{"--work", work, "stray"}, "オプションでない引数があります：stray"},
        {{"--work", work, "--driver", dir / "missing.inf"}, "--driver：読めるファイルでも"},
        {{"--work", work, "--driver", dir / "not-a-driver"}, "--driver：読めるファイルでも"},
        {{"--work", work, "--source", dir / "nowhere"}, "--source：フォルダでも"},
        // Taken as a path, the empty text would name the current folder.
        {{"--work", work, "--source", ""}, "--source：空です。"},
        // The wizard's own checks, with its texts.
        {{"--work", dir / "empty"}, "この作業フォルダは使えません。"},
        {{"--work", work, "--service-pack", dir / "sp.exe"}, "ファイルが見つかりませんでした。"},
        // A question is answered no without --yes; the free space before it
        // only informs.
        {{"--work", work, "--source", source}, "フォルダは空ではありませんが、よろしいですか？"},
    };
    for (const Case& c : cases) {
        CommandResult result = runBuild(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.message;
        EXPECT_THAT(result.output, HasSubstr(c.message));
        EXPECT_THAT(result.output, ::testing::Not(HasSubstr("スタート！"))) << c.message;
    }
    EXPECT_EQ(snapshotTree(dir.path()), before);
}

TEST_F(CommandLineBuildTest, a_folder_source_is_copied_and_a_failing_step_exits_1) {
    // A copy of a CD in a folder, built into a new work folder: the questions
    // (free space, create the folder) are answered with --yes.
    const std::string source = dir / "cd";
    fs::rename(work, source);
    const std::string target = dir / "new/xp";
    CommandResult result =
        runBuild({"--source", source, "--work", target, "--driver", kSampleDriverInf, "--label",
                  "ORNIBE_XP", "--iso", dir / "out.iso", "--yes"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(result.output, HasSubstr("CD の内容を作業フォルダにコピーしています。。。完了"));
    EXPECT_TRUE(result.output.ends_with("完成です！\n")) << result.output;
    EXPECT_TRUE(fs::exists(target + "/I386/ORSCSI.SY_"));
    EXPECT_TRUE(fs::exists(dir / "out.iso"));

    // An image name that is a file of the tree is never written over: it
    // is refused before the build, and the file stays.
    const std::string readme = slurp(target + "/README.TXT");
    result = runBuild({"--work", target, "--iso", target + "/README.TXT"});
    EXPECT_EQ(result.exitCode, 2) << result.output;
    EXPECT_THAT(result.output, HasSubstr(target + "/README.TXT は作業フォルダのファイルです。"));
    EXPECT_THAT(result.output, ::testing::Not(HasSubstr("スタート！")));
    EXPECT_EQ(slurp(target + "/README.TXT"), readme);
}

TEST_F(CommandLineBuildTest, on_a_terminal_the_log_stays_whole_beside_the_progress_bar) {
    // The log and the bar on one terminal of 80 columns. The copy's first
    // progress is always drawn, while the log's line waits for its "完了".
    const std::string source = dir / "cd";
    fs::rename(work, source);
    const std::string log = dir / "build.log";
    CommandResult result = runOnTerminal({kProgram, "--source", source, "--work", dir / "new",
                                          "--iso", dir / "out.iso", "--yes", "--log", log},
                                         80, 24);
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_TRUE(
        std::regex_search(result.output, std::regex("\033\\[Kコピー +[0-9]+% \\[[#.]+\\] ")));
    TerminalScreen screen(80, 24);
    screen.feed(result.output);
    EXPECT_TRUE(screen.unknownControls().empty());

    // The screen ends with the whole log, line for line, and "完成です！":
    // no log line hidden or broken, no bar left behind.
    // The log holds the tools' own LF line ends beside its CR LF.
    std::vector<std::string> expected;
    std::istringstream text(slurp(log));
    for (std::string line; std::getline(text, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.pop_back();
        }
        expected.push_back(line);
    }
    expected.insert(expected.end(), {"", "完成です！"});
    std::vector<std::string> shown = screen.lines();
    ASSERT_GE(shown.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(shown.end() - std::ptrdiff_t(expected.size()), shown.end()),
              expected);
    EXPECT_THAT(expected,
                ::testing::Contains("CD の内容を作業フォルダにコピーしています。。。完了"));
}

// Entries of a folder whose names begin with prefix.
std::vector<std::string> entriesStartingWith(const std::string& folder, const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(prefix)) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

// Whether files in folder can hold room reserved beyond their length.
bool canReserveRoom(const std::string& folder) {
    std::string probe = folder + "/probe";
    int fd = ::open(probe.c_str(), O_CREAT | O_WRONLY | O_EXCL, 0600);
    bool can = fd >= 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, 1 << 20) == 0;
    if (fd >= 0) {
        ::close(fd);
        ::unlink(probe.c_str());
    }
    return can;
}

TEST_F(CommandLineBuildTest, ctrl_c_during_the_image_stops_the_tool_and_leaves_no_partial_image) {
    // A large file makes the image step last long enough to be caught.
    {
        std::ofstream big(work + "/BIG.DAT", std::ios::binary);
        std::string block(1 << 20, 'x');
        for (int i = 0; i < 768; ++i) {
            block[size_t(i)] = char(i);
            big.write(block.data(), std::streamsize(block.size()));
        }
    }
    const std::string images = dir.mkdir("images");
    const std::string log = dir / "build.log";
    std::vector<std::string> arguments = {
        kProgram, "--work", work, "--iso", images + "/out.iso", "--log", log, "--quiet"};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    // Ctrl+C once the image tool has begun to write its partial image.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool writing = false;
    struct stat partial {};
    while (!writing && std::chrono::steady_clock::now() < deadline) {
        for (const std::string& name : entriesStartingWith(images, ".out.iso")) {
            writing = writing ||
                      (::stat((images + "/" + name).c_str(), &partial) == 0 && partial.st_size > 0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(writing) << "the image step was not seen writing";
    // The partial image holds the room of the whole image from its start
    // (the progress bar's total), where the file system can reserve it.
    if (canReserveRoom(images)) {
        EXPECT_GE(std::uint64_t(partial.st_blocks) * 512, std::uint64_t(768) << 20);
        EXPECT_LT(std::uint64_t(partial.st_size), std::uint64_t(768) << 20);
    }
    ::kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);

    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_TRUE(fs::is_empty(images)) << entriesStartingWith(images, "").front();
    std::string text = slurp(log);
    EXPECT_THAT(text, HasSubstr("\r\nISO イメージの作成に失敗しました\r\n"));
    EXPECT_TRUE(text.ends_with(": 中止しました\r\nビルドを中止しました。\r\n")) << text;
}

} // namespace
} // namespace ornibe::test
