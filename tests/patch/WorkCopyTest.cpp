#include "patch/SetupFileEditor.h"

#include "PatchTestSupport.h"
#include "inf/DriverPackage.h"
#include "support/BuildTreeTools.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"
#include "sys/CommandLine.h"
#include "sys/HostPath.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace ornibe {
namespace {

using test::kVersionHeader;
using test::slurp;
using test::TempDir;

const std::string kHotfixes = kVersionHeader + "[SetupHotfixesToRun]\r\nq1.exe\r\n";

class WorkCopy : public ::testing::Test {
protected:
    TempDir dir;
    std::string i386 = dir.mkdir("I386");
    std::string fakes = dir.mkdir("fakes");
    ToolSearch tools = test::buildTreeTools(dir.path());
    DriverPackage package;

    void SetUp() override { package.AddCatalogFile("/m/a.cat"); }

    std::vector<std::string> recordedArguments(const std::string& tool) {
        std::vector<std::string> lines;
        std::string text = slurp(joinPath(fakes, tool + ".args"));
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            lines.push_back(text.substr(start, end - start));
        }
        return lines;
    }
    // A fake tool that writes its arguments, one a line, beside itself,
    // then runs body.
    void fakeTool(const std::string& name, const std::string& body) {
        test::writeScript(joinPath(fakes, name), "printf '%s\\n' \"$@\" > '" +
                                                     joinPath(fakes, name + ".args") + "'\n" +
                                                     body);
    }
};

// The line under the failure message of a failed step.
std::string reasonLine(const Outcome& outcome) {
    return outcome ? std::string("(succeeded)") : outcome.failure().line();
}

TEST_F(WorkCopy, plain_file_is_copied_and_packed_back_under_the_compressed_name_only) {
    std::string plain = dir.write("I386/MSHDC.INF", kHotfixes);
    SetupFileEditor editor(tools, i386);
    ASSERT_TRUE(editor.PrepareWorkCopy(plain));
    EXPECT_EQ(editor.sourcePath(), plain);
    EXPECT_EQ(editor.workCopyPath(), dir / "I386/TEMP/MSHDC.INF");
    EXPECT_TRUE(test::fileHolds(editor.workCopyPath(), kHotfixes));
    ASSERT_TRUE(editor.PackBack());
    EXPECT_EQ(test::namesIn(i386), (std::set<std::string>{"MSHDC.IN_", "TEMP"}));
    EXPECT_TRUE(test::namesIn(dir / "I386/TEMP").empty());
    EXPECT_TRUE(SetupFileEditor::IsCabinet(dir / "I386/MSHDC.IN_"));
}

TEST_F(WorkCopy, extract_and_makecab_get_their_options_and_folders_each_as_one_argument) {
    std::string spaced = dir.mkdir("work folder/I386");
    std::string cabinet = dir.write("work folder/I386/SVCPACK.IN_", "MSCF....");
    fakeTool("extract", "printf 'x' > \"$3/SVCPACK.INF\"\n");
    fakeTool("makecab", "printf 'MSCF' > \"$2/SVCPACK.IN_\"\n");
    tools = test::toolSearch(fakes, dir.path(), test::withoutSearchPath());

    SetupFileEditor editor(tools, spaced);
    ASSERT_TRUE(editor.PrepareWorkCopy(joinPath(spaced, "SVCPACK.INF")));
    std::string temp = joinPath(spaced, "TEMP");
    EXPECT_EQ(recordedArguments("extract"), (std::vector<std::string>{"/Y", "/L", temp, cabinet}));
    EXPECT_EQ(editor.sourcePath(), cabinet);
    EXPECT_EQ(editor.workCopyPath(), joinPath(temp, "SVCPACK.INF"));
    ASSERT_TRUE(editor.PackBack());
    EXPECT_EQ(recordedArguments("makecab"),
              (std::vector<std::string>{"/L", temp, joinPath(temp, "SVCPACK.INF")}));
    EXPECT_TRUE(test::fileHolds(cabinet, "MSCF"));
    EXPECT_EQ(test::namesIn(spaced), (std::set<std::string>{"SVCPACK.IN_", "TEMP"}));
}

TEST_F(WorkCopy, plain_name_holding_a_cabinet_is_expanded_not_copied) {
    std::string staged = dir.write("staging/MSHDC.INF", kHotfixes);
    std::string cabinet = test::makeCabinet(staged, dir / "staging");
    std::rename(cabinet.c_str(), (dir / "I386/MSHDC.INF").c_str());
    SetupFileEditor editor(tools, i386);
    ASSERT_TRUE(editor.PrepareWorkCopy(dir / "I386/MSHDC.INF"));
    EXPECT_TRUE(test::fileHolds(editor.workCopyPath(), kHotfixes));
}

