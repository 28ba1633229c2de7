// Driver floppies through ornibe-build: a FAT12 image made with mkfs.fat
// and mcopy integrates its entry exactly as the same driver given as an
// INF, plus its [Config] values in HIVESYS.INF; the refusals of floppies
// and their entries stop the build before anything changes.
#include "E2eTest.h"

#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/RealFixtures.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

using F6FloppyBuildTest = E2eTest;

const std::string kSamples = std::string(ORNIBE_SOURCE_DIR) + "/samples";

// The sample driver's floppy: its files where its INF has them, and a
// TXTSETUP.OEM that claims what the INF claims for XP, with a [Config]
// value on a subkey and one on the service key.
constexpr const char* kSampleOem =
    "# The sample driver's floppy\r\n"
    "[Disks]\r\n"
    "d1 = \"Ornibe Sample Driver Disk\", \\disk1, \\\r\n"
    "d2 = \"Ornibe Sample Driver Disk\", \\disk1, \\X86\r\n"
    "[Defaults]\r\n"
    "scsi = ORSCSI\r\n"
    "[scsi]\r\n"
    "ORSCSI = \"Ornibe Sample SCSI Controller\", OrScsi\r\n"
    "[Files.scsi.ORSCSI]\r\n"
    "driver  = d2, OrScsi.sys, OrScsi\r\n"
    "inf     = d1, OrScsi.inf\r\n"
    "catalog = d1, ORSCSI.CAT\r\n"
    "[HardwareIds.scsi.ORSCSI]\r\n"
    "id = \"PCI\\VEN_1B2C&DEV_0301&SUBSYS_00011B2C\", \"OrScsi\"\r\n"
    "id = \"PCI\\VEN_1B2C&DEV_0302\", \"OrScsi\" ; the second model\r\n"
    "[Config.OrScsi]\r\n"
    "value = \"\", Start, REG_DWORD, 0\r\n"
    "value = Parameters\\PnpInterface, 5, REG_DWORD, 1\r\n";

constexpr const char* kHivesys = "[Version]\r\nSignature = \"$Windows NT$\"\r\n\r\n[AddReg]\r\n"
                                 "HKLM,\"SYSTEM\\CurrentControlSet\\Control\",\"CurrentUser\",2,"
                                 "\"USERNAME\"\r\n";

// A copy of the XP sample with HIVESYS.IN_ compressed as on the CD.
std::string xpTree(const TempDir& dir, const std::string& name) {
    const std::string work = dir / name;
    fs::copy(kSamples + "/xp", work, fs::copy_options::recursive);
    const std::string plain = dir.write(name + "-hive/HIVESYS.INF", kHivesys);
    const std::string packed = work + "/I386/HIVESYS.IN_";
    CommandResult made = runCommand({"gcab", "-c", "-n", "-z", packed, plain});
    EXPECT_EQ(made.exitCode, 0) << made.output;
    return work;
}

std::string expanded(const std::string& cabinet) {
    CommandResult out = runCommand({"cabextract", "-q", "-p", cabinet});
    EXPECT_EQ(out.exitCode, 0) << out.output;
    return out.output;
}

// mkfs.fat as Debian installs it: in /usr/sbin, which an ordinary user's
// PATH often leaves out.
std::string mkfsFat() {
    for (const char* folder : {"/usr/sbin", "/sbin"}) {
        const std::string program = std::string(folder) + "/mkfs.fat";
        if (::access(program.c_str(), X_OK) == 0) {
            return program;
        }
    }
    return "mkfs.fat";
}

