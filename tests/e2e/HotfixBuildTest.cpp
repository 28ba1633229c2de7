// Hotfix packages, $OEM$ files and setup commands through ornibe-build: where
// each goes, read back with the program's own INF parser and cabextract.

#include "E2eTest.h"
#include "TreeFiles.h"

#include "inf/InfFile.h"
#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/StandIns.h"
#include "sys/TextEncoding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr std::uint16_t kX86 = 0x14C;

// A stand-in hotfix package: the console program the cross compiler built
// for the machine, with a tag after its image (as packages carry their
// files) that tells the packages apart.
std::string package(std::uint16_t machine, const std::string& tag) {
    return slurp(standIn(machine == kX86 ? "X86/PACKAGE.EXE" : "X64/PACKAGE.EXE")) + tag;
}

std::vector<std::string> keysOf(const std::map<std::string, std::string>& tree) {
    std::vector<std::string> keys;
    for (const auto& entry : tree) {
        keys.push_back(entry.first);
    }
    return keys;
}

// The tree with each compressed setup file expanded under its plain name:
// a cabinet carries the time it was made, and setup reads either form (a
// file the build packed once stays packed).
std::map<std::string, std::string> expandedTree(const std::string& root,
                                                const std::string& scratch) {
    std::map<std::string, std::string> tree;
    for (auto& [path, bytes] : readTree(root)) {
        if (path.ends_with(".IN_")) {
            tree[path.substr(0, path.size() - 1) + "F"] = expandCabinet(bytes, scratch).bytes;
        } else {
            tree[path] = bytes;
        }
    }
    return tree;
}

// The lines of a section as the INF parser reads them.
std::vector<std::string> linesOf(const std::string& bytes, std::string_view section) {
    std::vector<std::string> lines;
    Result<InfFile, InfProblem> file = InfFile::readBytes(bytes, InfStyle::AnswerFile);
    if (!file) {
        return {"(unreadable: " + file.failure().text() + ")"};
    }
    for (auto line = file->findFirstLine(section); line; line = file->findNextLine(*line)) {
        lines.push_back(file->lineText(*line).value_or(""));
    }
    return lines;
}

class HotfixBuildTest : public E2eTest {
protected:
    void SetUp() override { ORNIBE_REQUIRE_STAND_INS(); }

    // A CD whose SVCPACK.INF is plain UTF-16LE, as real ones are, and lists
    // a hotfix of its own that its SVCPACK holds.
    void makeXpTree(const std::string& work) {
        ASSERT_TRUE(makeTree(work, "xp"));
        fs::remove(work + "/I386/SVCPACK.IN_");
        const std::string text = "[Version]\r\n"
                                 "Signature=\"$Windows NT$\"\r\n"
                                 "MajorVersion=5\r\nMinorVersion=1\r\nBuildNumber=2600\r\n\r\n"
                                 "[SetupData]\r\nCatalogSubDir=\"\\i386\\svcpack\"\r\n\r\n"
                                 "[ProductCatalogsToInstall]\r\nKB000001.CAT\r\n\r\n"
                                 "[SetupHotfixesToRun]\r\nKB000009.EXE /q /n /z\r\n";
        const std::string folder = fs::relative(work, dir.path()).string();
        dir.write(folder + "/I386/SVCPACK.INF", "\xFF\xFE" + cp932ToUtf16le(text));
        dir.write(folder + "/I386/SVCPACK/KB000009.EXE", package(kX86, "the CD's own"));
    }

    const std::string work = dir / "xp";
};

