#include "sys/ChildProcessRunner.h"
#include "sys/CommandLine.h"

#include "support/BuildTreeTools.h"
#include "support/TempDir.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

using namespace ornibe;
using namespace ornibe::test;

namespace {

// Every test gets its own tool folder and an environment whose PATH holds
// only a folder of its own plus the system folders that the scripts need.
class ChildProcessRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.mkdir("tools");
        dir.mkdir("bin");
    }

    // A tool in the tool folder.
    std::string tool(const std::string& name, const std::string& body) {
        std::string path = tools + "/" + name;
        writeScript(path, body);
        return path;
    }

    // Runs the command line, collecting everything the child wrote. A child
    // that writes its process id to the file "pid" is killed when it is
    // still running after the deadline, so that a fault shows as a failed
    // test instead of a hang.
    bool run(ChildProcessRunner& runner, std::string* output,
             std::chrono::seconds deadline = std::chrono::seconds(20)) {
        auto start = std::chrono::steady_clock::now();
        bool killed = false;
        auto idle = [&] {
            ++idleCalls;
            if (!killed && std::chrono::steady_clock::now() - start > deadline) {
                killed = true;
                std::ifstream in(dir / "pid");
                int pid = 0;
                if (in >> pid && pid > 0) {
                    ::kill(pid, SIGKILL);
                }
                ADD_FAILURE() << "child still running after the deadline";
            }
        };
        ChildProcessRunner::OutputCallback sink;
        if (output != nullptr) {
            sink = [output](std::string_view chunk) { output->append(chunk); };
        }
        return runner.run(sink, idle);
    }

    TempDir dir;
    std::string tools = dir / "tools";
    std::string bin = dir / "bin";
    HostEnvironment environment = hostEnvironment().with("PATH", bin + ":/usr/bin:/bin");
    ToolSearch search = toolSearch(tools, dir.path(), environment);
    int idleCalls = 0;
};

} // namespace

TEST_F(ChildProcessRunnerTest, reports_exit_code_and_final_output) {
    tool("quick", "echo last words\nexit 3\n");
    ChildProcessRunner runner(search, "quick");
    std::string output;
    ASSERT_TRUE(run(runner, &output));
    EXPECT_EQ(runner.exitCode(), 3u);
    EXPECT_EQ(runner.terminatingSignal(), 0);
    EXPECT_EQ(output, "last words\n");
    EXPECT_TRUE(runner.startFailure().empty());
}

TEST_F(ChildProcessRunnerTest, captures_standard_error_and_standard_output_both) {
    tool("errors", "echo only errors >&2\n");
    ChildProcessRunner errorsOnly(search, "errors");
    std::string output;
    ASSERT_TRUE(run(errorsOnly, &output));
    EXPECT_EQ(errorsOnly.exitCode(), 0u);
    EXPECT_EQ(output, "only errors\n");

    // The two streams are separate pipes: a line on each arrives whole.
    tool("both", "echo to-out\necho to-err >&2\n");
    ChildProcessRunner both(search, "both");
    std::string mixed;
    ASSERT_TRUE(run(both, &mixed));
    EXPECT_NE(mixed.find("to-out\n"), std::string::npos) << mixed;
    EXPECT_NE(mixed.find("to-err\n"), std::string::npos) << mixed;
    EXPECT_EQ(mixed.size(), 14u);
}

TEST_F(ChildProcessRunnerTest, ten_megabytes_on_both_streams_arrive_complete) {
    tool("chatty", "echo $$ > '" + dir / "pid" +
                       "'\nhead -c 10485760 /dev/zero | tr '\\0' o &\n"
                       "head -c 1048576 /dev/zero | tr '\\0' e >&2\nwait\n");
    ChildProcessRunner runner(search, "chatty");
    std::string output;
    ASSERT_TRUE(run(runner, &output));
    EXPECT_EQ(runner.exitCode(), 0u);
    ASSERT_EQ(output.size(), 10485760u + 1048576u);
    EXPECT_EQ(std::count(output.begin(), output.end(), 'o'), 10485760);
    EXPECT_EQ(std::count(output.begin(), output.end(), 'e'), 1048576);
}

TEST_F(ChildProcessRunnerTest, ten_megabytes_without_a_callback_are_drained_and_dropped) {
    // A child whose pipes nobody reads blocks once 64 KiB are written.
    tool("chatty", "echo $$ > '" + dir / "pid" +
                       "'\nhead -c 10485760 /dev/zero\nhead -c 10485760 /dev/zero >&2\nexit 5\n");
    ChildProcessRunner runner(search, "chatty");
    ASSERT_TRUE(run(runner, nullptr));
    EXPECT_EQ(runner.exitCode(), 5u);
}