TEST_F(WorkCopy, compressed_name_that_is_no_cabinet_is_not_used) {
    dir.write("I386/MSHDC.IN_", kHotfixes);
    dir.write("I386/SHORT.IN_", "MSC");
    SetupFileEditor editor(tools, i386);
    EXPECT_EQ(reasonLine(editor.PrepareWorkCopy(dir / "I386/MSHDC.INF")),
              dir / "I386/MSHDC.IN_" + ": キャビネットファイルではありません。");
    EXPECT_EQ(reasonLine(editor.PrepareWorkCopy(dir / "I386/SHORT.INF")),
              dir / "I386/SHORT.IN_" + ": キャビネットファイルではありません。");
    EXPECT_EQ(reasonLine(editor.PrepareWorkCopy(dir / "I386/NONE.INF")),
              dir / "I386/NONE.INF" +
                  ": ファイルがありません（圧縮された NONE.IN_ もありません）。");
    EXPECT_TRUE(test::namesIn(dir / "I386/TEMP").empty());
}

TEST_F(WorkCopy, failing_makecab_leaves_i386_exactly_as_it_was) {
    std::string plain = dir.write("I386/SVCPACK.INF", kHotfixes);
    std::string staged = dir.write("staging/SVCPACK.INF", "older");
    test::makeCabinet(staged, i386);
    std::string before = test::snapshot(i386);
    fakeTool("makecab", "printf 'MSCF partial' > \"$2/SVCPACK.IN_\"\n"
                        "echo \"makecab: cannot write $2/SVCPACK.IN_\" >&2\nexit 1\n");
    tools = test::toolSearch(fakes, dir.path(), test::withoutSearchPath());
    {
        SetupFileEditor editor(tools, i386, package,
                               {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        EXPECT_EQ(reasonLine(editor.PatchSvcpack()), joinPath(fakes, "makecab") +
                                                         ": 終了コード 1（makecab: cannot write " +
                                                         i386 + "/TEMP/SVCPACK.IN_）");
    }
    EXPECT_EQ(test::snapshot(i386), before);
    EXPECT_TRUE(test::fileHolds(plain, kHotfixes));
}

TEST_F(WorkCopy, missing_tools_fail_the_step_and_change_nothing) {
    dir.write("I386/SVCPACK.INF", kHotfixes);
    std::string staged = dir.write("staging/MSHDC.INF", kHotfixes);
    test::makeCabinet(staged, i386);
    std::string before = test::snapshot(i386);
    tools = test::toolSearch(fakes, dir.path(), test::withoutSearchPath());
    {
        SetupFileEditor editor(tools, i386, package,
                               {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        EXPECT_EQ(reasonLine(editor.PatchSvcpack()),
                  dir / "I386/SVCPACK.IN_" + ": 圧縮する MAKECAB.EXE が見つかりません。");
        EXPECT_EQ(reasonLine(editor.PatchMshdc()),
                  dir / "I386/MSHDC.IN_" + ": 展開する EXTRACT.EXE が見つかりません。");
    }
    EXPECT_EQ(test::snapshot(i386), before);
}

TEST_F(WorkCopy, failing_extract_fails_the_step_and_leaves_nothing_behind) {
    std::string staged = dir.write("staging/SVCPACK.INF", kHotfixes);
    test::makeCabinet(staged, i386);
    std::string before = test::snapshot(i386);
    fakeTool("extract", "printf 'half' > \"$3/SVCPACK.INF\"\nexit 1\n");
    tools = test::toolSearch(fakes, dir.path());
    {
        SetupFileEditor editor(tools, i386, package,
                               {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        EXPECT_EQ(reasonLine(editor.PatchSvcpack()), joinPath(fakes, "extract") + ": 終了コード 1");
    }
    EXPECT_EQ(test::snapshot(i386), before);
}

TEST_F(WorkCopy, read_only_setup_file_is_neither_replaced_nor_removed) {
    std::string plain = dir.write("I386/SVCPACK.INF", kHotfixes);
    test::makeReadOnly(plain);
    {
        SetupFileEditor editor(tools, i386, package,
                               {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        EXPECT_EQ(reasonLine(editor.PatchSvcpack()),
                  plain + ": 読み取り専用なので置き換えられません。");
    }
    EXPECT_TRUE(test::fileHolds(plain, kHotfixes));
    EXPECT_EQ(test::namesIn(i386), std::set<std::string>{"SVCPACK.INF"});
}

TEST_F(WorkCopy, cabinet_holding_another_name_fails_and_leaves_nothing_behind) {
    std::string staged = dir.write("staging/OTHER.INF", kHotfixes);
    std::string cabinet = test::makeCabinet(staged, dir / "staging");
    std::rename(cabinet.c_str(), (dir / "I386/SVCPACK.IN_").c_str());
    std::string before = test::snapshot(i386);
    {
        SetupFileEditor editor(tools, i386, package,
                               {WindowsVersion::WindowsXp, Architecture::X86, "2600"});
        EXPECT_EQ(reasonLine(editor.PatchSvcpack()),
                  dir / "I386/SVCPACK.IN_" + ": このキャビネットに SVCPACK.INF がありません。");
    }
    EXPECT_EQ(test::snapshot(i386), before);
}

} // namespace
} // namespace ornibe