// Three packages (two whose short names collide, one with its KB number
// and switches of its own), a folder for $OEM$ beside a PnP driver, a
// command at T-12 and one at the first logon: each lands where setup reads
// it, the CD's own hotfix stays first, the tree check passes, and a rebuild
// in the same work folder leaves every file as it was.
TEST_F(HotfixBuildTest, everything_lands_where_setup_reads_it_and_a_rebuild_changes_nothing) {
    makeXpTree(work);
    const std::string one = dir.write("pkg/Update-Package-One.exe", package(kX86, "one"));
    const std::string two = dir.write("pkg/Update-Package-Two.exe", package(kX86, "two"));
    const std::string kb = dir.write("pkg/WindowsXP-KB900001-x86-JPN.exe", package(kX86, "kb"));
    const std::string inf = dir.write("pnp/nic.inf", "[Version]\r\n"
                                                     "Signature=\"$Windows NT$\"\r\n"
                                                     "Class=Net\r\n"
                                                     "[Manufacturer]\r\n"
                                                     "M = Models, NTx86\r\n"
                                                     "[Models.NTx86]\r\n"
                                                     "Nic = Inst, PCI\\VEN_1111\r\n"
                                                     "[Inst]\r\n");
    dir.write("oem/$1/Install/setup.cmd", "@echo off\r\n");
    dir.write("oem/$1/Drivers/Mine/mine.txt", "the user's own\r\n");
    dir.write("oem/$$/Web/readme.txt", "readme\r\n");
    const std::vector<std::string> arguments = {"--work",
                                                work,
                                                "--quiet",
                                                "--unattended",
                                                "--full-name",
                                                "T",
                                                "--hotfix",
                                                one,
                                                "--hotfix",
                                                two,
                                                "--hotfix",
                                                kb,
                                                "--hotfix-switches",
                                                "/Q:A /R:N",
                                                "--pnp-driver",
                                                inf,
                                                "--oem-files",
                                                dir / "oem",
                                                "--run-at-setup",
                                                "rundll32 setupapi,InstallHinfSection",
                                                "--run-at-setup",
                                                "cmd /c echo done",
                                                "--run-at-first-logon",
                                                "%systemdrive%\\Install\\setup.cmd"};
    CommandResult result = runBuild(arguments);
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(result.output,
                HasSubstr("Update-Package-Two.exe → I386\\SVCPACK\\UPDATE~2.EXE /q /n /z"));
    EXPECT_THAT(result.output, HasSubstr("WindowsXP-KB900001-x86-JPN.exe → "
                                         "I386\\SVCPACK\\KB900001.EXE /Q:A /R:N"));

    // SVCPACK.INF, compressed again, still UTF-16LE with the CD's line first.
    CabinetFile svcpack = expandCabinet(slurp(work + "/I386/SVCPACK.IN_"), dir / "expand");
    ASSERT_EQ(svcpack.name, "SVCPACK.INF");
    EXPECT_TRUE(svcpack.bytes.starts_with("\xFF\xFE"));
    EXPECT_THAT(linesOf(svcpack.bytes, "SetupHotfixesToRun"),
                ElementsAre("KB000009.EXE /q /n /z", "UPDATE~1.EXE /q /n /z",
                            "UPDATE~2.EXE /q /n /z", "KB900001.EXE /Q:A /R:N"));
    EXPECT_THAT(linesOf(svcpack.bytes, "ProductCatalogsToInstall"), ElementsAre("KB000001.CAT"));
    EXPECT_EQ(slurp(work + "/I386/SVCPACK/UPDATE~1.EXE"), slurp(one));
    EXPECT_EQ(slurp(work + "/I386/SVCPACK/UPDATE~2.EXE"), slurp(two));
    EXPECT_EQ(slurp(work + "/I386/SVCPACK/KB900001.EXE"), slurp(kb));
    EXPECT_THAT(linesOf(slurp(work + "/I386/DOSNET.INF"), "OptionalSrcDirs"),
                ElementsAre("lang", "svcpack"));

    // $OEM$: the user's files beside the PnP driver's folder, cmdlines.txt.
    std::map<std::string, std::string> oem = readTree(work + "/$OEM$");
    EXPECT_EQ(oem["$1/Install/setup.cmd"], "@echo off\r\n");
    EXPECT_EQ(oem["$1/Drivers/Mine/mine.txt"], "the user's own\r\n");
    EXPECT_EQ(oem["$$/Web/readme.txt"], "readme\r\n");
    EXPECT_EQ(oem["$1/Drivers/001/nic.inf"], slurp(inf));
    EXPECT_THAT(linesOf(oem["cmdlines.txt"], "Commands"),
                ElementsAre("rundll32 setupapi,InstallHinfSection", "cmd /c echo done"));
    const std::string answers = slurp(work + "/I386/WINNT.SIF");
    EXPECT_THAT(linesOf(answers, "GuiRunOnce"), ElementsAre("%systemdrive%\\Install\\setup.cmd"));
    EXPECT_THAT(linesOf(answers, "Unattended"), testing::Contains("Yes"));

    CommandResult check = runBuild({"--work", work, "--check"});
    EXPECT_EQ(check.exitCode, 0) << check.output;

    const std::map<std::string, std::string> first = readTree(work);
    CommandResult again = runBuild(arguments);
    ASSERT_EQ(again.exitCode, 0) << again.output;
    EXPECT_THAT(again.output, HasSubstr("Update-Package-One.exe は SVCPACK\\UPDATE~1.EXE "
                                        "としてもう載っています。"));
    EXPECT_EQ(readTree(work), first);

    // Rebuilds with fewer items, then with none, give the tree a build into
    // an empty folder gives: what the earlier build added and this one does
    // not is gone, the CD's own package and lines stay.
    const std::vector<std::string> fewer = {
        "--work", work,           "--quiet", "--unattended",   "--full-name",     "T", "--hotfix",
        kb,       "--pnp-driver", inf,       "--run-at-setup", "cmd /c echo done"};
    const std::vector<std::string> none = {"--work",      work, "--quiet",      "--unattended",
                                           "--full-name", "T",  "--pnp-driver", inf};
    int round = 0;
    for (std::vector<std::string> rebuild : {fewer, none}) {
        CommandResult less = runBuild(rebuild);
        ASSERT_EQ(less.exitCode, 0) << less.output;
        const std::string fresh = dir / ("fresh" + std::to_string(++round));
        makeXpTree(fresh);
        rebuild[1] = fresh;
        CommandResult empty = runBuild(rebuild);
        ASSERT_EQ(empty.exitCode, 0) << empty.output;
        const auto rebuilt = expandedTree(work, dir / "rebuilt");
        const auto made = expandedTree(fresh, dir / "fresh");
        EXPECT_EQ(keysOf(rebuilt), keysOf(made));
        for (const auto& [path, bytes] : made) {
            EXPECT_EQ(rebuilt.contains(path) ? rebuilt.at(path) : "(none)", bytes) << path;
        }
    }
    EXPECT_EQ(slurp(work + "/I386/SVCPACK/KB000009.EXE"), package(kX86, "the CD's own"));
    EXPECT_FALSE(fs::exists(work + "/$OEM$/cmdlines.txt"));
    EXPECT_FALSE(fs::exists(work + "/$OEM$/$1/Install"));

    // A record that names a path outside $OEM$, or that does not read as
    // one, is refused by the checks, the tree as it was.
    for (const auto& [record, reason] : std::vector<std::pair<std::string, std::string>>{
             {"OEM=../../I386/DOSNET.INF\r\n", "ビルドの記録が $OEM$ の外か記録そのもの"},
             {"SVCPACK=KB900001.EXE\r\nGarbage\r\n", "2 行目が読めません。記録が壊れています。"}}) {
        dir.write("xp/$OEM$/ORNIBE.TXT", record);
        const std::map<std::string, std::string> before = readTree(work);
        CommandResult damaged = runBuild(none);
        EXPECT_EQ(damaged.exitCode, 2) << damaged.output;
        EXPECT_THAT(damaged.output, HasSubstr("作業フォルダにあるビルドの記録が使えません。"));
        EXPECT_THAT(damaged.output, HasSubstr(reason));
        EXPECT_EQ(readTree(work), before);
    }
}

