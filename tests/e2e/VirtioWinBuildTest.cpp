// Builds with a virtio-win medium through ornibe-build: a stand-in ISO made
// with xorriso from the real virtio-win INFs, laid out in the medium's
// folders with stand-in files of the names they list.

#include "E2eTest.h"
#include "TreeFiles.h"

#include "check/ControllerMatch.h"
#include "check/HardwareIdsDatabase.h"
#include "inf/InfFile.h"
#include "inf/WindowsTarget.h"
#include "media/IsoImageReader.h"
#include "runner/VirtioWinReport.h"
#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/RealFixtures.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// A folder of the medium: the fixture INF it holds and the files that INF
// names, as it spells them.
struct MediumFolder {
    std::string folder;
    std::string fixture;
    std::vector<std::string> files;
};

const std::vector<MediumFolder> kMedium = {
    {"viostor/xp/x86",
     "pnp-inf/virtio-iso-xp-viostor-x86/viostor.inf",
     {"viostor.sys", "viostor.cat"}},
    {"viostor/2k3/amd64",
     "x64-inf/virtio-2k3-viostor-amd64/viostor.inf",
     {"viostor.sys", "viostor.cat"}},
    {"NetKVM/xp/x86", "pnp-inf/virtio-xp-netkvm-x86/netkvm.inf", {"netkvm.sys", "netkvm.cat"}},
    {"Balloon/xp/x86",
     "pnp-inf/virtio-xp-balloon-x86/balloon.inf",
     {"BALLOON.sys", "WdfCoInstaller01009.dll", "Balloon.cat"}},
    {"qxl/xp/x86", "pnp-inf/virtio-xp-qxl-x86/qxl.inf", {"qxl.sys", "qxldd.dll", "qxl.cat"}},
};

// The machine line of the build's output: the QEMU machine the printed
// options present.
std::string printedMachine(const std::string& output) {
    std::smatch found;
    static const std::regex line("ディスクのコントローラを照合する QEMU のマシン：([a-z0-9-]+)");
    return std::regex_search(output, found, line) ? found[1].str() : std::string();
}

// What claims the printed machine's disk controller in the built
// TXTSETUP.SIF's [HardwareIdsDatabase].
std::string claimingService(const std::string& txtsetup, const std::string& machine) {
    InfFile sif = InfFile::open(txtsetup);
    std::optional<std::vector<PciDevice>> devices = qemuMachine(machine);
    if (!sif.isOpen() || !devices) {
        return "(no tree or no machine)";
    }
    std::vector<ControllerMatch> matches = matchControllers(*devices, hardwareIdsDatabase(sif));
    return matches.size() == 1 ? matches[0].service : "(not one controller)";
}

std::string answerValue(const std::string& path, const std::string& key) {
    auto file = InfFile::readBytes(slurp(path), InfStyle::AnswerFile);
    if (!file) {
        return "(unreadable)";
    }
    auto line = file->findFirstLine("Unattended", key);
    return line ? file->stringField(*line, 1).value_or("") : "(missing)";
}

class VirtioWinBuildTest : public E2eTest {
protected:
    void SetUp() override {
        for (const MediumFolder& folder : kMedium) {
            if (!requireRealFixture(folder.fixture)) {
                return;
            }
        }
        layOut(dir / "medium", kMedium);
        fs::create_directories(dir / "tmp");
        CommandResult made = runCommand({"xorriso", "-as", "mkisofs", "-quiet", "-J", "-R", "-V",
                                         "virtio-win-0.1.240", "-o", iso, dir / "medium"});
        ASSERT_EQ(made.exitCode, 0) << made.output;
    }

    // The folders with their INFs and stand-ins, below root.
    void layOut(const std::string& root, const std::vector<MediumFolder>& folders) {
        for (const MediumFolder& folder : folders) {
            const fs::path to = fs::path(root) / folder.folder;
            fs::create_directories(to);
            fs::copy_file(realFixture(folder.fixture), to / fs::path(folder.fixture).filename());
            for (const std::string& file : folder.files) {
                std::ofstream(to / file, std::ios::binary)
                    << "stand-in " << folder.folder << "/" << file << "\n";
            }
        }
    }