// A FAT12 floppy image holding the files of folder, made as a user would.
std::string floppyImage(const TempDir& dir, const std::string& folder, const std::string& name) {
    const std::string image = dir / name;
    CommandResult made = runCommand({mkfsFat(), "-C", image, "1440"});
    EXPECT_EQ(made.exitCode, 0) << made.output;
    std::vector<std::string> copy = {"env", "MTOOLS_SKIP_CHECK=1", "mcopy", "-i", image, "-s"};
    for (const auto& entry : fs::directory_iterator(folder)) {
        copy.push_back(entry.path().string());
    }
    copy.push_back("::/");
    CommandResult copied = runCommand(copy);
    EXPECT_EQ(copied.exitCode, 0) << copied.output;
    return image;
}

TEST_F(F6FloppyBuildTest, a_floppy_image_entry_integrates_as_its_inf_does_with_its_config_values) {
    const std::string floppy = dir.mkdir("floppy");
    fs::copy(kSamples + "/driver", floppy, fs::copy_options::recursive);
    dir.write("floppy/TXTSETUP.OEM", kSampleOem);
    dir.write("floppy/disk1", "");
    const std::string image = floppyImage(dir, floppy, "sample.img");

    const std::string byInf = xpTree(dir, "by-inf");
    const std::string byFloppy = xpTree(dir, "by-floppy");
    CommandResult inf = runCommand({ORNIBE_BUILD_PROGRAM, "--work", byInf, "--driver",
                                    kSamples + "/driver/OrScsi.inf", "--quiet"});
    ASSERT_EQ(inf.exitCode, 0) << inf.output;
    CommandResult oem = runCommand({ORNIBE_BUILD_PROGRAM, "--work", byFloppy, "--driver", image,
                                    "--driver-entry", "ORSCSI", "--quiet"});
    ASSERT_EQ(oem.exitCode, 0) << oem.output;

    // The same files and setup file lines.
    for (const char* file : {"I386/TXTSETUP.SIF", "I386/DOSNET.INF", "I386/SVCPACK/ORSCSI.CAT"}) {
        EXPECT_EQ(slurp(byFloppy + "/" + std::string(file)), slurp(byInf + "/" + file)) << file;
    }
    for (const char* file : {"I386/ORSCSI.SY_", "I386/OrScsi.in_", "I386/SVCPACK.IN_"}) {
        EXPECT_EQ(expanded(byFloppy + "/" + std::string(file)), expanded(byInf + "/" + file))
            << file;
    }
    // HIVESYS.INF: untouched by the INF, the subkey's value added by the
    // floppy; Start stays [SCSI.Load]'s.
    EXPECT_EQ(expanded(byInf + "/I386/HIVESYS.IN_"), kHivesys);
    EXPECT_EQ(expanded(byFloppy + "/I386/HIVESYS.IN_"),
              std::string(kHivesys) +
                  "\r\n[AddReg]\r\nHKLM,\"SYSTEM\\CurrentControlSet\\Services\\OrScsi\\"
                  "Parameters\\PnpInterface\",\"5\",0x00010001,0x1\r\n");
    EXPECT_FALSE(fs::exists(byFloppy + "/I386/HIVESYS.INF"));

    // The summary and the log name the entry and its values.
    EXPECT_THAT(oem.output, HasSubstr("\n      " + image +
                                      " [ ORSCSI ]\n"
                                      "        Ornibe Sample SCSI Controller\n"
                                      "        サービス: OrScsi  ハードウェア ID: "
                                      "PCI\\VEN_1B2C&DEV_0301&SUBSYS_00011B2C, "
                                      "PCI\\VEN_1B2C&DEV_0302\n"
                                      "        レジストリの値: [Config.OrScsi] から\n"
                                      "          OrScsi Start REG_DWORD 0（書き込みません。"
                                      "[SCSI.Load] が設定します）\n"
                                      "          OrScsi\\Parameters\\PnpInterface 5 "
                                      "REG_DWORD 1\n"));
    EXPECT_THAT(oem.output,
                HasSubstr("ドライバディスクの項目 " + image + " [ ORSCSI ] を組み込みます。\n"));
    EXPECT_THAT(oem.output, HasSubstr("SVCPACK.INF を修正しています。。。完了\n"
                                      "HIVESYS.INF を修正しています。。。完了\n"
                                      "ドライバの統合が完了しました。"));
    EXPECT_THAT(inf.output, Not(HasSubstr("HIVESYS")));
    EXPECT_THAT(inf.output, Not(HasSubstr("ドライバディスク")));

    // --list-entries reads the image as the build does.
    CommandResult listed = runCommand({ORNIBE_BUILD_PROGRAM, "--list-entries", image});
    EXPECT_EQ(listed.exitCode, 0) << listed.output;
    EXPECT_EQ(listed.output, image + ":/TXTSETUP.OEM\n\nORSCSI（既定）\n"
                                     "  Ornibe Sample SCSI Controller\n  サービス: OrScsi\n"
                                     "  ハードウェア ID: 2 個\n"
                                     "    PCI\\VEN_1B2C&DEV_0301&SUBSYS_00011B2C (OrScsi)\n"
                                     "    PCI\\VEN_1B2C&DEV_0302 (OrScsi)\n  ファイル: あり\n");
}