// What cannot go onto the CD is refused before anything changes: a package
// of the other architecture, a file that is no program, a package given
// twice, switches without a package, commands setup cannot take and
// commands without an answer file. A package whose name the CD lists for
// another file stops its step with the tree as it was.
TEST_F(HotfixBuildTest, what_setup_cannot_take_is_refused_leaving_the_tree_as_it_was) {
    makeXpTree(work);
    const std::string x64 = dir.write("pkg/KB900002-x64.exe", package(0x8664, "x64"));
    const std::string text = dir.write("pkg/notes.exe", "not a program");
    const std::string x86 = dir.write("pkg/KB900003.exe", package(kX86, "x86"));
    const std::vector<std::string> base = {"--work", work, "--unattended", "--full-name", "T"};
    auto with = [&](std::vector<std::string> more) {
        std::vector<std::string> all = base;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    expectRefusedLeavingAsItWas(
        dir.path(),
        {{with({"--hotfix", x64}), "x86 のツリーに、x86 でないプログラムです。"},
         {with({"--hotfix", text}), "Windows のプログラム（MZ と PE のヘッダ）ではありません。"},
         {with({"--hotfix", x86, "--hotfix", x86}), "同じパッケージがもう一覧にあります。"},
         {with({"--hotfix-switches", "/q", "--hotfix", x86}),
          "--hotfix-switches は --hotfix の後に"},
         {with({"--hotfix", x86, "--hotfix-switches", "/q;x"}), "「;」"},
         {with({"--run-at-setup", "setup.exe \"a b\""}), "コマンドに「\"」があります。"},
         {with({"--run-at-first-logon", std::string(260, 'x')}), "260 文字あり"},
         {{"--work", work, "--run-at-setup", "a.cmd"}, "--unattended か --answer-file"},
         {{"--work", work, "--oem-files", dir / "pkg"}, "--unattended か --answer-file"}});

    // The CD lists KB000009.EXE for a file of other bytes.
    const std::string other = dir.write("pkg/KB000009.EXE", package(kX86, "another"));
    const std::map<std::string, std::string> before = readTree(work);
    CommandResult listed = runBuild(with({"--hotfix", x86, "--hotfix", other}));
    EXPECT_EQ(listed.exitCode, 1) << listed.output;
    EXPECT_THAT(listed.output, HasSubstr("修正プログラム KB000009.EXE は SVCPACK.INF にもう載って"
                                         "います。"));
    EXPECT_EQ(readTree(work), before);
}

// The user's own answer file with its own [GuiRunOnce] and OemPreinstall:
// its commands stay first and in order, ours follow, OemPreinstall is
// there once; a rebuild lists nothing twice, and one with another command
// drops the earlier one.
TEST_F(HotfixBuildTest, the_users_own_first_logon_commands_come_first_and_stay_once) {
    makeXpTree(work);
    const std::string own =
        dir.write("own.sif", "[Data]\r\n"
                             "UnattendedInstall = \"Yes\"\r\n"
                             "\r\n"
                             "[Unattended]\r\n"
                             "UnattendMode = FullUnattended\r\n"
                             "OemPreinstall = Yes\r\n"
                             "\r\n"
                             "[UserData]\r\n"
                             "FullName = \"Own\"\r\n"
                             "ComputerName = *\r\n"
                             "\r\n"
                             "[GuiRunOnce]\r\n"
                             "Command0 = \"%systemdrive%\\own\\first.cmd\"\r\n"
                             "Command1 = \"%systemdrive%\\own\\second.cmd\"\r\n");
    auto arguments = [&](const std::string& command) {
        return std::vector<std::string>{"--work",
                                        work,
                                        "--quiet",
                                        "--answer-file",
                                        own,
                                        "--run-at-setup",
                                        "cmd /c echo t12",
                                        "--run-at-first-logon",
                                        command};
    };
    const std::string sif = work + "/I386/WINNT.SIF";
    CommandResult result = runBuild(arguments("%systemdrive%\\Install\\ours.cmd"));
    ASSERT_EQ(result.exitCode, 0) << result.output;
    const std::vector<std::string> expected = {"%systemdrive%\\own\\first.cmd",
                                               "%systemdrive%\\own\\second.cmd",
                                               "%systemdrive%\\Install\\ours.cmd"};
    EXPECT_EQ(linesOf(slurp(sif), "GuiRunOnce"), expected);
    EXPECT_THAT(linesOf(slurp(sif), "Unattended"), ElementsAre("FullUnattended", "Yes"));
    EXPECT_THAT(linesOf(slurp(work + "/$OEM$/cmdlines.txt"), "Commands"),
                ElementsAre("cmd /c echo t12"));

    const std::map<std::string, std::string> first = readTree(work);
    CommandResult again = runBuild(arguments("%systemdrive%\\Install\\ours.cmd"));
    ASSERT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(readTree(work), first);

    CommandResult other = runBuild(arguments("%systemdrive%\\Install\\other.cmd"));
    ASSERT_EQ(other.exitCode, 0) << other.output;
    EXPECT_THAT(linesOf(slurp(sif), "GuiRunOnce"),
                ElementsAre(expected[0], expected[1], "%systemdrive%\\Install\\other.cmd"));
    EXPECT_EQ(slurp(work + "/$OEM$/cmdlines.txt"), first.at("$OEM$/cmdlines.txt"));
}

// An x64 tree takes x64 packages into AMD64\SVCPACK, listed in the
// SVCPACK.INF there.
TEST_F(HotfixBuildTest, an_x64_tree_takes_x64_packages_into_its_own_svcpack) {
    const std::string x64work = dir / "x64";
    ASSERT_TRUE(makeTree(x64work, "x64"));
    const std::string kb =
        dir.write("pkg/WindowsServer2003-KB900004-x64-JPN.exe", package(0x8664, "x64 package"));
    CommandResult result = runBuild({"--work", x64work, "--quiet", "--hotfix", kb});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(slurp(x64work + "/AMD64/SVCPACK/KB900004.EXE"), slurp(kb));
    CabinetFile svcpack = expandCabinet(slurp(x64work + "/AMD64/SVCPACK.IN_"), dir / "expand");
    EXPECT_THAT(linesOf(svcpack.bytes, "SetupHotfixesToRun"),
                testing::Contains("KB900004.EXE /q /n /z"));
    EXPECT_THAT(linesOf(slurp(x64work + "/AMD64/DOSNET.INF"), "OptionalSrcDirs"),
                testing::Contains("svcpack"));
}

} // namespace
} // namespace ornibe::test
