// The USB stick image through ornibe-build over the generated XP tree: its
// partition table, file system and files read back with sfdisk, fsck.fat
// and mtools; the work folder and the ISO image as a build without it
// leaves them; two reproducible builds equal; refusals that leave nothing;
// and a QEMU boot from emulated USB through both entries of its menu.

#include "E2eTest.h"
#include "TreeFiles.h"

#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const std::string kSourceLine = "SetupSourceDevice = \"\\device\\harddisk1\\partition1\"\r\n";

// The partition (from 1 MiB on) as a file of its own, for fsck.fat.
void extractPartition(const std::string& image, const std::string& partition) {
    std::ifstream in(image, std::ios::binary);
    in.seekg(1 << 20);
    std::ofstream(partition, std::ios::binary) << in.rdbuf();
}

class UsbImageBuildTest : public E2eTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(makeTree(dir / "xp", "xp"));
        // Names that need long-name entries and short names with tails.
        dir.write("xp/DOCS/Release Notes for Setup.txt", "notes");
        dir.write("xp/DOCS/Release Notes for Setup 2.txt", "more notes");
        dir.write("xp/DOCS/readme.htm", "small letters");
    }

    // A copy of the generated tree built into an ISO image and, with
    // stick, a stick image beside it; reproducible.
    CommandResult build(const std::string& name, const std::vector<std::string>& stick) {
        fs::copy(dir / "xp", dir / name, fs::copy_options::recursive);
        std::vector<std::string> arguments = {"--work",         dir / name, "--label",
                                              "XP_USB",         "--iso",    dir / (name + ".iso"),
                                              "--reproducible", "--quiet"};
        arguments.insert(arguments.end(), stick.begin(), stick.end());
        return runBuild(arguments);
    }
};