// A FAT12 image in memory, to be patched entry by entry as a crafted
// floppy would be.
struct FatBytes {
    std::string bytes;
    std::size_t fat = 0, root = 0, data = 0, cluster = 0;

    explicit FatBytes(std::string image) : bytes(std::move(image)) {
        const std::size_t sector = at16(11);
        fat = at16(14) * sector;
        root = fat + static_cast<unsigned char>(bytes[16]) * at16(22) * sector;
        data = root + at16(17) * 32;
        cluster = sector * static_cast<unsigned char>(bytes[13]);
    }
    unsigned at16(std::size_t at) const {
        return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                           << 8;
    }
    void put16(std::size_t at, unsigned value) {
        bytes[at] = static_cast<char>(value & 0xFF);
        bytes[at + 1] = static_cast<char>(value >> 8);
    }
    // The folder entry named name11 ("A       SYS") in the folder at offset.
    std::size_t entry(std::size_t folder, std::string_view name11) const {
        for (std::size_t at = folder;; at += 32) {
            EXPECT_NE(bytes[at], '\0') << name11;
            if (bytes[at] == '\0' || bytes.compare(at, 11, name11) == 0) {
                return at;
            }
        }
    }
    std::size_t folderOf(std::size_t entry) const {
        return data + (at16(entry + 26) - 2) * cluster;
    }
    // The FAT12 entry of a cluster, in both copies of the table.
    unsigned next(unsigned of) const {
        const unsigned pair = at16(fat + of + of / 2);
        return of & 1 ? pair >> 4 : pair & 0x0FFF;
    }
    void setNext(unsigned of, unsigned value) {
        for (std::size_t table : {fat, fat + (root - fat) / 2}) {
            const std::size_t at = table + of + of / 2;
            const unsigned pair = at16(at);
            put16(at, of & 1 ? (pair & 0x000F) | value << 4 : (pair & 0xF000) | value);
        }
    }
};

