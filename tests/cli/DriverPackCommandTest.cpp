#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;

// The sample driver under another name and other hardware IDs: OrScN.inf,
// X86/ORSCN.SYS and ORSCN.CAT in folder, for N from 4 to 9.
std::string writeDriver(const TempDir& dir, const std::string& folder, int n) {
    const std::string name = "OrSc" + std::to_string(n);
    std::string inf = slurp(kSampleDriverInf);
    auto replaceAll = [&](const std::string& from, const std::string& to) {
        for (size_t at = inf.find(from); at != std::string::npos; at = inf.find(from, at)) {
            inf.replace(at, from.size(), to);
            at += to.size();
        }
    };
    replaceAll("OrScsi", name);
    replaceAll("&DEV_03", "&DEV_0" + std::to_string(n));
    std::string upper = "ORSC" + std::to_string(n);
    dir.write(folder + "/X86/" + upper + ".SYS", noise(40000 + size_t(n), unsigned(n)));
    dir.write(folder + "/" + upper + ".CAT", noise(900, unsigned(n) + 100));
    return dir.write(folder + "/" + name + ".inf", inf);
}

// Every file below root with its bytes, by its path relative to root; a
// folder stands with an empty text.
std::map<std::string, std::string> treeBytes(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::string relative = fs::relative(entry.path(), root).string();
        files[relative] = entry.is_regular_file() ? slurp(entry.path().string()) : "";
    }
    return files;
}