TEST_F(UsbImageBuildTest, the_stick_holds_the_tree_and_its_boot_files_and_nothing_else_changes) {
    CommandResult one = build("one", {"--usb-image", dir / "one.img"});
    ASSERT_EQ(one.exitCode, 0) << one.output;
    CommandResult two = build("two", {"--usb-image", dir / "two.img"});
    ASSERT_EQ(two.exitCode, 0) << two.output;
    CommandResult plain = build("plain", {});
    ASSERT_EQ(plain.exitCode, 0) << plain.output;
    EXPECT_THAT(one.output, HasSubstr("USB メモリ用イメージを作成しています。。。\n"));

    // Two reproducible builds give the same bytes; the tree and the ISO are
    // those of a build without the stick.
    EXPECT_EQ(runCommand({"cmp", dir / "one.img", dir / "two.img"}).exitCode, 0);
    EXPECT_EQ(runCommand({"cmp", dir / "one.iso", dir / "plain.iso"}).exitCode, 0);
    const std::map<std::string, std::string> tree = readTree(dir / "one");
    EXPECT_EQ(tree, readTree(dir / "plain"));

    // One active FAT32 (LBA) partition from sector 2048 to the end.
    CommandResult table = runCommand({"sfdisk", "--dump", dir / "one.img"});
    ASSERT_EQ(table.exitCode, 0) << table.output;
    const std::uint64_t sectors = fs::file_size(dir / "one.img") / 512;
    EXPECT_THAT(table.output, HasSubstr("label: dos\n"));
    EXPECT_THAT(table.output,
                HasSubstr(": start=        2048, size=" +
                          std::string(12 - std::to_string(sectors - 2048).size(), ' ') +
                          std::to_string(sectors - 2048) + ", type=c, bootable\n"));
    extractPartition(dir / "one.img", dir / "part.img");
    CommandResult fsck = runCommand({"fsck.fat", "-n", "-v", dir / "part.img"});
    EXPECT_EQ(fsck.exitCode, 0) << fsck.output;
    EXPECT_THAT(fsck.output, Not(HasSubstr("differences between boot sector and its backup")));
    EXPECT_THAT(fsck.output, HasSubstr("2 FATs, 32 bit entries"));
    CommandResult root = runCommand({"mdir", "-a", "-i", dir / "one.img@@1M", "::/"});
    EXPECT_THAT(root.output, HasSubstr("ldlinux  sys"));
    EXPECT_THAT(root.output, HasSubstr("Volume in drive : is WINSETUP"));

    // Every file of the tree with its bytes, TXTSETUP.SIF with the line
    // that sends text mode to the stick; the setup files also in the root.
    fs::create_directories(dir / "stick");
    CommandResult copied =
        runCommand({"mcopy", "-s", "-n", "-i", dir / "one.img@@1M", "::/*", dir / "stick"});
    ASSERT_EQ(copied.exitCode, 0) << copied.output;
    std::map<std::string, std::string> stick = readTree(dir / "stick");
    const std::string& original = tree.at("I386/TXTSETUP.SIF");
    std::string expected = original;
    const std::size_t section = expected.find("[SetupData]\r\n");
    ASSERT_NE(section, std::string::npos);
    expected.insert(section + 13, kSourceLine);
    EXPECT_EQ(stick["I386/TXTSETUP.SIF"], expected);
    EXPECT_EQ(stick["TXTSETUP.SIF"], expected);
    EXPECT_EQ(stick["SETUPLDR.BIN"], tree.at("I386/SETUPLDR.BIN"));
    EXPECT_EQ(stick["NTDETECT.COM"], tree.at("I386/NTDETECT.COM"));
    EXPECT_THAT(stick["syslinux/syslinux.cfg"], HasSubstr("APPEND fs ntldr=/SETUPLDR.BIN\r\n"));
    for (const auto& [path, bytes] : tree) {
        if (path != "I386/TXTSETUP.SIF") {
            EXPECT_EQ(stick[path], bytes) << path;
        }
    }
    EXPECT_EQ(stick.size(), tree.size() + 3 + 5 + 2) << "the tree, the root files, syslinux's";

    // ornibe-build --check reads the stick image too: it passes, and a
    // copy that lost a file of the tree does not.
    CommandResult check =
        runBuild({"--check", "--work", dir / "one", "--usb-image", dir / "one.img"});
    EXPECT_EQ(check.exitCode, 0) << check.output;
    fs::copy_file(dir / "one.img", dir / "bad.img");
    ASSERT_EQ(runCommand({"mdel", "-i", dir / "bad.img@@1M", "::/WIN51"}).exitCode, 0);
    check = runBuild({"--check", "--work", dir / "one", "--usb-image", dir / "bad.img"});
    EXPECT_EQ(check.exitCode, 1) << check.output;
    EXPECT_THAT(check.output, HasSubstr("ツリーのファイルがありません：WIN51"));
}

TEST_F(UsbImageBuildTest, a_stick_that_cannot_be_made_is_refused_before_anything_is_written) {
    ASSERT_TRUE(makeTree(dir / "w2k", "2000"));
    ASSERT_TRUE(makeTree(dir / "x64", "x64"));
    ASSERT_TRUE(makeTree(dir / "sp1", "xp"));
    fs::remove(dir / "sp1/WIN51IP.SP2");
    const std::string image = dir / "out/stick.img";
    fs::create_directories(dir / "out");
    auto stick = [&](const std::string& work, std::vector<std::string> more) {
        std::vector<std::string> arguments = {"--work", dir / work, "--usb-image", image,
                                              "--quiet"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return arguments;
    };
    expectRefusedLeavingAsItWas(
        dir.path(), {
                        {stick("w2k", {}),
                         "Windows 2000 のテキストモードセットアップは USB メモリを読めません。"},
                        {stick("x64", {}),
                         "x64 版の Windows は USB メモリからのセットアップに対応していません"},
                        {stick("sp1", {}),
                         "Windows XP のテキストモードセットアップが USB メモリを読めるのは SP2 "
                         "からです。"},
                        {stick("xp", {"--usb-image-size", "4Q"}),
                         "USB メモリ用イメージの大きさ「4Q」は使えません。"},
                        {stick("xp", {"--usb-image-size", "1M"}), "64 MiB から 2 TiB までです。"},
                        {{"--work", dir / "xp", "--usb-image", dir / "xp/stick.img", "--quiet"},
                         "の中です。USB メモリ用イメージには作業フォルダのツリーが入るので"},
                        {{"--work", dir / "xp", "--usb-image", dir / "none/stick.img", "--quiet"},
                         "というフォルダはありません。"},
                    });
    EXPECT_FALSE(fs::exists(image));
}

// Reads what QEMU's monitor says until its prompt.
bool readPrompt(int fd) {
    std::string said;
    char buffer[512];
    while (said.find("(qemu) ") == std::string::npos) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            return false;
        }
        said.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

// Asks QEMU's monitor, listening on socket, to type keys, one after the
// monitor has taken the one before.
void typeKeys(const std::string& socket, const std::vector<std::string>& keys) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socket.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_TRUE(readPrompt(fd));
    for (const std::string& key : keys) {
        std::string command = "sendkey " + key + "\n";
        ASSERT_EQ(::write(fd, command.data(), command.size()),
                  static_cast<ssize_t>(command.size()));
        EXPECT_TRUE(readPrompt(fd));
    }
    ::close(fd);
}