    // ornibe-build with its temporary folders in the test's own.
    CommandResult build(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(),
                         {"env", "TMPDIR=" + dir / "tmp", ORNIBE_BUILD_PROGRAM, "--quiet"});
        return runCommand(arguments);
    }

    std::string iso = dir / "virtio-win.iso";
};

// The done case: an XP tree with the ISO and an answer file. viostor of
// xp\x86 goes into text-mode setup, NetKVM, Balloon and qxl under
// $OEM$\$1\Drivers in that order, named in OemPnPDriversPath; the summary
// names the ISO, its label as the version and each folder; the printed
// options present the transitional disk, and the machine they name has
// its disk controller claimed by viostor in the built TXTSETUP.SIF. The
// folders copied out of the image are gone when the program ends.
TEST_F(VirtioWinBuildTest, an_xp_tree_takes_the_block_driver_for_text_mode_and_the_others_as_pnp) {
    const std::string work = dir / "xp";
    ASSERT_TRUE(makeTree(work, "xp"));
    CommandResult result =
        build({"--work", work, "--virtio-win", iso, "--unattended", "--full-name", "T", "--label",
               "VIRTIO", "--iso", dir / "xp.iso"});
    ASSERT_EQ(result.exitCode, 0) << result.output;

    EXPECT_THAT(result.output, HasSubstr("virtio-win：\n      " + iso +
                                         "\n      バージョン：virtio-win-0.1.240"
                                         "\n      viostor：viostor\\xp\\x86（テキストモード）"
                                         "\n      netkvm：NetKVM\\xp\\x86（PnP）"
                                         "\n      balloon：Balloon\\xp\\x86（PnP）"
                                         "\n      qxl：qxl\\xp\\x86（PnP）"
                                         "\n      フォルダがないので組み込まないもの：vioserial"));

    // Text mode: the block driver's files in I386 and its service in
    // TXTSETUP.SIF.
    const auto tree = readTree(work);
    EXPECT_TRUE(tree.contains("I386/viostor.sy_"));
    const std::string txtsetup = work + "/I386/TXTSETUP.SIF";
    InfFile sif = InfFile::open(txtsetup);
    ASSERT_TRUE(sif.isOpen());
    EXPECT_TRUE(sif.findFirstLine("SCSI.Load", "viostor"));

    // GUI mode: each PnP driver's folder holds its INF and stand-ins.
    const std::string drivers = work + "/$OEM$/$1/Drivers";
    EXPECT_EQ(foldersOf(drivers), (std::vector<std::string>{"001", "002", "003"}));
    const std::map<std::string, std::string> netkvm = readTree(drivers + "/001");
    EXPECT_EQ(netkvm.at("netkvm.sys"), "stand-in NetKVM/xp/x86/netkvm.sys\n");
    EXPECT_EQ(netkvm.at("netkvm.inf"),
              slurp(realFixture("pnp-inf/virtio-xp-netkvm-x86/netkvm.inf")));
    EXPECT_TRUE(readTree(drivers + "/002").contains("WdfCoInstaller01009.dll"));
    EXPECT_TRUE(readTree(drivers + "/003").contains("qxldd.dll"));
    EXPECT_EQ(answerValue(work + "/I386/WINNT.SIF", "OemPnPDriversPath"),
              "Drivers\\001;Drivers\\002;Drivers\\003");
    EXPECT_EQ(answerValue(work + "/I386/WINNT.SIF", "DriverSigningPolicy"), "Ignore");

    // The QEMU options, and the tree check's match for their machine.
    EXPECT_THAT(result.output, HasSubstr("\n      -machine pc\n"));
    EXPECT_THAT(result.output,
                HasSubstr("\n      -device virtio-blk-pci,drive=disk0,disable-legacy=off\n"));
    EXPECT_THAT(result.output,
                HasSubstr("\n      -device virtio-net-pci,netdev=net0,disable-legacy=off\n"));
    EXPECT_THAT(result.output, HasSubstr(" -cdrom " + dir / "xp.iso" + "\n"));
    // The disk the options name is made first, so that the lines run as
    // pasted; the closing box says that the log holds them.
    EXPECT_THAT(result.output, HasSubstr("\nqemu-img create -f qcow2 disk.qcow2 20G\n"
                                         "qemu-system-i386 -machine pc -drive file=disk.qcow2,"));
    EXPECT_TRUE(result.output.ends_with("完成です！\nQEMU の起動オプションをログに書きました。\n"))
        << result.output;
    const std::string machine = printedMachine(result.output);
    EXPECT_EQ(machine, "qemu-virtio-blk");
    EXPECT_EQ(machine, virtioQemuMachine(dir / "medium/viostor/xp/x86/viostor.inf",
                                         {WindowsVersion::WindowsXp, Architecture::X86, {}})
                           .value_or(""));
    EXPECT_EQ(claimingService(txtsetup, machine), "viostor");
    // The build's own check matched that machine and found the disk claimed.
    EXPECT_THAT(result.output, HasSubstr("\n検証\nディスク コントローラ "));
    EXPECT_THAT(result.output, HasSubstr(": サービス viostor（統合したドライバ"));
    EXPECT_THAT(result.output, HasSubstr("PCI\\VEN_1AF4&DEV_1001"));
    EXPECT_THAT(result.output, Not(HasSubstr("問題：")));
    // Before the build the generated tree's own drivers do not claim it.
    const std::string plain = dir / "plain";
    ASSERT_TRUE(makeTree(plain, "xp"));
    EXPECT_EQ(claimingService(plain + "/I386/TXTSETUP.SIF", machine), "");

    // With a target machine of the user's, the log names no QEMU machine
    // as the one checked and reports on the chosen one alone.
    const std::string chosen = dir / "chosen";
    ASSERT_TRUE(makeTree(chosen, "xp"));
    CommandResult q35 = build({"--work", chosen, "--virtio-win", iso, "--virtio-win-only",
                               "viostor", "--machine", "qemu-q35"});
    ASSERT_EQ(q35.exitCode, 0) << q35.output;
    EXPECT_EQ(printedMachine(q35.output), "");
    EXPECT_THAT(q35.output, HasSubstr("\n検証\n問題：ディスク コントローラ 00:1f.2 "));
    EXPECT_THAT(q35.output, Not(HasSubstr("PCI\\VEN_1AF4&DEV_1001 で一致")));

    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
}

