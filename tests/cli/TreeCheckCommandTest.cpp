// ornibe-build --check over finished builds of the shipped sample, each
// broken one way, and the controller match against lspci listings of a
// few machines: what it finds, its exit status, and that it changes
// nothing.

#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// What lspci -nn prints on a QEMU q35 guest (its AHCI controller and the
// rest of the machine).
constexpr const char* kQ35Guest =
    "00:00.0 Host bridge [0600]: Intel Corporation 82G33/G31/P35/P31 Express DRAM Controller "
    "[8086:29c0]\n"
    "00:01.0 VGA compatible controller [0300]: Device [1234:1111] (rev 02)\n"
    "00:1f.0 ISA bridge [0601]: Intel Corporation 82801IB (ICH9) LPC Interface Controller "
    "[8086:2918] (rev 02)\n"
    "00:1f.2 SATA controller [0106]: Intel Corporation 82801IR/IO/IH (ICH9R/DO/DH) 6 port SATA "
    "Controller [AHCI mode] [8086:2922] (rev 02)\n"
    "00:1f.3 SMBus [0c05]: Intel Corporation 82801I (ICH9 Family) SMBus Controller [8086:2930] "
    "(rev 02)\n";

// An ICH7 desktop board: the IDE and the SATA function in IDE mode.
constexpr const char* kIch7Board =
    "00:1d.7 USB controller [0c03]: Intel Corporation NM10/ICH7 Family USB2 EHCI Controller "
    "[8086:27cc] (rev 01)\n"
    "00:1f.1 IDE interface [0101]: Intel Corporation 82801G (ICH7 Family) IDE Controller "
    "[8086:27df] (rev 01)\n"
    "00:1f.2 IDE interface [0101]: Intel Corporation NM10/ICH7 Family SATA Controller [IDE mode] "
    "[8086:27c0] (rev 01)\n";

// A laptop with an NVMe disk, as lspci -vmmnn prints it.
constexpr const char* kNvmeLaptop = "Slot:\t00:02.0\n"
                                    "Class:\tVGA compatible controller [0300]\n"
                                    "Vendor:\tIntel Corporation [8086]\n"
                                    "Device:\tUHD Graphics 620 [5917]\n"
                                    "SVendor:\tLenovo [17aa]\n"
                                    "SDevice:\tThinkPad [2258]\n"
                                    "Rev:\t07\n"
                                    "\n"
                                    "Slot:\t3d:00.0\n"
                                    "Class:\tNon-Volatile memory controller [0108]\n"
                                    "Vendor:\tSamsung Electronics Co Ltd [144d]\n"
                                    "Device:\tNVMe SSD Controller SM981/PM981/PM983 [a808]\n"
                                    "SVendor:\tSamsung Electronics Co Ltd [144d]\n"
                                    "SDevice:\tSSD 970 EVO/PM981 [a801]\n"
                                    "ProgIf:\t02\n"
                                    "\n";

// A machine with the sample driver's controller, subsystem known.
constexpr const char* kSampleController = "Slot:\t02:00.0\n"
                                          "Class:\tSCSI storage controller [0100]\n"
                                          "Vendor:\tOrnibe [1b2c]\n"
                                          "Device:\tSample SCSI [0301]\n"
                                          "SVendor:\tOrnibe [1b2c]\n"
                                          "SDevice:\tSample board [0001]\n"
                                          "Rev:\t01\n"
                                          "\n";

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class TreeCheckCommandTest : public ::testing::Test {
protected:
    // The sample built with the sample driver and an image; each test
    // breaks copies of it.
    void SetUp() override {
        fs::copy(kSampleTree, built, fs::copy_options::recursive);
        CommandResult build = runBuild({"--work", built, "--driver", kSampleDriverInf, "--iso",
                                        image, "--yes", "--quiet", "--label", "CHECKED"});
        ASSERT_EQ(build.exitCode, 0) << build.output;
    }

    // A fresh copy of the finished tree, broken by change.
    std::string brokenCopy(const std::string& name,
                           const std::function<void(const std::string&)>& change) {
        std::string copy = dir / name;
        fs::copy(built, copy, fs::copy_options::recursive);
        change(copy);
        return copy;
    }

    // Replaces the first from with to in the file.
    static void edit(const std::string& path, const std::string& from, const std::string& to) {
        std::string text = slurp(path);
        size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        fs::remove(path);
        writeBytes(path, text);
    }

    CommandResult check(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "--check");
        return runBuild(arguments);
    }

    TempDir dir;
    std::string built = dir / "built";
    std::string image = dir / "built.iso";
};