TEST_F(F6FloppyBuildTest, crafted_floppy_images_are_refused_by_name_and_leave_nothing_behind) {
    const std::string floppy = dir.mkdir("floppy");
    dir.write("floppy/TXTSETUP.OEM", kSampleOem);
    dir.write("floppy/DIR/SUB/X.SYS", "x");
    dir.write("floppy/A.SYS", std::string(1500, 'a'));
    dir.write("floppy/B.SYS", std::string(100, 'b'));
    const FatBytes made(slurp(floppyImage(dir, floppy, "made.img")));
    const std::size_t a = made.entry(made.root, "A       SYS");
    const std::size_t b = made.entry(made.root, "B       SYS");
    const std::size_t folder = made.entry(made.root, "DIR        ");
    const std::size_t sub = made.entry(made.folderOf(folder), "SUB        ");
    const unsigned aFirst = made.at16(a + 26);
    unsigned aLast = aFirst;
    while (made.next(aLast) < 0xFF8) {
        aLast = made.next(aLast);
    }
    ASSERT_NE(aLast, aFirst);

    struct Case {
        std::string name;
        std::function<void(FatBytes&)> patch;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"loop.img", [&](FatBytes& f) { f.put16(sub + 26, f.at16(folder + 26)); },
         ":/DIR/SUB: フォルダが上のフォルダ /DIR を指していて、輪になっています。"},
        {"ring.img", [&](FatBytes& f) { f.setNext(aLast, aFirst); },
         ":/A.SYS: FAT のチェーンが輪になっています（クラスタ " + std::to_string(aFirst) + "）。"},
        {"shared.img", [&](FatBytes& f) { f.put16(b + 26, aFirst); },
         ":/B.SYS: クラスタ " + std::to_string(aFirst) + " を /A.SYS と共有しています"},
        {"huge.img",
         [&](FatBytes& f) {
             f.put16(a + 28, 0xFFF0);
             f.put16(a + 30, 0xFFFF);
         },
         ":/A.SYS: 大きさが 4294967280 バイトとありますが、FAT のチェーンには 1536 バイトしかあり"
         "ません。"},
    };
    const std::string work = xpTree(dir, "xp");
    const std::string tmp = dir.mkdir("tmp");
    for (const Case& c : cases) {
        FatBytes crafted = made;
        c.patch(crafted);
        const std::string image = dir.write(c.name, crafted.bytes);
        const auto before = snapshotTree(work);
        CommandResult result = runCommand({"env", "TMPDIR=" + tmp, ORNIBE_BUILD_PROGRAM, "--work",
                                           work, "--driver", image, "--driver-entry", "ORSCSI"});
        EXPECT_EQ(result.exitCode, 2) << c.name << "\n" << result.output;
        EXPECT_THAT(result.output, HasSubstr(image + " はフロッピーイメージとして読めません。"));
        EXPECT_THAT(result.output, HasSubstr(image + c.message));
        EXPECT_TRUE(snapshotTree(work) == before) << c.name;
        EXPECT_TRUE(fs::is_empty(tmp)) << c.name;
    }
}