class UsbStickBoot : public E2eTest {
protected:
    void SetUp() override {
        if (!onPath("qemu-system-i386") || !onPath("nasm")) {
            GTEST_SKIP() << "qemu-system-i386 and nasm are needed to boot the stick";
        }
        const std::string source =
            std::string(ORNIBE_SOURCE_DIR) + "/tests/e2e/data/drive_report.asm";
        ASSERT_TRUE(makeTree(work, "xp"));
        // The loader the menu starts, and the internal disk's boot sector.
        CommandResult loader = runCommand(
            {"nasm", "-f", "bin", "-DTAG=\"LOADER\"", "-o", work + "/I386/SETUPLDR.BIN", source});
        ASSERT_EQ(loader.exitCode, 0) << loader.output;
        CommandResult sector = runCommand(
            {"nasm", "-f", "bin", "-DTAG=\"DISK\"", "-DSECTOR", "-o", dir / "disk.img", source});
        ASSERT_EQ(sector.exitCode, 0) << sector.output;
        fs::resize_file(dir / "disk.img", 32 << 20);
        CommandResult built =
            runBuild({"--work", work, "--usb-image", dir / "stick.img", "--quiet"});
        ASSERT_EQ(built.exitCode, 0) << built.output;
    }

    // Boots the stick from emulated USB (EHCI) beside the internal IDE
    // disk; with keys, types them once the menu counts down. What the
    // stand-in wrote, or everything QEMU said.
    std::string boot(const std::vector<std::string>& keys) {
        const std::string monitor = dir / "monitor.sock";
        RunningCommand qemu(withTimeLimit(
            60, {"qemu-system-i386", "-display", "none", "-serial", "stdio", "-monitor",
                 "unix:" + monitor + ",server,nowait", "-device",
                 "isa-debug-exit,iobase=0xf4,iosize=0x04", "-drive",
                 "file=" + (dir / "disk.img") + ",format=raw,if=ide", "-device", "usb-ehci,id=ehci",
                 "-drive", "if=none,id=stick,format=raw,file=" + (dir / "stick.img"), "-device",
                 "usb-storage,bus=ehci.0,drive=stick,bootindex=0"}));
        EXPECT_TRUE(qemu.waitForOutput("Automatic boot in"));
        if (!keys.empty()) {
            typeKeys(monitor, keys);
        }
        CommandResult result = qemu.finish();
        // isa-debug-exit ends QEMU with (0x10 << 1) | 1.
        EXPECT_EQ(result.exitCode, 33) << result.output;
        return result.output;
    }

    std::string work = dir / "work";
};

TEST_F(UsbStickBoot, the_first_entry_starts_the_loader_from_the_stick_and_the_default_the_disk) {
    // Entry 1: the loader from the stick, which the BIOS made drive 0x80,
    // with the internal disk as the second of two.
    EXPECT_THAT(boot({"1", "ret"}), HasSubstr("LOADER DRIVE=80 DISKS=02"));
    // Nothing typed: after the timeout the internal disk's boot sector,
    // started as drive 0x80.
    EXPECT_THAT(boot({}), HasSubstr("DISK DRIVE=80 DISKS=02"));
}

} // namespace
} // namespace ornibe::test