TEST_F(TreeCheckCommandTest, a_finished_build_passes_with_the_note_on_its_driver_file) {
    const TreeSnapshot before = snapshotTree(dir.path());
    CommandResult table = check({"--work", built, "--iso", image});
    EXPECT_EQ(table.exitCode, 0) << table.output;
    EXPECT_EQ(table.output,
              "検証：" + built +
                  "\nエディション：Windows XP Professional SP2 (x86)\n  注意  OrScsi.sys（サービス "
                  "OrScsi）は DOSNET.INF の [Files] にありません。"
                  "CD からの起動では要りませんが、winnt32 で始めたセットアップはこのファイルを"
                  "コピーしません。\n問題 0 件、注意 1 件\n");
    CommandResult json = check({"--work", built, "--json"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_THAT(json.output, HasSubstr("{\"work\": \"" + built +
                                       "\", \"edition\": \"Windows XP Professional SP2 "
                                       "(x86)\", \"ok\": true, \"problems\": 0, \"notes\": 1, "
                                       "\"findings\": [{\"kind\": \"note\""));
    EXPECT_EQ(snapshotTree(dir.path()), before);

    // Without the CD's own drivers the check of the folder says so, while
    // the build's log, which answers for what the build did, stays as it
    // was.
    const std::string bare = dir / "bare";
    fs::copy(kSampleTree, bare, fs::copy_options::recursive);
    for (const char* name : {"SMPIDE.SY_", "QRSCSI.SY_", "DKRAID.SY_", "VXSATA.SY_"}) {
        fs::remove(bare + "/I386/" + name);
    }
    CommandResult build = runBuild({"--work", bare, "--driver", kSampleDriverInf, "--yes"});
    EXPECT_EQ(build.exitCode, 0) << build.output;
    EXPECT_THAT(build.output, Not(HasSubstr("検証")));
    CommandResult bareCheck = check({"--work", bare});
    EXPECT_EQ(bareCheck.exitCode, 1);
    EXPECT_THAT(bareCheck.output,
                HasSubstr("問題  smpide.sys（サービス smpide）が I386 にありません（圧縮された形も"
                          "ありません）。\n"));
    EXPECT_THAT(bareCheck.output, HasSubstr("問題 4 件、注意 1 件\n"));
}

// The README's steps: the sample built with the sample driver into an
// image, then checked with that image.
TEST_F(TreeCheckCommandTest, the_readme_sample_build_passes_its_own_check) {
    const std::string work = dir / "xp";
    const std::string iso = dir / "sample.iso";
    fs::copy(kSampleTree, work, fs::copy_options::recursive);
    CommandResult build = runBuild(
        {"--work", work, "--driver", kSampleDriverInf, "--label", "ORNIBE_XP", "--iso", iso});
    ASSERT_EQ(build.exitCode, 0) << build.output;
    CommandResult result = check({"--work", work, "--iso", iso});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(result.output, HasSubstr("問題 0 件"));
}

TEST_F(TreeCheckCommandTest, each_broken_tree_is_found_and_left_as_it_was) {
    struct Case {
        std::string name;
        std::function<void(const std::string&)> change;
        std::string finding;
        // Whether the image is checked too (a file added to the tree after
        // it is missing there).
        bool withImage = false;
    };
    const std::vector<Case> cases = {
        {"missing", [](const std::string& work) { fs::remove(work + "/I386/SMPIDE.SY_"); },
         "問題  smpide.sys（サービス smpide）が I386 にありません（圧縮された形もありません）。"},
        {"cabinet",
         [&](const std::string& work) {
             // QRSCSI.SY_ is a cabinet, but of another file.
             writeBytes(work + "/I386/OTHER.SYS", "other");
             ASSERT_EQ(
                 runCommand({builtTool("makecab"), "/L", work + "/I386", work + "/I386/OTHER.SYS"})
                     .exitCode,
                 0);
             fs::rename(work + "/I386/OTHER.SY_", work + "/I386/QRSCSI.SY_");
             fs::remove(work + "/I386/OTHER.SYS");
         },
         "問題  qrscsi.sys（サービス qrscsi）: I386\\QRSCSI.SY_ から qrscsi.sys を取り出せません"
         "（このキャビネットに qrscsi.sys がありません。）"},
        {"unlisted",
         [](const std::string& work) {
             edit(work + "/I386/TXTSETUP.SIF", "vxsata.sys = 1,", "vxsatb.sys = 1,");
         },
         "問題  vxsata.sys（サービス vxsata）の行が TXTSETUP.SIF の [SourceDisksFiles] に"
         "ありません。セットアップはこのファイルをコピーできません。"},
        {"twice",
         [](const std::string& work) {
             edit(work + "/I386/TXTSETUP.SIF", "[HardwareIdsDatabase]\r\n",
                  "[HardwareIdsDatabase]\r\nPCI\\VEN_1B2C&DEV_0302 = \"qrscsi\"\r\n");
         },
         "問題  PCI\\VEN_1B2C&DEV_0302 が 2 つのサービス（qrscsi、OrScsi）に与えられています。"
         "テキストモード セットアップが使うのはどれか一つです。"},
        {"answer",
         [](const std::string& work) {
             writeBytes(work + "/I386/WINNT.SIF",
                        "[Data]\r\nAutoPartition=1\r\n\"MsDosInitiated=0\r\n");
         },
         "問題  I386\\WINNT.SIF: 3 行目: 二重引用符「\"」が行の中で閉じていません。"},
        {"unreadable",
         [](const std::string& work) {
             edit(work + "/I386/DOSNET.INF", "Signature = \"$Windows NT$\"", "Signature = x");
         },
         "問題  I386\\DOSNET.INF を開けません: "},
        {"after-eof",
         [](const std::string& work) {
             std::string text = slurp(work + "/I386/TXTSETUP.SIF") + "[SCSI.Load]\r\n";
             fs::remove(work + "/I386/TXTSETUP.SIF");
             writeBytes(work + "/I386/TXTSETUP.SIF", text);
         },
         "問題  I386\\TXTSETUP.SIF の終わりの印 (0x1A) の後に 13 バイトあります。"},
        {"new-file", [](const std::string& work) { writeBytes(work + "/I386/LATE.TXT", "late"); },
         "問題  ISO イメージにない作業フォルダのファイル: I386/LATE.TXT", true},
    };
    for (const Case& broken : cases) {
        SCOPED_TRACE(broken.name);
        const std::string work = brokenCopy(broken.name, broken.change);
        const TreeSnapshot before = snapshotTree(dir.path());
        CommandResult result =
            broken.withImage ? check({"--work", work, "--iso", image}) : check({"--work", work});
        EXPECT_EQ(result.exitCode, 1) << result.output;
        EXPECT_THAT(result.output, HasSubstr(broken.finding));
        EXPECT_THAT(result.output, HasSubstr("問題 1 件"));
        EXPECT_EQ(snapshotTree(dir.path()), before);
    }
}

TEST_F(TreeCheckCommandTest, usage_errors_exit_2) {
    const std::string listing = dir.write("q35.txt", kQ35Guest);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--work", built, "--json"}, "--json は --check と一緒に指定してください"},
        {{"--check", "--work", built, "--machine", "qemu-sparc"},
         "知らないマシンです：qemu-sparc（qemu-pc、qemu-q35、qemu-virtio-blk、"
         "qemu-virtio-blk-modern、qemu-nvme のどれかを指定してください）"},
        {{"--check", "--work", built, "--machine", "qemu-pc", "--target-hardware", listing},
         "--target-hardware と --machine は一緒に指定できません"},
        {{"--check", "--work", dir / "none"},
         "--work " + (dir / "none") + " はフォルダではありません"},
        {{"--check", "--work", built, "--target-hardware", dir.write("bad.txt", "hello\n")},
         "対象のハードウェアを読めません\n" + (dir / "bad.txt") + ": "},
    };
    for (const auto& [arguments, message] : cases) {
        SCOPED_TRACE(message);
        CommandResult result = runBuild(arguments);
        EXPECT_EQ(result.exitCode, 2) << result.output;
        EXPECT_THAT(result.output, HasSubstr(message));
    }
}

TEST_F(TreeCheckCommandTest, each_listing_is_matched_as_windows_picks_the_service) {
    const std::string plain = dir / "plain";
    fs::copy(kSampleTree, plain, fs::copy_options::recursive);
    // The sample CD with a class-code line that claims any AHCI controller.
    const std::string ahci = brokenCopy("ahci", [](const std::string& work) {
        edit(work + "/I386/TXTSETUP.SIF", "[HardwareIdsDatabase]\r\n",
             "[HardwareIdsDatabase]\r\nPCI\\CC_0106 = \"vxsata\"\r\n");
    });
    // ... and with a line for every device of one vendor.
    const std::string vendor = brokenCopy("vendor", [](const std::string& work) {
        edit(work + "/I386/TXTSETUP.SIF", "[HardwareIdsDatabase]\r\n",
             "[HardwareIdsDatabase]\r\nPCI\\VEN_8086 = \"vxsata\"\r\n");
    });
    const std::string unclaimed = "を引き受けるサービスがこのツリーにありません。";
    struct Case {
        std::string name;
        std::string work;
        std::string listing;
        int exitCode;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"q35 guest",
         built,
         kQ35Guest,
         1,
         {"問題  ディスク コントローラ 00:1f.2 Intel Corporation 82801IR/IO/IH (ICH9R/DO/DH) 6 "
          "port SATA Controller [AHCI mode] [8086:2922] " +
          unclaimed}},
        {"q35 guest, class code",
         ahci,
         kQ35Guest,
         0,
         {"機器  ディスク コントローラ 00:1f.2 Intel Corporation 82801IR/IO/IH (ICH9R/DO/DH) 6 "
          "port SATA Controller [AHCI mode] [8086:2922]: サービス vxsata（CD の標準ドライバ）、"
          "PCI\\CC_0106 で一致\n"}},
        {"q35 guest, vendor alone",
         vendor,
         kQ35Guest,
         0,
         {"[8086:2922]: サービス vxsata（CD の標準ドライバ）、PCI\\VEN_8086 で一致。ベンダーだけの"
          "互換 ID による一致で、テキストモード "
          "セットアップがこれで結び付けるかは文書にありません\n"}},
        {"ICH7 board",
         built,
         kIch7Board,
         1,
         {"00:1f.1 Intel Corporation 82801G (ICH7 Family) IDE Controller [8086:27df] " + unclaimed,
          "00:1f.2 Intel Corporation NM10/ICH7 Family SATA Controller [IDE mode] [8086:27c0] " +
              unclaimed}},
        {"NVMe laptop",
         built,
         kNvmeLaptop,
         1,
         {"3d:00.0 Samsung Electronics Co Ltd NVMe SSD Controller SM981/PM981/PM983 [144d:a808] " +
          unclaimed}},
        {"sample controller, driver integrated",
         built,
         kSampleController,
         0,
         {"機器  ディスク コントローラ 02:00.0 Ornibe Sample SCSI [1b2c:0301]: サービス OrScsi"
          "（統合したドライバ OrScsi.inf）、PCI\\VEN_1B2C&DEV_0301&SUBSYS_00011B2C で一致\n"}},
        {"sample controller, plain CD",
         plain,
         kSampleController,
         1,
         {"02:00.0 Ornibe Sample SCSI [1b2c:0301] " + unclaimed}},
    };
    for (const Case& machine : cases) {
        SCOPED_TRACE(machine.name);
        const std::string listing = dir.write("listing.txt", machine.listing);
        CommandResult result = check({"--work", machine.work, "--target-hardware", listing});
        EXPECT_EQ(result.exitCode, machine.exitCode) << result.output;
        for (const std::string& line : machine.lines) {
            EXPECT_THAT(result.output, HasSubstr(line));
        }
        // Only the storage controllers are matched.
        EXPECT_THAT(result.output, Not(HasSubstr("SMBus")));
    }

    CommandResult json = check({"--work", built, "--target-hardware",
                                dir.write("listing.txt", kSampleController), "--json"});
    EXPECT_THAT(json.output,
                HasSubstr("\"controllers\": [{\"slot\": \"02:00.0\", \"name\": \"Ornibe Sample "
                          "SCSI\", \"ids\": [\"PCI\\\\VEN_1B2C&DEV_0301&SUBSYS_00011B2C&REV_01\""));
    EXPECT_THAT(json.output,
                HasSubstr("\"service\": \"OrScsi\", \"origin\": \"統合したドライバ OrScsi.inf\", "
                          "\"matchedId\": \"PCI\\\\VEN_1B2C&DEV_0301&SUBSYS_00011B2C\", "
                          "\"onlyCompatible\": false}]}\n"));
}