TEST_F(F6FloppyBuildTest, a_stop_ends_the_reading_of_a_floppy_image_with_its_mcopy) {
    const std::string floppy = dir.mkdir("floppy");
    dir.write("floppy/TXTSETUP.OEM", kSampleOem);
    const std::string image = floppyImage(dir, floppy, "sample.img");
    // An mcopy that never ends, as one stuck on a slow or broken medium.
    const std::string pidFile = dir / "mcopy.pid";
    const std::string mcopy =
        dir.write("bin/mcopy", "#!/bin/sh\necho $$ > " + pidFile + ".new\nmv " + pidFile + ".new " +
                                   pidFile + "\nexec sleep 600\n");
    fs::permissions(mcopy, fs::perms::owner_all);
    const std::string path = dir / "bin" + ":" + std::getenv("PATH");

    for (int signal : {SIGINT, SIGTERM}) {
        fs::remove(pidFile);
        RunningCommand run({"env", "PATH=" + path, ORNIBE_BUILD_PROGRAM, "--list-entries", image});
        ASSERT_TRUE(run.started());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!fs::exists(pidFile) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ASSERT_TRUE(fs::exists(pidFile));
        const pid_t child = std::stoi(slurp(pidFile));
        run.sendSignal(signal);
        CommandResult result = run.finish();
        // Ended by the stop, not by the reading's own time limit (a
        // refusal).
        EXPECT_EQ(result.exitCode, 1) << result.output;
        EXPECT_THAT(result.output, HasSubstr("ornibe-build: 中止しました"));
        // The child went with its process group.
        while (::kill(child, 0) == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_NE(::kill(child, 0), 0) << signal;
    }
}

// A floppy whose one entry loads two drivers, each with its settings, and
// whose description and a value hold code page 932 bytes that a round trip
// through Unicode does not give back (87 9A, ED 40, a stray 80).
constexpr const char* kTwoDriverOem =
    "[Disks]\r\n"
    "d1 = \"Ornibe SATA Driver Disk\", \\disk1, \\\r\n"
    "[Defaults]\r\n"
    "scsi = ORSATA\r\n"
    "[scsi]\r\n"
    "ORSATA = \"Ornibe \x87\x9A \xED\x40 \x80 SATA\", amd_sata\r\n"
    "[Files.scsi.ORSATA]\r\n"
    "driver = d1, amd_sata.sys, amd_sata\r\n"
    "driver = d1, amd_xata.sys, amd_xata\r\n"
    "[HardwareIds.scsi.ORSATA]\r\n"
    "id = \"PCI\\VEN_1022&DEV_7801\", \"amd_sata\"\r\n"
    "id = \"PCI\\VEN_1022&DEV_7804\", \"amd_xata\"\r\n"
    "[Config.amd_sata]\r\n"
    "value = Parameters, Label, REG_SZ, \"\x87\x9A\xED\x40\x80\"\r\n"
    "[Config.amd_xata]\r\n"
    "value = Parameters\\Device, NumberOfRequests, REG_DWORD, 20\r\n";

std::string twoDriverFloppy(const TempDir& dir) {
    dir.write("sata/TXTSETUP.OEM", kTwoDriverOem);
    dir.write("sata/disk1", "");
    dir.write("sata/amd_sata.sys", "sata driver");
    dir.write("sata/amd_xata.sys", "xata driver");
    return dir / "sata";
}

TEST_F(F6FloppyBuildTest,
       every_driver_line_keeps_its_settings_and_the_file_bytes_in_plain_hivesys) {
    const std::string floppy = twoDriverFloppy(dir);
    const std::string plain = dir / "plain";
    fs::copy(kSamples + "/xp", plain, fs::copy_options::recursive);
    dir.write("plain/I386/HIVESYS.INF", kHivesys);
    // The same file as UTF-16LE with its byte order mark.
    const std::string unicode = dir / "unicode";
    fs::copy(kSamples + "/xp", unicode, fs::copy_options::recursive);
    std::string wide = "\xFF\xFE";
    for (char c : std::string(kHivesys)) {
        wide += std::string{c, '\0'};
    }
    dir.write("unicode/I386/HIVESYS.INF", wide);

    for (const std::string& work : {plain, unicode}) {
        CommandResult built =
            runCommand({ORNIBE_BUILD_PROGRAM, "--work", work, "--driver", floppy, "--quiet"});
        ASSERT_EQ(built.exitCode, 0) << built.output;
        EXPECT_FALSE(fs::exists(work + "/I386/HIVESYS.IN_"));
        EXPECT_THAT(slurp(work + "/I386/TXTSETUP.SIF"),
                    HasSubstr("\"Ornibe \x87\x9A \xED\x40 \x80 SATA\""));
    }
    const std::string added =
        "\r\n[AddReg]\r\n"
        "HKLM,\"SYSTEM\\CurrentControlSet\\Services\\amd_sata\\Parameters\",\"Label\","
        "0x00000000,\"\x87\x9A\xED\x40\x80\"\r\n"
        "HKLM,\"SYSTEM\\CurrentControlSet\\Services\\amd_xata\\Parameters\\Device\","
        "\"NumberOfRequests\",0x00010001,0x20\r\n";
    EXPECT_EQ(slurp(plain + "/I386/HIVESYS.INF"), std::string(kHivesys) + added);
    // The Unicode file stays Unicode: its old bytes, then the new lines as
    // UTF-16LE (the code page 932 text as the characters it stands for).
    const std::string grown = slurp(unicode + "/I386/HIVESYS.INF");
    ASSERT_GT(grown.size(), wide.size());
    EXPECT_EQ(grown.substr(0, wide.size()), wide);
    EXPECT_THAT(grown.substr(wide.size()),
                HasSubstr(std::string("N\0u\0m\0b\0e\0r\0O\0f\0R\0e\0q\0u\0e\0s\0t\0s\0", 32)));
    EXPECT_EQ(grown.size() % 2, 0u);
}

TEST_F(F6FloppyBuildTest,
       settings_into_a_tree_without_hivesys_are_refused_before_anything_changes) {
    const std::string floppy = twoDriverFloppy(dir);
    const std::string work = dir / "xp";
    fs::copy(kSamples + "/xp", work, fs::copy_options::recursive);
    const auto before = snapshotTree(dir.path());
    CommandResult refused = runCommand({ORNIBE_BUILD_PROGRAM, "--work", work, "--driver", floppy});
    EXPECT_EQ(refused.exitCode, 2) << refused.output;
    EXPECT_THAT(refused.output, HasSubstr(floppy + " [ ORSATA ] はこのツリーには組み込めません。"));
    EXPECT_THAT(refused.output,
                HasSubstr("レジストリの値（[Config.amd_sata]）を書き込む "
                          "I386/HIVESYS.INF も HIVESYS.IN_ もツリーにありません。"));
    EXPECT_EQ(snapshotTree(dir.path()), before);
}

TEST_F(F6FloppyBuildTest, a_floppy_with_both_sets_gives_each_tree_its_own) {
    const std::string floppy = dir.mkdir("both");
    for (const char* set : {"i386", "amd64"}) {
        dir.write(std::string("both/") + set + "/TXTSETUP.OEM",
                  std::string("[Disks]\r\nd1 = \"Disk\", \\disk1, \\") + set + "\r\n[scsi]\r\n" +
                      set + "ENTRY = \"The " + set + " driver\"\r\n");
    }
    dir.write("x64/AMD64/TXTSETUP.SIF", "[Version]\r\n");
    dir.write("x86/I386/TXTSETUP.SIF", "[Version]\r\n");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--source", dir / "x64"}, "amd64"},
        {{"--work", dir / "x64"}, "amd64"},
        {{"--source", dir / "x86"}, "i386"},
        {{}, "i386"},
    };
    for (const auto& [tree, set] : cases) {
        std::vector<std::string> arguments = {ORNIBE_BUILD_PROGRAM, "--list-entries", floppy};
        arguments.insert(arguments.end(), tree.begin(), tree.end());
        CommandResult listed = runCommand(arguments);
        EXPECT_EQ(listed.exitCode, 0) << listed.output;
        EXPECT_THAT(listed.output, HasSubstr(floppy + "/" + set + "/TXTSETUP.OEM\n\n" + set +
                                             "ENTRY（既定）\n  The " + set + " driver\n"));
    }
}