TEST_F(ChildProcessRunnerTest, standard_input_is_empty_so_a_reader_does_not_wait) {
    tool("asks", "echo $$ > '" + dir / "pid" +
                     "'\nif read answer; then echo got \"$answer\"; else echo no input; fi\n"
                     "cat\necho done\n");
    ChildProcessRunner runner(search, "asks");
    std::string output;
    ASSERT_TRUE(run(runner, &output));
    EXPECT_EQ(output, "no input\ndone\n");
}

TEST_F(ChildProcessRunnerTest, missing_program_does_not_start_and_keeps_the_exit_code) {
    ChildProcessRunner runner(search, "NOSUCHTOOL.EXE /Y");
    std::string output;
    EXPECT_FALSE(run(runner, &output));
    EXPECT_EQ(runner.exitCode(), ChildProcessRunner::kNoExitCode);
    EXPECT_EQ(runner.startFailure(), "NOSUCHTOOL.EXE: No such file or directory");
    EXPECT_EQ(output, "");

    // A second run of a runner that once ran keeps the earlier exit code.
    std::string script = tool("flaky", "exit 7\n");
    ChildProcessRunner twice(search, "flaky");
    ASSERT_TRUE(run(twice, nullptr));
    ASSERT_EQ(twice.exitCode(), 7u);
    ::unlink(script.c_str());
    EXPECT_FALSE(run(twice, nullptr));
    EXPECT_EQ(twice.exitCode(), 7u);
}

TEST_F(ChildProcessRunnerTest, things_that_are_not_programs_do_not_start) {
    struct Case {
        std::string commandLine;
        std::string failure;
    };
    dir.mkdir("folder.exe");
    dir.mkdir("tools/looksliketool");
    std::string plain = dir.write("plain", "echo hi\n");
    dir.write("tools/notrunnable", "echo hi\n");
    std::string garbage = dir.write("garbage", std::string("\x01\x02\x03 not a program\n"));
    chmod(garbage.c_str(), 0755);
    const Case cases[] = {
        {"", "コマンドラインが空です"},
        {" \t ", "コマンドラインが空です"},
        {quoteArgument(dir / "folder.exe"), dir / "folder.exe: Is a directory"},
        {"looksliketool", "looksliketool: No such file or directory"},
        {quoteArgument(plain), plain + ": Permission denied"},
        {"notrunnable", "notrunnable: Permission denied"},
        {quoteArgument(garbage), garbage + ": Exec format error"},
    };
    for (const Case& c : cases) {
        ChildProcessRunner runner(search, c.commandLine);
        EXPECT_FALSE(run(runner, nullptr)) << c.commandLine;
        EXPECT_EQ(runner.startFailure(), c.failure) << c.commandLine;
        EXPECT_EQ(runner.exitCode(), ChildProcessRunner::kNoExitCode);
    }
}

TEST_F(ChildProcessRunnerTest, finds_tools_ignoring_case_and_exe_tool_folder_first) {
    tool("makecab", "printf 'tool:'; printf '%s|' \"$@\"\n");
    writeScript(bin + "/makecab", "echo from path\n");
    writeScript(bin + "/onlyonpath", "echo from path\n");
    std::string output;
    ChildProcessRunner runner(search, R"(MAKECAB.EXE /L "C:\Work Dir" file.inf)");
    ASSERT_TRUE(run(runner, &output));
    EXPECT_EQ(output, R"(tool:/L|C:\Work Dir|file.inf|)");

    std::string fromPath;
    ChildProcessRunner second(search, "OnlyOnPath.Exe");
    ASSERT_TRUE(run(second, &fromPath));
    EXPECT_EQ(fromPath, "from path\n");
}

TEST_F(ChildProcessRunnerTest, quoted_values_arrive_as_single_arguments) {
    tool("args", "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done\n");
    const std::string values[] = {
        "plain", "with blank", R"(C:\dir\)",           R"(say "hi")", R"(\\server\share\"x\\)",
        "",      "tab\there",  "作業フォルダ/W2K.ISO", R"(-l"LABEL")"};
    std::string commandLine = "args";
    std::string expected;
    for (const std::string& value : values) {
        commandLine += " " + quoteArgument(value);
        expected += "[" + value + "]\n";
    }
    ChildProcessRunner runner(search, commandLine);
    std::string output;
    ASSERT_TRUE(run(runner, &output));
    EXPECT_EQ(output, expected);
}