// A driver pack built into copies of the shipped sample by ornibe-build,
// also by a copy of it whose tool folder holds a makecab of the test's
// own in front of the project's: a script that writes each command line
// it gets to a file and then acts as the case asks.
class DriverPackCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(kSampleTree, work, fs::copy_options::recursive);
        for (int n = 4; n <= 6; ++n) {
            drivers.push_back("--driver");
            drivers.push_back(writeDriver(dir, "pack/D" + std::to_string(n), n));
        }
        // A copy of the program in a folder laid out as a build tree, so
        // that it takes its tools from there.
        const std::string tools =
            dir / "own/" + fs::path(builtTool("cdimage")).parent_path().filename().string();
        fs::create_directories(tools);
        dir.write("own/CMakeCache.txt", "");
        fs::copy_file(kProgram, program);
        // extract says its command lines as well.
        writeScript(tools + "/extract", "echo \"extract $*\" >> '" + calls + "'\nexec '" +
                                            builtTool("extract") + "' \"$@\"\n");
        for (const char* tool : {"cdimage", "attrib", "infquery"}) {
            fs::create_symlink(builtTool(tool), tools + "/" + tool);
        }
        wrapper = tools + "/makecab";
    }

    // The wrapper runs body after recording its command line.
    void useMakecab(const std::string& body) {
        fs::remove(wrapper);
        writeScript(wrapper, "echo \"$*\" >> '" + calls + "'\n" + body);
    }
    std::string realMakecab() const { return "'" + builtTool("makecab") + "' \"$@\""; }

    // The command lines the wrapper got from the driver stage (those that
    // write into I386 itself; the setup-file patcher compresses in a folder
    // of its own), one a line.
    std::vector<std::string> stageCalls() const {
        std::vector<std::string> lines;
        if (!fs::exists(calls)) {
            return lines;
        }
        std::istringstream text(slurp(calls));
        for (std::string line; std::getline(text, line);) {
            if (line.starts_with("/L " + work + "/I386 ")) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    // The cabinet tool's runs of the tree check, which expands into a
    // temporary folder of its own.
    std::vector<std::string> checkCalls() const {
        std::vector<std::string> lines;
        std::istringstream text(slurp(calls));
        for (std::string line; std::getline(text, line);) {
            if (line.starts_with("extract ") && line.find("ornibe-check-") != std::string::npos) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    std::vector<std::string> arguments(const std::string& log) const {
        // The setup files the build compresses anew carry this date, not
        // the second they were written in.
        std::vector<std::string> all = {"env",     "SOURCE_DATE_EPOCH=1000000000",
                                        program,   "--work",
                                        work,      "--yes",
                                        "--quiet", "--log",
                                        log};
        all.insert(all.end(), drivers.begin(), drivers.end());
        return all;
    }

    TempDir dir;
    std::string work = dir / "xp";
    std::string program = dir / "own/ornibe-build";
    std::string calls = dir / "calls";
    std::string wrapper;
    std::vector<std::string> drivers;
};

TEST_F(DriverPackCommandTest,
       a_refused_list_run_gives_the_tree_and_log_of_the_list_run_by_one_run_per_file) {
    // The list run makes every cabinet: makecab runs once.
    useMakecab("exec " + realMakecab() + "\n");
    CommandResult batched = runCommand(arguments(dir / "batched.log"));
    ASSERT_EQ(batched.exitCode, 0) << batched.output;
    std::vector<std::string> made = stageCalls();
    ASSERT_EQ(made.size(), 1u) << ::testing::PrintToString(made);
    EXPECT_THAT(made[0], HasSubstr(" /F "));
    // The tree check takes the three INFs out of their cabinets in one run
    // and the three drivers in another.
    // (The CD's own setup files are read by runs of their own.)
    std::vector<std::string> checked = checkCalls();
    EXPECT_EQ(std::count_if(
                  checked.begin(), checked.end(),
                  [](const std::string& line) { return line.find(" /F ") != std::string::npos; }),
              2);
    EXPECT_THAT(checked, ::testing::Each(::testing::Not(::testing::ContainsRegex("ORSC|OrSc"))));
    const auto batchedTree = treeBytes(work);
    EXPECT_TRUE(batchedTree.contains("I386/ORSC4.SY_"));
    EXPECT_TRUE(batchedTree.contains("I386/OrSc6.in_"));
    fs::rename(work, dir / "batched");

    // A makecab that does not know /F: each file is compressed by a run of
    // its own, once, and the tree and the log come out the same.
    fs::remove(calls);
    fs::copy(kSampleTree, work, fs::copy_options::recursive);
    useMakecab("case \" $* \" in *' /F '*) echo 'makecab: unknown switch /F' >&2; exit 1;; esac\n"
               "exec " +
               realMakecab() + "\n");
    CommandResult single = runCommand(arguments(dir / "single.log"));
    ASSERT_EQ(single.exitCode, 0) << single.output;
    made = stageCalls();
    ASSERT_EQ(made.size(), 7u);
    EXPECT_THAT(made[0], HasSubstr(" /F "));
    std::vector<std::string> files;
    for (size_t i = 1; i < made.size(); ++i) {
        EXPECT_THAT(made[i], ::testing::Not(HasSubstr(" /F ")));
        files.push_back(fs::path(made[i].substr(made[i].rfind(' ') + 1)).filename().string());
    }
    EXPECT_THAT(files, ::testing::UnorderedElementsAre("ORSC4.SYS", "ORSC5.SYS", "ORSC6.SYS",
                                                       "OrSc4.inf", "OrSc5.inf", "OrSc6.inf"));
    const auto singleTree = treeBytes(work);
    std::vector<std::string> differing;
    for (const auto& [path, bytes] : batchedTree) {
        if (!singleTree.contains(path) || singleTree.at(path) != bytes) {
            differing.push_back(path);
        }
    }
    EXPECT_EQ(differing, std::vector<std::string>());
    EXPECT_EQ(singleTree.size(), batchedTree.size());
    EXPECT_EQ(slurp(dir / "single.log"), slurp(dir / "batched.log"));
    EXPECT_THAT(slurp(dir / "single.log"), HasSubstr("ORSC5.CAT をコピーしています。。。完了\r\n"));
}

TEST_F(DriverPackCommandTest, ctrl_c_during_the_list_run_leaves_the_tree_as_it_was) {
    // The list run makes its cabinets, says so and then waits to be ended.
    useMakecab(realMakecab() + " || exit 1\ntouch '" + (dir / "made") + "'\nexec sleep 600\n");
    const TreeSnapshot before = snapshotTree(work);
    RunningCommand build(withTimeLimit(120, arguments(dir / "build.log")));
    ASSERT_TRUE(build.started());
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(dir / "made") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(fs::exists(dir / "made")) << "the list run was not seen ending";
    // The cabinets stand under hidden names in I386 until they are placed.
    // The cabinets and the list stand under hidden names in I386 until the
    // run ends.
    size_t cabinets = 0;
    size_t lists = 0;
    for (const auto& entry : fs::directory_iterator(work + "/I386")) {
        std::string name = entry.path().filename().string();
        cabinets += name.starts_with(".") && name.find("_.ornibe-") != std::string::npos;
        lists += name.starts_with(".MAKECAB.LST.ornibe-");
    }
    EXPECT_EQ(cabinets, 6u);
    EXPECT_EQ(lists, 1u);
    build.sendSignal(SIGINT);
    CommandResult stopped = build.finish();

    EXPECT_EQ(stopped.exitCode, 1) << stopped.output;
    EXPECT_EQ(snapshotTree(work), before);
    std::string log = slurp(dir / "build.log");
    EXPECT_THAT(log, ::testing::Not(HasSubstr("をコピーしています")));
    EXPECT_TRUE(log.ends_with("\r\nビルドを中止しました。\r\n")) << log;
}

} // namespace
} // namespace ornibe::test