// Each real floppy file in a folder of its own with stand-in driver files,
// as its disks name them.
class F6RefusalTest : public E2eTest {
protected:
    void SetUp() override {
        if (!requireRealFixture("txtsetup-oem")) {
            return;
        }
        work = dir / "xp";
        fs::copy(kSamples + "/xp", work, fs::copy_options::recursive);
    }

    std::string floppy(const std::string& name, const std::string& fixture,
                       const std::vector<std::pair<std::string, std::string>>& files) {
        const std::string folder = dir.mkdir(name);
        fs::copy_file(realFixture("txtsetup-oem/" + fixture), folder + "/TXTSETUP.OEM");
        for (const auto& [path, bytes] : files) {
            fs::create_directories(fs::path(folder + "/" + path).parent_path());
            dir.write(name + "/" + path, bytes);
        }
        return folder;
    }

    std::string work;
};

TEST_F(F6RefusalTest, refused_floppies_and_entries_leave_the_tree_as_it_was) {
    const std::string virtio = floppy("virtio", "virtio-win-vfd-i386/txtsetup-i386.oem",
                                      {{"disk1", ""},
                                       {"i386/WinXP/viostor.sys", "xp driver"},
                                       {"i386/WinXP/viostor.inf", "[Version]"},
                                       {"i386/WinXP/viostor.cat", "cat"}});
    const std::string both = floppy("both", "virtio-win-vfd-i386/txtsetup-i386.oem",
                                    {{"i386/WinXP/viostor.sys", "xp driver"},
                                     {"i386/WinXP/viostor.inf", "[Version]"},
                                     {"i386/WinXP/viostor.cat", "cat"},
                                     {"i386/Win2003/viostor.sys", "2003 driver"},
                                     {"i386/Win2003/viostor.inf", "[Version]"},
                                     {"i386/Win2003/viostor.cat", "cat"}});
    const std::string acard = floppy("acard", "acard-aec671x/TXTSETUP.OEM", {});
    const std::string noScsi = dir.write("no-scsi.oem", "[Disks]\r\nd1 = \"x\", \\t, \\\r\n");
    const std::string broken = dir.write("broken.oem", "[Disks\r\n");
    const std::string noDriver =
        dir.write("no-driver/TXTSETUP.OEM", "[Disks]\r\nd1 = \"x\", \\t, \\\r\n[scsi]\r\n"
                                            "A = \"A\"\r\n[Files.scsi.A]\r\ninf = d1, a.inf\r\n");
    const std::string longName =
        dir.write("long/TXTSETUP.OEM", "[Disks]\r\nd1 = \"x\", \\t, \\\r\n[scsi]\r\nA = \"A\"\r\n"
                                       "[Files.scsi.A]\r\ndriver = d1, longdriver.sys, a\r\n");
    dir.write("long/longdriver.sys", "driver");
    const auto before = snapshotTree(dir.path());

    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{"--driver", broken}, "はドライバディスクの TXTSETUP.OEM として読めません。\n1 行目:"},
        {{"--driver", noScsi}, "[scsi] セクションがありません。"},
        {{"--driver", acard}, "[Files.scsi.AEC671xx] セクションがありません。"},
        {{"--driver", fs::path(noDriver).parent_path().string()},
         "[Files.scsi.A] に driver の行がありません。"},
        {{"--driver", fs::path(longName).parent_path().string()},
         "longdriver.sys は 8.3 形式のファイル名ではありません。"},
        // Offered, but its folder is not on the floppy.
        {{"--driver", virtio, "--driver-entry", "WNET32"},
         virtio + "/i386/Win2003/viostor.sys がありません。"},
        {{"--driver", virtio, "--driver-entry", "NOSUCH"},
         "--driver-entry NOSUCH: この ID の項目はどのドライバディスクにもありません。"},
        {{"--driver", both, "--driver-entry", "WXP32", "--driver-entry", "WNET32"},
         "どちらもサービス viostor として別のファイルを組み込みます。"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {ORNIBE_BUILD_PROGRAM, "--work", work};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        CommandResult result = runCommand(arguments);
        EXPECT_EQ(result.exitCode, 2) << c.message << "\n" << result.output;
        EXPECT_THAT(result.output, HasSubstr(c.message));
        EXPECT_THAT(result.output, Not(HasSubstr("スタート！"))) << c.message;
    }
    EXPECT_EQ(snapshotTree(dir.path()), before);

    // The entry whose files are there passes; listed, the other is marked.
    CommandResult listed = runCommand({ORNIBE_BUILD_PROGRAM, "--list-entries", virtio});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_THAT(listed.output, HasSubstr("WXP32（既定）\n"));
    EXPECT_THAT(listed.output, HasSubstr("  ファイル: あり\n\nWNET32\n"));
    EXPECT_THAT(listed.output, HasSubstr("  ファイル: 組み込めません（" + virtio +
                                         "/i386/Win2003/viostor.sys がありません。）\n"));
}

} // namespace
} // namespace ornibe::test