TEST_F(TreeCheckCommandTest, a_build_for_a_target_machine_ends_its_log_with_the_match) {
    const std::string work = dir / "again";
    fs::copy(kSampleTree, work, fs::copy_options::recursive);
    CommandResult result =
        runBuild({"--work", work, "--driver", kSampleDriverInf, "--yes", "--quiet",
                  "--target-hardware", dir.write("listing.txt", kSampleController)});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    // The confirmation says beforehand what will claim the disk.
    EXPECT_THAT(result.output,
                HasSubstr("対象のハードウェア：\n      " + (dir / "listing.txt") +
                          "\n      ディスク コントローラ 02:00.0 Ornibe Sample SCSI [1b2c:0301]: "
                          "サービス OrScsi（統合するドライバ）、"
                          "PCI\\VEN_1B2C&DEV_0301&SUBSYS_00011B2C で一致\n"));
    EXPECT_THAT(result.output,
                HasSubstr("\n検証\nディスク コントローラ 02:00.0 Ornibe Sample SCSI "
                          "[1b2c:0301]: サービス OrScsi（統合したドライバ OrScsi.inf）、"
                          "PCI\\VEN_1B2C&DEV_0301&SUBSYS_00011B2C で一致\n\n完成です！\n"
                          "対象のハードウェアのディスク コントローラの照合結果をログに書き"
                          "ました。\n"));

    // A machine that the tree does not drive: the build still finishes,
    // with the problem in its section.
    fs::remove_all(work);
    fs::copy(kSampleTree, work, fs::copy_options::recursive);
    result = runBuild({"--work", work, "--yes", "--quiet", "--machine", "qemu-q35"});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(result.output, HasSubstr("\n検証\n問題：ディスク コントローラ 00:1f.2 "));
    // The closing line says so: the problem first, then the match.
    EXPECT_TRUE(
        result.output.ends_with("完成です！\n検証で問題が 1 件見つかりました。対象のハード"
                                "ウェアのディスク コントローラの照合結果をログに書きました。"
                                "\n"))
        << result.output;
    EXPECT_THAT(result.output, HasSubstr("対象のハードウェア：\n      qemu-q35\n      ディスク "
                                         "コントローラ 00:1f.2 "));
    EXPECT_THAT(result.output, HasSubstr(": 引き受けるサービスがありません。"));
}

} // namespace
} // namespace ornibe::test