TEST_F(ChildProcessRunnerTest, unbalanced_quote_runs_to_the_end_of_the_line) {
    tool("args", "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done\n");
    ChildProcessRunner runner(search, R"(args one "two  three)");
    std::string output;
    ASSERT_TRUE(run(runner, &output));
    EXPECT_EQ(output, "[one]\n[two  three]\n");

    // An unclosed quote around the program name swallows the whole line.
    ChildProcessRunner program(search, R"("args one)");
    EXPECT_FALSE(run(program, nullptr));
    EXPECT_EQ(program.startFailure(), "args one: No such file or directory");
}

TEST_F(ChildProcessRunnerTest, child_killed_by_a_signal_has_failed) {
    tool("crash", "echo before\nkill -KILL $$\necho after\n");
    ChildProcessRunner runner(search, "crash");
    std::string output;
    ASSERT_TRUE(run(runner, &output));
    EXPECT_EQ(runner.terminatingSignal(), SIGKILL);
    EXPECT_EQ(runner.exitCode(), 128u + SIGKILL);
    EXPECT_EQ(output, "before\n");
}

TEST_F(ChildProcessRunnerTest, child_that_closes_its_output_early_is_still_awaited) {
    tool("quiet", "echo $$ > '" + dir / "pid" + "'\necho bye\nexec >&- 2>&-\nsleep 1\nexit 4\n");
    ChildProcessRunner runner(search, "quiet");
    std::string output;
    ASSERT_TRUE(run(runner, &output));
    EXPECT_EQ(runner.exitCode(), 4u);
    EXPECT_EQ(output, "bye\n");
    // The page was allowed to repaint while the child slept.
    EXPECT_GE(idleCalls, 5);
}

TEST_F(ChildProcessRunnerTest, process_left_behind_holding_the_pipes_does_not_keep_the_run) {
    std::string pidFile = dir / "background";
    tool("daemon", "sleep 60 &\necho $! > '" + pidFile + "'\necho started\nexit 0\n");
    ChildProcessRunner runner(search, "daemon");
    std::string output;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(run(runner, &output));
    auto took = std::chrono::steady_clock::now() - start;
    std::ifstream in(pidFile);
    int pid = 0;
    if (in >> pid && pid > 0) {
        ::kill(pid, SIGKILL);
    }
    EXPECT_EQ(runner.exitCode(), 0u);
    EXPECT_EQ(output, "started\n");
    EXPECT_LT(took, std::chrono::seconds(30));
}

TEST_F(ChildProcessRunnerTest, callback_that_throws_ends_the_child) {
    std::string pidFile = dir / "pid";
    tool("slow", "echo $$ > '" + pidFile + "'\necho tick\nexec sleep 60\n");
    ChildProcessRunner runner(search, "slow");
    auto throwing = [](std::string_view) { throw std::runtime_error("log is gone"); };
    EXPECT_THROW(runner.run(throwing, {}), std::runtime_error);
    std::ifstream in(pidFile);
    int pid = 0;
    ASSERT_TRUE(in >> pid);
    EXPECT_NE(::kill(pid, 0), 0) << "child still running";
}

TEST_F(ChildProcessRunnerTest, child_gets_the_environment_of_its_search_and_the_current_folder) {
    tool("where", "printf '%s|%s' \"$ORNIBE_PROBE\" \"$(pwd)\"\n");
    std::string folder = dir.mkdir("cwd");
    ChildProcessRunner runner(
        toolSearch(tools, dir.path(), environment.with("ORNIBE_PROBE", "probe value")), "where");
    std::string output;
    bool started = false;
    {
        CurrentFolderScope here(folder);
        started = run(runner, &output);
    }
    ASSERT_TRUE(started);
    EXPECT_EQ(output, "probe value|" + folder);
}

// The child variables replace the environment's of those names, once each,
// and join the rest of it, which stays unchanged.
TEST_F(ChildProcessRunnerTest, variables_of_the_search_replace_the_parents_and_join_the_rest) {
    tool("vars", "printf '%s|%s|%s|' \"$ORNIBE_PROBE\" \"$ORNIBE_OTHER\" \"$ORNIBE_NEW\"\n"
                 "env | grep -c '^ORNIBE_PROBE='\n");
    search = toolSearch(tools, dir.path(),
                        environment.with("ORNIBE_PROBE", "parent").with("ORNIBE_OTHER", "kept"));
    ToolSearch withVariables = search.withChildVariable("ORNIBE_PROBE", "first")
                                   .withChildVariable("ORNIBE_NEW", "new")
                                   .withChildVariable("ORNIBE_PROBE", "child");
    ChildProcessRunner runner(withVariables, "vars");
    std::string output;
    const bool started = run(runner, &output);
    // The search without the variables leaves the parent's environment alone.
    ChildProcessRunner plain(search, "vars");
    std::string plainOutput;
    const bool plainStarted = run(plain, &plainOutput);
    ASSERT_TRUE(started && plainStarted);
    EXPECT_EQ(output, "child|kept|new|1\n");
    EXPECT_EQ(plainOutput, "parent|kept||1\n");
}