// The same medium as a folder, its names in other letter case, gives the
// same tree as the image; --virtio-win-only takes what it names alone.
TEST_F(VirtioWinBuildTest, a_folder_in_other_letter_case_gives_the_same_tree_as_the_image) {
    std::vector<MediumFolder> upper = kMedium;
    for (MediumFolder& folder : upper) {
        for (char& c : folder.folder) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    layOut(dir / "upper", upper);
    const std::string fromImage = dir / "a";
    const std::string fromFolder = dir / "b";
    ASSERT_TRUE(makeTree(fromImage, "xp"));
    ASSERT_TRUE(makeTree(fromFolder, "xp"));
    const std::vector<std::string> only = {"--virtio-win-only", "viostor,NETKVM", "--unattended",
                                           "--full-name", "T"};
    std::vector<std::string> a = {"--work", fromImage, "--virtio-win", iso};
    std::vector<std::string> b = {"--work", fromFolder, "--virtio-win", dir / "upper"};
    a.insert(a.end(), only.begin(), only.end());
    b.insert(b.end(), only.begin(), only.end());
    CommandResult first = build(a);
    ASSERT_EQ(first.exitCode, 0) << first.output;
    CommandResult second = build(b);
    ASSERT_EQ(second.exitCode, 0) << second.output;
    EXPECT_THAT(second.output, HasSubstr("viostor：VIOSTOR\\XP\\X86（テキストモード）"));
    EXPECT_THAT(second.output, HasSubstr("netkvm：NETKVM\\XP\\X86（PnP）"));
    EXPECT_THAT(second.output, Not(HasSubstr("balloon：")));
    EXPECT_THAT(second.output, Not(HasSubstr("virtio-balloon-pci")));

    std::map<std::string, std::string> treeA = readTree(fromImage);
    std::map<std::string, std::string> treeB = readTree(fromFolder);
    // The stand-ins name their folder; the answer file has no dates.
    for (auto* tree : {&treeA, &treeB}) {
        for (auto& [path, bytes] : *tree) {
            bytes = std::regex_replace(bytes, std::regex("stand-in [^\n]*/"), "stand-in ");
        }
    }
    EXPECT_EQ(treeA.size(), treeB.size());
    for (const auto& [path, bytes] : treeA) {
        std::string lower = path;
        for (char& c : lower) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        // Cabinets (in either letter case) carry the file's time; the
        // record names the INF's path.
        if (lower.ends_with(".sy_") || lower.ends_with(".in_") || path == "$OEM$/ORNIBE.TXT") {
            continue;
        }
        EXPECT_EQ(treeB[path], bytes) << path;
    }
    EXPECT_EQ(foldersOf(fromFolder + "/$OEM$/$1/Drivers"), (std::vector<std::string>{"001"}));
}

// The record of the PnP folders is the build's, not the CD's: it stays out
// of the image, names the image's INFs by where they lie in the image
// (not by the folder this run copied them to), and keeps a path with a
// line break on one line; so two reproducible builds make the same image
// and a rebuild keeps every folder's number.
TEST_F(VirtioWinBuildTest, the_pnp_record_stays_out_of_the_image_and_names_no_passing_path) {
    const std::string broken = dir / "line\nbreak";
    fs::create_directories(broken);
    fs::copy(dir / "medium/NetKVM/xp/x86", broken, fs::copy_options::recursive);
    std::vector<std::string> images;
    for (const std::string name : {"one", "two"}) {
        const std::string work = dir / name;
        ASSERT_TRUE(makeTree(work, "xp"));
        images.push_back(dir / (name + ".iso"));
        CommandResult result =
            build({"--work", work, "--virtio-win", iso, "--virtio-win-only", "viostor,balloon",
                   "--pnp-driver", broken + "/netkvm.inf", "--unattended", "--full-name", "T",
                   "--reproducible", "--iso", images.back()});
        ASSERT_EQ(result.exitCode, 0) << result.output;
    }
    EXPECT_EQ(slurp(images[0]), slurp(images[1]));
    IsoImageReader image(images[0]);
    ASSERT_TRUE(image.ok()) << image.error();
    EXPECT_TRUE(image.hasFile("$OEM$/$1/DRIVERS/002/BALLOON.INF"));
    EXPECT_FALSE(image.hasFile("$OEM$/ORNIBE.TXT"));

    const std::string record = slurp(dir / "one/$OEM$/ORNIBE.TXT");
    EXPECT_THAT(record, HasSubstr("001=" + dir / "line%0Abreak/netkvm.inf\r\n"));
    EXPECT_THAT(record, HasSubstr("002=" + iso + "|Balloon/xp/x86/balloon.inf\r\n"));
    EXPECT_THAT(record, Not(HasSubstr("ornibe-virtio")));

    CommandResult again =
        build({"--work", dir / "one", "--virtio-win", iso, "--virtio-win-only", "viostor,balloon",
               "--pnp-driver", broken + "/netkvm.inf", "--unattended", "--full-name", "T"});
    ASSERT_EQ(again.exitCode, 0) << again.output;
    EXPECT_EQ(foldersOf(dir / "one/$OEM$/$1/Drivers"), (std::vector<std::string>{"001", "002"}));
    EXPECT_EQ(slurp(dir / "one/$OEM$/ORNIBE.TXT"), record);
}

// An x64 tree takes viostor of 2k3\amd64 (of xp\amd64 when the medium has
// one) without an answer file, since the medium has no x64 PnP drivers to
// take by default; the x64 controller match claims the disk with viostor.
TEST_F(VirtioWinBuildTest, an_x64_tree_takes_the_amd64_block_driver_without_an_answer_file) {
    const std::string work = dir / "x64";
    ASSERT_TRUE(makeTree(work, "x64"));
    CommandResult result = build({"--work", work, "--virtio-win", iso, "--no-big-drive"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(result.output, HasSubstr("viostor：viostor\\2k3\\amd64（テキストモード）"));
    EXPECT_THAT(result.output, HasSubstr("組み込まないもの：netkvm（virtio-win.iso にあるフォルダ："
                                         "NetKVM\\xp\\x86）"));
    EXPECT_FALSE(fs::exists(work + "/$OEM$"));
    EXPECT_THAT(result.output, HasSubstr("\nqemu-system-x86_64 -machine pc "));
    EXPECT_THAT(result.output, Not(HasSubstr("virtio-net-pci")));
    const std::string machine = printedMachine(result.output);
    EXPECT_EQ(machine, "qemu-virtio-blk");
    EXPECT_EQ(claimingService(work + "/AMD64/TXTSETUP.SIF", machine), "viostor");

    // XP x64 prefers the medium's xp\amd64 folder.
    layOut(dir / "folder", {{"viostor/2k3/amd64", kMedium[1].fixture, kMedium[1].files},
                            {"viostor/xp/amd64", kMedium[1].fixture, kMedium[1].files}});
    const std::string again = dir / "x64b";
    ASSERT_TRUE(makeTree(again, "x64"));
    CommandResult xp = build({"--work", again, "--virtio-win", dir / "folder", "--no-big-drive"});
    ASSERT_EQ(xp.exitCode, 0) << xp.output;
    EXPECT_THAT(xp.output, HasSubstr("viostor：viostor\\xp\\amd64（テキストモード）"));
}

// Refused before anything changes, in Japanese: Windows 2000; a system the
// medium has no block driver folder for, naming what was looked for and
// what the medium holds; a driver named with --virtio-win-only that has no
// folder; the PnP drivers without an answer file.
TEST_F(VirtioWinBuildTest, windows_2000_missing_folders_and_pnp_without_answers_are_refused) {
    const std::string root = dir / "trees";
    ASSERT_TRUE(makeTree(root + "/w2k", "2000"));
    ASSERT_TRUE(makeTree(root + "/s3", "2003"));
    ASSERT_TRUE(makeTree(root + "/xp", "xp"));
    ASSERT_TRUE(makeTree(root + "/x64", "x64"));
    const std::vector<std::string> answers = {"--unattended", "--full-name", "T"};
    auto args = [&](const std::string& tree, std::vector<std::string> more) {
        std::vector<std::string> all = {"--work", root + "/" + tree, "--virtio-win", iso};
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    expectRefusedLeavingAsItWas(
        root,
        {{args("w2k", answers), "virtio-win のドライバは Windows 2000 には組み込めません。\n"
                                "virtio-win のドライバは Windows XP と Windows Server 2003"},
         {args("s3", answers),
          iso +
              " に Windows Server 2003 x86 用の viostor のフォルダがありません。\n"
              "探したフォルダ：viostor\\2k3\\x86、viostor\\wnet\\x86、wnet\\x86。"
              "virtio-win.iso にある viostor のフォルダ：viostor\\2k3\\amd64、viostor\\xp\\x86。"},
         {args("x64", {"--virtio-win-only", "viostor,netkvm"}),
          iso + " に Windows XP x64 用の netkvm のフォルダがありません。\n探したフォルダ："
                "NetKVM\\xp\\amd64、NetKVM\\2k3\\amd64、NetKVM\\wnet\\amd64、wnet\\amd64。"},
         // The wizard's words, then the options that mend it.
         {args("xp", {}),
          "PnP ドライバを組み込むには、無人インストールの応答ファイルが要ります。\n"
          "セットアップは無人インストールのときだけ $OEM$ をコピーし、OemPnPDriversPath を読み"
          "ます。\nornibe-build: --unattended か --answer-file を指定してください。virtio-win "
          "から取るのがブロック ドライバだけなら、--virtio-win-only viostor でも組み込めます。"},
         {args("xp", {"--virtio-win-only", "viostor,serial"}),
          "--virtio-win-only：知らないドライバです：serial"},
         {{"--work", root + "/xp", "--virtio-win-only", "viostor"},
          "--virtio-win-only は --virtio-win と一緒に指定してください"},
         // The medium is an input: no output lands on it or in its folder.
         {args("xp", {"--virtio-win-only", "viostor", "--iso", iso}),
          "ISO イメージ " + iso + " を作成できません。\nvirtio-win のメディア " + iso +
              " と同じファイルです。"},
         {{"--work", root + "/xp", "--virtio-win", dir / "medium", "--virtio-win-only", "viostor",
           "--log", dir / "medium/NetKVM/xp/x86/netkvm.sys"},
          "ログファイル " + dir / "medium/NetKVM/xp/x86/netkvm.sys" +
              " を書き込めません。\nvirtio-win のメディア " + dir / "medium" + " の中です。"}});
}

} // namespace
} // namespace ornibe::test