TEST_F(ChildProcessRunnerTest, a_child_starts_in_its_folder_and_a_stop_ends_its_whole_group) {
    // The child starts a helper of its own and both wait; the stop must end
    // both, and the parent's current folder stays its own.
    std::string folder = dir.mkdir("work");
    tool("waits", "pwd > started\nsleep 60 &\necho $! > helper\nsleep 60\n");
    char before[4096];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);

    ChildProcessRunner runner(search, "waits");
    runner.setWorkingFolder(folder);
    runner.setStopCheck([&] { return std::ifstream(folder + "/helper").good(); });
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(runner.run());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));

    EXPECT_TRUE(runner.stopped());
    EXPECT_EQ(runner.terminatingSignal(), SIGTERM);
    EXPECT_EQ(slurp(folder + "/started"), folder + "\n");
    int helper = 0;
    ASSERT_TRUE(std::ifstream(folder + "/helper") >> helper);
    // The helper is gone (or a zombie of init's, which kill still finds
    // for a moment): give it that moment.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (::kill(helper, 0) == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_NE(::kill(helper, 0), 0) << "the child's helper still runs";
    char after[4096];
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);
}

TEST_F(ChildProcessRunnerTest, outcome_says_why_a_run_failed) {
    tool("passes", "exit 0\n");
    ChildProcessRunner passes(search, "passes");
    ASSERT_TRUE(run(passes, nullptr));
    EXPECT_TRUE(passes.outcome("ignored"));

    tool("fails", "exit 4\n");
    ChildProcessRunner fails(search, "FAILS.EXE /Y");
    ASSERT_TRUE(run(fails, nullptr));
    EXPECT_EQ(fails.outcome().failure(), (Failure{"run", "FAILS.EXE", "終了コード 4"}));
    EXPECT_EQ(fails.outcome("disk full").failure().reason, "終了コード 4（disk full）");

    ChildProcessRunner missing(search, "NOSUCHTOOL.EXE");
    EXPECT_FALSE(run(missing, nullptr));
    EXPECT_EQ(missing.outcome("ignored").failure(),
              (Failure{"start", "", "NOSUCHTOOL.EXE: No such file or directory"}));

    tool("lingers", "sleep 30\n");
    ChildProcessRunner stopped(search, "lingers");
    stopped.setStopCheck([] { return true; });
    ASSERT_TRUE(run(stopped, nullptr));
    EXPECT_EQ(stopped.outcome("ignored").failure(), (Failure{"run", "lingers", "中止しました"}));
}

// The starter a search carries is where every child starts: it gets the
// program the search found, the arguments, the folder and the search's
// environment, and what it answers is what the runner reports.
TEST_F(ChildProcessRunnerTest, children_start_through_the_starter_of_their_search) {
    const std::string makecab = tool("makecab", "exit 0\n");
    auto scripted = std::make_shared<ScriptedProcesses>();
    scripted->answer("makecab", {"writing\nERROR: disk full\n", 5});
    const ToolSearch scriptedSearch =
        search.withChildVariable("SOURCE_DATE_EPOCH", "0").withProcessStarter(scripted);

    ChildProcessRunner runner(scriptedSearch, "MAKECAB.EXE /L \"out dir\" a.inf");
    runner.setWorkingFolder(dir / "work");
    EXPECT_EQ(runQuietly(runner).failure(),
              (Failure{"run", "MAKECAB.EXE", "終了コード 5（ERROR: disk full）"}));
    ASSERT_EQ(scripted->started().size(), 1u);
    const ChildStart& child = scripted->started().front();
    EXPECT_EQ(child.program, makecab);
    EXPECT_EQ(child.arguments, (std::vector<std::string>{"MAKECAB.EXE", "/L", "out dir", "a.inf"}));
    EXPECT_EQ(child.workingFolder, dir / "work");
    EXPECT_EQ(child.environment, scriptedSearch.environment().variables());
    EXPECT_EQ(HostEnvironment(child.environment).value("SOURCE_DATE_EPOCH"), "0");

    // A program the search does not find never reaches the starter.
    ChildProcessRunner missing(scriptedSearch, "cdimage");
    EXPECT_FALSE(missing.run());
    EXPECT_EQ(scripted->started().size(), 1u);
}
