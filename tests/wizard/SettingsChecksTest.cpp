#include "wizard/SettingsChecks.h"

#include "settings/CdDriveEntry.h"
#include "support/BuildTreeTools.h"
#include "support/FakeDriveSource.h"
#include "support/IsoFixtures.h"
#include "support/ScriptedMessages.h"
#include "support/TempDir.h"
#include "support/TestEnvironment.h"
#include "sys/FolderLock.h"
#include "sys/HostPath.h"
#include "sys/WindowsProgram.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

namespace ornibe {
namespace {

using test::TempDir;

struct FakeForm : SettingsForm {
    // The list's entries, each its root and its text.
    std::vector<DriveEntry> driveEntries{{"", "読み込みしない"}};
    int selected = 0;
    std::string volumeLabel;
    std::string servicePack;
    std::vector<std::string> infs;
    bool bigDrive = true;
    std::string workFolder;
    std::string isoPath;

    int selectedDrivePosition() const override { return selected; }
    std::string driveEntryText(int position) const override {
        return driveEntries.at(static_cast<size_t>(position)).text;
    }
    std::string driveRoot(int position) const override {
        return driveEntries.at(static_cast<size_t>(position)).root;
    }
    std::string volumeLabelText() const override { return volumeLabel; }
    std::string servicePackText() const override { return servicePack; }
    std::vector<std::string> infEntries() const override { return infs; }
    bool bigDriveChecked() const override { return bigDrive; }
    std::string workFolderText() const override { return workFolder; }
    std::string isoPathText() const override { return isoPath; }
};

constexpr MessageStyle kOk{MessageButtons::Ok, MessageIcon::None, false};
constexpr MessageStyle kOkCancelInfo{MessageButtons::OkCancel, MessageIcon::Information, false};
constexpr MessageStyle kYesNoQuestion{MessageButtons::YesNo, MessageIcon::Question, false};
constexpr MessageStyle kYesNoQuestionDefNo{MessageButtons::YesNo, MessageIcon::Question, true};

class SettingsChecksTest : public ::testing::Test {
protected:
    SettingsChecksTest() { form.workFolder = dir / "work"; }

    // A form that passes every check with no CD: the work folder holds
    // the installation tree.
    void useInstalledTree() {
        dir.write("work/I386/TXTSETUP.SIF", "[SourceDisksNames]\r\n\x1a");
        form.selected = 0;
    }

    // A driver INF that adds a storage driver for every Windows version.
    std::string storageInf(std::string_view relative) {
        return dir.write(relative, "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                                   "[Manufacturer]\r\nM=Models\r\n"
                                   "[Models]\r\nDevice=Inst,PCI\\VEN_1B2C&DEV_0001\r\n"
                                   "[Inst.Services]\r\nAddService=Drv,2,Svc\r\n"
                                   "[Svc]\r\nServiceBinary=%12%\\drv.sys\r\n"
                                   "LoadOrderGroup=\"SCSI Miniport\"\r\n");
    }

    // A form with a CD drive chosen whose disc has a label.
    // The disc is mounted at dir/CD and holds a setup tree.
    void useLabelledCd() {
        dir.write("CD/I386/TXTSETUP.SIF", "[SourceDisksNames]\r\n\x1a");
        drives.drives = {{"/dev/sr0", dir / "CD", "WXPFPP_JA"}};
        form.driveEntries = {{"", "読み込みしない"}, makeDriveEntry(dir / "CD", "WXPFPP_JA")};
        form.selected = 1;
    }

    TempDir dir;
    BuildSettings settings;
    test::FakeDriveSource drives;
    test::ScriptedMessages messages;
    SettingsChecks checks{settings, drives, messages, test::buildTreeTools(dir.path()),
                          [this](const std::string&) { return free; }};
    FakeForm form;
    std::optional<std::uint64_t> free = std::uint64_t(700) * 1048576;

    // The checks with path as the environment's PATH.
    std::unique_ptr<SettingsChecks> checksWithPath(const std::string& path) {
        return std::make_unique<SettingsChecks>(
            settings, drives, messages,
            test::buildTreeTools(dir.path(), test::hostEnvironment().with("PATH", path)),
            [this](const std::string&) { return free; });
    }
};

// A Windows program with a PE header for the machine type.
std::string writeProgram(const TempDir& dir, std::string_view name, std::uint16_t machine) {
    std::string bytes(0x80, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x3C] = 0x40;
    bytes.replace(0x40, 4, std::string("PE\0\0", 4));
    bytes[0x44] = static_cast<char>(machine & 0xFF);
    bytes[0x45] = static_cast<char>(machine >> 8);
    return dir.write(name, bytes);
}

// A Wine on the search path whose 32-bit loader is where Debian's wine32
// puts it; returns its bin folder.
std::string writeWine32(const TempDir& dir) {
    test::writeScript(dir / "wine32/bin/wine", "exit 0\n");
    dir.write("wine32/lib/wine/wine", std::string("\x7F"
                                                  "ELF\x01\x01\x01",
                                                  7));
    return dir / "wine32/bin";
}

TEST_F(SettingsChecksTest, no_selection_asks_for_a_drive_and_stores_nothing) {
    useInstalledTree();
    form.selected = -1;
    settings.SetCdDriveIndex(3);
    EXPECT_FALSE(checks.OnOK(form));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "CD ドライブを選択してください。");
    EXPECT_EQ(messages.shown[0].style, kOk);
    EXPECT_EQ(settings.GetCdDriveIndex(), 3);
    EXPECT_EQ(settings.GetWorkFolder(), "");
}

TEST_F(SettingsChecksTest, do_not_read_passes_at_once_and_stores_its_entry) {
    useInstalledTree();
    settings.SetCdDriveIndex(2);
    EXPECT_TRUE(checks.ValidateCdDrive(form));
    EXPECT_EQ(settings.GetCdDriveIndex(), 0);
    EXPECT_EQ(settings.GetCdDriveEntry(), "読み込みしない");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(drives.readCount, 0);
}

TEST_F(SettingsChecksTest, labelled_entry_is_accepted_without_reading_the_drive) {
    useLabelledCd();
    EXPECT_TRUE(checks.ValidateCdDrive(form));
    EXPECT_EQ(settings.GetCdDriveIndex(), 1);
    EXPECT_EQ(settings.GetCdDriveEntry(), dir / "CD" + " [ WXPFPP_JA ]");
    EXPECT_EQ(drives.readCount, 0);
}

TEST_F(SettingsChecksTest, empty_drive_prompts_until_a_disc_is_readable_then_stores_it) {
    drives.drives = {{"/dev/sr0", "/dev/sr0", std::nullopt}};
    drives.inserts = {{2, "/dev/sr0", {"/dev/sr0", "/media/u/NEW", "NEW_LABEL"}}};
    form.driveEntries = {{"", "読み込みしない"}, makeDriveEntry("/dev/sr0", "CD がありません")};
    form.selected = 1;
    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::Ok);

    EXPECT_TRUE(checks.ValidateCdDrive(form));
    ASSERT_EQ(messages.shown.size(), 2u);
    for (const auto& box : messages.shown) {
        EXPECT_EQ(box.text, " Windows の CD を /dev/sr0 にセットしてください。");
        EXPECT_EQ(box.style, kOkCancelInfo);
    }
    EXPECT_EQ(settings.GetCdDriveIndex(), 1);
    EXPECT_EQ(settings.GetCdDriveEntry(), "/media/u/NEW [ NEW_LABEL ]");
    // The list itself is left as it was.
    EXPECT_EQ(form.driveEntries[1].text, "/dev/sr0 [ CD がありません ]");
}

TEST_F(SettingsChecksTest, cancel_at_the_disc_prompt_stores_nothing) {
    drives.drives = {{"/dev/sr0", "/dev/sr0", std::nullopt}};
    form.driveEntries = {{"", "読み込みしない"}, makeDriveEntry("/dev/sr0", "CD がありません")};
    form.selected = 1;
    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::Cancel);
    EXPECT_FALSE(checks.OnOK(form));
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(settings.GetCdDriveIndex(), 0);
    EXPECT_EQ(settings.GetCdDriveEntry(), "");
}

TEST_F(SettingsChecksTest, disc_with_empty_label_read_at_the_prompt_stores_empty_brackets) {
    drives.drives = {{"/dev/sr0", "/dev/sr0", std::nullopt}};
    drives.inserts = {{0, "/dev/sr0", {"/dev/sr0", "/media/u/disc", ""}}};
    form.driveEntries = {{"", "読み込みしない"}, makeDriveEntry("/dev/sr0", "CD がありません")};
    form.selected = 1;
    EXPECT_TRUE(checks.ValidateCdDrive(form));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(settings.GetCdDriveEntry(), "/media/u/disc [  ]");
}

TEST_F(SettingsChecksTest, service_pack_field_empty_relative_missing_and_folder) {
    useInstalledTree();
    writeProgram(dir, "sp/XPSP2.EXE", kMachineI386);
    const auto wine = checksWithPath(writeWine32(dir));
    dir.mkdir("sp/folder.exe");

    EXPECT_TRUE(wine->OnOK(form));
    EXPECT_EQ(settings.GetServicePackPath(), "");

    {
        test::CurrentFolderScope here(dir / "sp");
        form.servicePack = "./XPSP2.EXE";
        EXPECT_TRUE(wine->OnOK(form));
        EXPECT_EQ(settings.GetServicePackPath(), dir / "sp/XPSP2.EXE");

        form.servicePack = "missing.exe";
        EXPECT_FALSE(wine->OnOK(form));
        EXPECT_EQ(messages.shown.back().text,
                  dir / "sp/missing.exe" + " ファイルが見つかりませんでした。");
        EXPECT_EQ(messages.shown.back().style, kOk);
    }

    // A folder never passes as the file, read-only or not.
    form.servicePack = dir / "sp/folder.exe";
    EXPECT_FALSE(wine->OnOK(form));
    chmod((dir / "sp/folder.exe").c_str(), 0555);
    EXPECT_FALSE(wine->OnOK(form));
    EXPECT_EQ(messages.shown.back().text,
              dir / "sp/folder.exe" + " ファイルが見つかりませんでした。");
    EXPECT_EQ(settings.GetWorkFolder(), dir / "work");
}

TEST_F(SettingsChecksTest, missing_second_inf_keeps_only_the_first_stored) {
    useInstalledTree();
    std::string first = storageInf("drv/a.inf");
    form.infs = {first, dir / "drv/missing.inf", storageInf("drv/c.inf")};
    settings.AddDriverInf("/old/entry.inf");

    EXPECT_FALSE(checks.OnOK(form));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              dir / "drv/missing.inf" + " ファイルが見つかりませんでした。");
    EXPECT_EQ(settings.GetDriverInf(0), first);
    EXPECT_EQ(settings.GetDriverInf(1), "");
    EXPECT_EQ(settings.GetWorkFolder(), "");
}

TEST_F(SettingsChecksTest, infs_naming_one_file_are_stored_once_in_first_position) {
    useInstalledTree();
    std::string a = storageInf("drv/a.inf");
    std::string b = storageInf("drv/B.INF");
    storageInf("drv/b.inf");
    test::CurrentFolderScope here(dir / "drv");
    form.infs = {"a.inf", b, "../drv/./a.inf", "b.inf"};

    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_EQ(settings.GetDriverInf(0), a);
    EXPECT_EQ(settings.GetDriverInf(1), b);
    EXPECT_EQ(settings.GetDriverInf(2), "");
}

TEST_F(SettingsChecksTest, values_are_stored_as_typed_or_checked) {
    useInstalledTree();
    dir.write("work/BOOTSECT.BIN", "boot");
    form.volumeLabel = " My Label ";
    form.bigDrive = false;
    form.isoPath = "out/../x.iso";
    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_EQ(settings.GetVolumeLabel(), " My Label ");
    EXPECT_EQ(settings.GetBigDrive(), 0);
    EXPECT_EQ(settings.GetIsoPath(), "out/../x.iso");

    form.bigDrive = true;
    form.isoPath = "";
    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_EQ(settings.GetBigDrive(), 1);
    EXPECT_EQ(settings.GetIsoPath(), "");
}

TEST_F(SettingsChecksTest, iso_name_needs_a_boot_image_and_an_image_source_an_iso_9660_volume) {
    const std::string howToGet = ")\nCD ドライブの欄で Windows の CD か、その ISO "
                                 "イメージファイルを選んでください。";
    const std::string missing =
        "ISO イメージを起動できるようにするブートイメージ (BOOTSECT.BIN) がありません。\n(";
    useInstalledTree();
    form.isoPath = "x.iso";
    EXPECT_FALSE(checks.OnOK(form));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              missing + "CD を読み込まない設定で、作業フォルダに BOOTSECT.BIN がありません" +
                  howToGet);
    EXPECT_EQ(settings.GetIsoPath(), "");

    // Images as the source: one that boots passes, one without a boot
    // catalog is refused with the reason, a file that is no image before.
    dir.write("cd/I386/TXTSETUP.SIF", "sif");
    dir.write("boot.img", std::string(2048, 'b'));
    ASSERT_TRUE(test::makeIsoImage(dir / "cd", dir / "boots.iso", test::booting(dir / "boot.img")));
    ASSERT_TRUE(test::makeIsoImage(dir / "cd", dir / "no-boot.iso", {}));
    std::string notImage = dir.write("notes.iso", std::string(40000, 'n'));
    form.workFolder = dir / "copy";
    dir.mkdir("copy");
    form.selected = 1;
    for (const std::string& image : {dir / "boots.iso", dir / "no-boot.iso", notImage}) {
        messages.shown.clear();
        form.driveEntries = {{"", "読み込みしない"}, makeDriveEntry(image, "TEST_CD")};
        messages.answer(MessageAnswer::Ok);
        EXPECT_EQ(checks.OnOK(form), image == dir / "boots.iso") << image;
    }
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, notImage + " は Windows の CD のイメージとして読めません。\n("
                                                 "ISO 9660 イメージではありません)");
    EXPECT_EQ(settings.GetCdDriveEntry(), makeCdDriveEntry(dir / "no-boot.iso", "TEST_CD"));
    messages.shown.clear();
    form.driveEntries[1] = makeDriveEntry(dir / "no-boot.iso", "TEST_CD");
    messages.answer(MessageAnswer::Ok);
    EXPECT_FALSE(checks.OnOK(form));
    // Before the work folder's questions, which may create the folder.
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              missing + dir / "no-boot.iso" + ": ブートカタログがありません" + howToGet);
}

TEST_F(SettingsChecksTest, a_stop_while_the_image_is_read_ends_the_checks_without_a_message) {
    dir.write("cd/I386/TXTSETUP.SIF", "[SourceDisksNames]\r\n1 = \"Windows XP CD\"\r\n");
    ASSERT_TRUE(test::makeIsoImage(dir / "cd", dir / "cd.iso", {}));
    form.driveEntries = {{"", "読み込みしない"}, makeDriveEntry(dir / "cd.iso", "TEST_CD")};
    form.selected = 1;
    form.infs = {storageInf("drv/drv.inf")};
    dir.mkdir("work");
    // The first look comes before any reading; each later one is the
    // reading's own: of the image at the drive check and the setup-tree
    // check, of its TXTSETUP.SIF for the drivers' version, of its size for
    // the free-space notice.
    int reads = 0;
    checks.setStopCheck([&] {
        ++reads;
        return false;
    });
    messages.answer(MessageAnswer::Ok);
    ASSERT_TRUE(checks.OnOK(form));
    ASSERT_GT(reads, 2);

    for (int stopAt = 1; stopAt < reads; ++stopAt) {
        BuildSettings fresh;
        test::ScriptedMessages quiet;
        SettingsChecks stopped(fresh, drives, quiet, test::buildTreeTools(dir.path()),
                               [this](const std::string&) { return free; });
        int looks = 0;
        stopped.setStopCheck([&] { return looks++ >= stopAt; });
        EXPECT_FALSE(stopped.OnOK(form)) << stopAt;
        EXPECT_TRUE(quiet.shown.empty()) << stopAt << ": " << quiet.shown.front().text;
        EXPECT_EQ(fresh.GetWorkFolder(), BuildSettings().GetWorkFolder()) << stopAt;
    }
}

TEST_F(SettingsChecksTest, a_source_whose_path_holds_the_entry_brackets_is_its_own_root) {
    // "cd [ sp4 ]" beside "cd": the entry's text reads "cd [ sp4 ] [ CD ]",
    // and the checks look into "cd [ sp4 ]", never into "cd". Only it holds
    // the boot image and a setup file that names Windows XP, so the boot
    // image check passes and the XP-only driver is taken for its version.
    const std::string root = dir / "cd [ sp4 ]";
    dir.write("cd [ sp4 ]/BOOTSECT.BIN", std::string(2048, 'b'));
    dir.write("cd [ sp4 ]/I386/TXTSETUP.SIF",
              "[SourceDisksNames]\r\n1 = \"Windows XP Professional CD\",\\WIN51\r\n\x1a");
    dir.write("cd/I386/TXTSETUP.SIF", "[SourceDisksNames]\r\n1 = \"Windows 2000 CD\"\r\n\x1a");
    const std::string xpOnly =
        dir.write("drv/xp.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                                "[Manufacturer]\r\nM=Models,NTx86.5.1\r\n[Models.NTx86.5.1]\r\n"
                                "Device=Inst,PCI\\VEN_1B2C&DEV_0001\r\n[Inst.Services]\r\n"
                                "AddService=Drv,2,Svc\r\n[Svc]\r\nServiceBinary=%12%\\drv.sys\r\n"
                                "LoadOrderGroup=\"SCSI Miniport\"\r\n");
    dir.write("drv/drv.sys", "driver");
    form.driveEntries = {{"", "読み込みしない"}, makeDriveEntry(root, "CD")};
    form.selected = 1;
    form.infs = {xpOnly};
    form.isoPath = dir / "out.iso";
    form.workFolder = dir / "copy";
    dir.mkdir("copy");
    messages.answer(MessageAnswer::Ok);
    EXPECT_TRUE(checks.OnOK(form)) << (messages.shown.empty() ? "" : messages.shown.back().text);
    EXPECT_EQ(settings.getCdDriveRoot(), root);
    EXPECT_EQ(settings.GetCdDriveEntry(), root + " [ CD ]");
    EXPECT_EQ(settings.GetDriverInf(0), xpOnly);

    // A drive without a disc whose mount point holds the brackets is asked
    // for its disc under its own root.
    const std::string mount = "/media/u/x [ y ]";
    drives.drives = {{"/dev/sr0", mount, std::nullopt}};
    drives.inserts = {{0, mount, {"/dev/sr0", mount, "WXP"}}};
    form.driveEntries = {{"", "読み込みしない"}, makeDriveEntry(mount, "CD がありません")};
    form.infs.clear();
    form.isoPath.clear();
    messages.shown.clear();
    messages.answer(MessageAnswer::Ok);
    checks.OnOK(form);
    EXPECT_EQ(settings.getCdDriveRoot(), mount);
    EXPECT_EQ(settings.GetCdDriveEntry(), mount + " [ WXP ]");
}

TEST_F(SettingsChecksTest, no_cd_needs_the_setup_file_in_the_work_folder) {
    dir.write("work/I386/other.txt", "x");
    form.workFolder = dir / "work/";
    EXPECT_FALSE(checks.OnOK(form));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "この作業フォルダは使えません。\n" + dir / "work/I386/TXTSETUP.SIF がありません。");
    EXPECT_EQ(messages.shown[0].style, kOk);

    // A folder in the setup file's place does not count.
    dir.mkdir("work/I386/TXTSETUP.SIF");
    EXPECT_FALSE(checks.OnOK(form));
}

TEST_F(SettingsChecksTest, no_cd_accepts_a_full_lower_case_tree_without_questions) {
    dir.write("work/i386/txtsetup.sif", "x");
    dir.write("work/other/file", "x");
    form.workFolder = dir / "work/";
    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(settings.GetWorkFolder(), dir / "work");
}

TEST_F(SettingsChecksTest, work_folder_that_another_build_holds_is_refused_before_any_question) {
    // Another build holds the folder's lock, reached here through a link:
    // with a CD the refusal comes before the free-space question, without
    // one before the tree is looked at. The checks never keep the lock.
    const std::string refusal = "この作業フォルダは使えません。\n" + dir / "work" +
                                " では、ほかのビルドが実行中です。"
                                "そのビルドが終わってから、もう一度始めてください。";
    dir.write("work/leftover", "x");
    ASSERT_EQ(::symlink((dir / "work").c_str(), (dir / "alias").c_str()), 0);
    FolderLock otherBuild;
    ASSERT_EQ(otherBuild.take(dir / "alias"), FolderLock::Result::Taken);
    for (int drive : {1, 0}) {
        if (drive == 1) {
            useLabelledCd();
        } else {
            form.selected = 0;
        }
        messages.shown.clear();
        EXPECT_FALSE(checks.OnOK(form));
        ASSERT_EQ(messages.shown.size(), 1u) << drive;
        EXPECT_EQ(messages.shown[0].text, refusal);
        EXPECT_EQ(messages.shown[0].style, kOk);
        EXPECT_EQ(settings.GetWorkFolder(), "");
    }

    otherBuild.release();
    useInstalledTree();
    messages.shown.clear();
    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_TRUE(messages.shown.empty());
    FolderLock build;
    EXPECT_EQ(build.take(dir / "work"), FolderLock::Result::Taken);
}

TEST_F(SettingsChecksTest, drive_not_ready_stops_before_the_free_space_report) {
    useLabelledCd();
    free = std::nullopt;
    EXPECT_FALSE(checks.OnOK(form));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "ドライブの準備ができてません。");
    EXPECT_EQ(messages.shown[0].style, kOk);
}

TEST_F(SettingsChecksTest, free_space_is_reported_in_whole_mebibytes) {
    useLabelledCd();
    dir.mkdir("work");
    free = std::uint64_t(1048576) * 3 / 2;
    messages.answer(MessageAnswer::Ok);
    EXPECT_TRUE(checks.OnOK(form));
    ASSERT_EQ(messages.shown.size(), 1u);
    // The CD's few bytes round up to the whole MiB they need.
    const std::string needs = "\nCD の内容には約 1MB 必要です。";
    EXPECT_EQ(messages.shown[0].text, "作業フォルダに使える空き容量は 1MB です。" + needs);
    EXPECT_EQ(messages.shown[0].style, kOkCancelInfo);

    free = 1048575;
    messages.answer(MessageAnswer::Ok);
    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_EQ(messages.shown.back().text, "作業フォルダに使える空き容量は 0MB です。" + needs);

    // Beyond what 32 bits hold, the figure stays right.
    free = std::uint64_t(5) << 50;
    messages.answer(MessageAnswer::Cancel);
    settings.SetWorkFolder("");
    EXPECT_FALSE(checks.OnOK(form));
    EXPECT_EQ(messages.shown.back().text,
              "作業フォルダに使える空き容量は 5368709120MB です。" + needs);
    EXPECT_EQ(settings.GetWorkFolder(), "");
    EXPECT_TRUE(messages.unexpected.empty());
}

TEST_F(SettingsChecksTest, missing_folder_is_created_on_yes_and_left_alone_on_no) {
    useLabelledCd();
    form.workFolder = dir / "new/deep/work/";
    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::No);
    EXPECT_FALSE(checks.OnOK(form));
    EXPECT_EQ(messages.shown[1].text,
              dir / "new/deep/work/" + " というフォルダはありません。新しく作りますか？");
    EXPECT_EQ(messages.shown[1].style, kYesNoQuestion);
    EXPECT_FALSE(existsAsFolder(dir / "new"));

    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::Yes);
    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_TRUE(existsAsFolder(dir / "new/deep/work"));
    EXPECT_EQ(settings.GetWorkFolder(), dir / "new/deep/work");
    EXPECT_EQ(messages.shown.size(), 4u); // no emptiness question after creating
    EXPECT_TRUE(messages.unexpected.empty());
}

TEST_F(SettingsChecksTest, folder_that_cannot_be_created_is_reported) {
    useLabelledCd();
    dir.write("blocker", "a file where a folder should go");
    form.workFolder = dir / "blocker/work";
    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::Yes);
    EXPECT_FALSE(checks.OnOK(form));
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[2].text,
              "フォルダを作成できませんでした。\n" + dir / "blocker/work" + ": Not a directory");
    EXPECT_EQ(messages.shown[2].style,
              (MessageStyle{MessageButtons::Ok, MessageIcon::Information, false}));
    EXPECT_EQ(settings.GetWorkFolder(), "");
}

TEST_F(SettingsChecksTest, folder_that_is_not_empty_asks_with_no_as_default) {
    useLabelledCd();
    dir.write("work/leftover", "x");
    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::No);
    EXPECT_FALSE(checks.OnOK(form));
    EXPECT_EQ(messages.shown[1].text,
              dir / "work" + " フォルダは空ではありませんが、よろしいですか？");
    EXPECT_EQ(messages.shown[1].style, kYesNoQuestionDefNo);
    EXPECT_EQ(settings.GetWorkFolder(), "");

    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::Yes);
    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_EQ(settings.GetWorkFolder(), dir / "work");
}

TEST_F(SettingsChecksTest, empty_folder_is_accepted_after_the_free_space_report_only) {
    useLabelledCd();
    dir.mkdir("work");
    messages.answer(MessageAnswer::Ok);
    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.unexpected.empty());
}

TEST_F(SettingsChecksTest, drive_root_is_asked_about_as_a_drive_and_kept_whole) {
    // A mount point that is never empty ("/" itself is never a work
    // folder: the whole system would be written into).
    useLabelledCd();
    form.workFolder = "/proc/";
    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::No);
    EXPECT_FALSE(checks.OnOK(form));
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].text, "/proc/ ドライブは空ではありませんが、よろしいですか？");
    EXPECT_EQ(messages.shown[1].style, kYesNoQuestionDefNo);

    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::Yes);
    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_EQ(settings.GetWorkFolder(), "/proc");
    EXPECT_TRUE(messages.unexpected.empty());
}

TEST_F(SettingsChecksTest, refusals_come_in_check_order_and_keep_earlier_values) {
    storageInf("drv/a.inf");
    drives.drives = {{"/dev/sr0", "/dev/sr0", std::nullopt}};
    dir.write("CD/I386/TXTSETUP.SIF", "[SourceDisksNames]\r\n");
    drives.inserts = {{1, "/dev/sr0", {"/dev/sr0", dir / "CD", "LBL"}}};
    form.driveEntries = {{"", "読み込みしない"}, makeDriveEntry("/dev/sr0", "CD がありません")};
    form.selected = 1;
    form.volumeLabel = "LBL";
    form.servicePack = dir / "missing.exe";
    form.infs = {dir / "drv/a.inf"};
    form.workFolder = dir / "work";

    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::Ok);
    EXPECT_FALSE(checks.OnOK(form));
    EXPECT_EQ(messages.texts(), (std::vector<std::string>{
                                    " Windows の CD を /dev/sr0 にセットしてください。",
                                    dir / "missing.exe" + " ファイルが見つかりませんでした。"}));
    EXPECT_EQ(settings.GetCdDriveEntry(), dir / "CD" + " [ LBL ]");
    EXPECT_EQ(settings.GetVolumeLabel(), "LBL");
    EXPECT_EQ(settings.GetDriverInf(0), "");

    form.servicePack = "";
    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::Yes);
    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_EQ(settings.GetDriverInf(0), dir / "drv/a.inf");
    EXPECT_EQ(settings.GetWorkFolder(), dir / "work");
    EXPECT_TRUE(messages.unexpected.empty());
}

// A tree in the work folder whose TXTSETUP.SIF names the CD of a version.
void writeTree(const TempDir& dir, std::string_view cdName) {
    dir.write("work/I386/TXTSETUP.SIF",
              "[Version]\r\nSignature = \"$Windows NT$\"\r\n[SourceDisksNames]\r\n1 = \"" +
                  std::string(cdName) + "\",cdrom.sp3,,\\i386\r\n\x1a");
}

const std::string kData = ORNIBE_TEST_DATA;
const std::string kNoDriver =
    " にはテキストモードセットアップで使えるストレージドライバがありません。\n";

TEST_F(SettingsChecksTest, driver_infs_that_add_no_storage_driver_are_refused_with_the_reason) {
    writeTree(dir, "Windows 2000 Professional CD");
    const std::string notInf = kData + "/text_file_named_inf.inf";
    const std::string display = kData + "/display_class_driver.inf";
    const std::string xpOnly = kData + "/storage_driver_for_xp_only.inf";
    const std::string sample = std::string(ORNIBE_SOURCE_DIR) + "/samples/driver/OrScsi.inf";
    // A driver INF whose driver file is not beside it.
    const std::string filesMissing = kData + "/storage_driver_without_its_file.inf";

    form.infs = {sample, notInf};
    EXPECT_FALSE(checks.OnOK(form));
    // The driver before the refused one stays stored.
    EXPECT_EQ(settings.GetDriverInf(0), sample);
    EXPECT_EQ(settings.GetDriverInf(1), "");
    form.infs = {display};
    EXPECT_FALSE(checks.OnOK(form));
    form.infs = {xpOnly};
    EXPECT_FALSE(checks.OnOK(form));
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[0].text,
              notInf + " はドライバの INF ファイルではありません。\n"
                       "1 行目: 最初のセクション見出しより前に、コメントではない行があります。");
    EXPECT_EQ(messages.shown[1].text, display + kNoDriver +
                                          "読み込み順序グループ（LoadOrderGroup）が SCSI Miniport "
                                          "のサービスがありません。（クラス: Display）");
    EXPECT_EQ(messages.shown[2].text, xpOnly + kNoDriver + "Windows 2000 用のモデルがありません。");
    // Refused before the work folder was taken.
    EXPECT_EQ(settings.GetWorkFolder(), "");

    // On an XP tree the driver has models, but its driver file is not
    // beside it.
    writeTree(dir, "Windows XP Professional CD");
    form.infs = {filesMissing};
    EXPECT_FALSE(checks.OnOK(form));
    EXPECT_EQ(messages.shown.back().text, filesMissing + kNoDriver + folderPart(filesMissing) +
                                              "/orlost.sys が見つかりません。");
    for (const auto& box : messages.shown) {
        EXPECT_EQ(box.style, kOk);
    }

    // The XP-only driver passes for the version it is written for, and so
    // does the sample driver.
    form.infs = {sample, xpOnly};
    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_EQ(settings.GetDriverInf(1), xpOnly);

    // Without a readable TXTSETUP.SIF a driver for any version passes, and
    // a driver for none names no version.
    std::remove((dir / "work/I386/TXTSETUP.SIF").c_str());
    dir.write("cd/I386/TXTSETUP.SIF", "[SourceDisksNames]\r\n\x1a");
    useLabelledCd();
    drives.drives = {{"/dev/sr0", dir / "cd", "CD"}};
    form.driveEntries = {{"", "読み込みしない"}, makeDriveEntry(dir / "cd", "CD")};
    form.infs = {xpOnly};
    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::Yes);
    EXPECT_TRUE(checks.OnOK(form));
    form.infs = {dir.write("drv/none.inf", "[Version]\r\nSignature=\"$Chicago$\"\r\n")};
    EXPECT_FALSE(checks.OnOK(form));
    EXPECT_EQ(messages.shown.back().text,
              dir / "drv/none.inf" + kNoDriver + "どの Windows 用のモデルもありません。");
}

TEST_F(SettingsChecksTest, service_pack_that_cannot_run_here_is_refused_with_what_to_install) {
    useInstalledTree();
    const std::string x64 = writeProgram(dir, "sp/x64.exe", 0x8664);
    const std::string x86 = writeProgram(dir, "sp/x86.exe", 0x014C);
    const std::string dos = dir.write("sp/dos.exe", "MZ\x90");
    const std::string cannotRun = " を実行できません。\n";
    const std::string install = "sudo dpkg --add-architecture i386 && sudo apt-get update && "
                                "sudo apt-get install wine wine32:i386";

    auto current = checksWithPath(dir.mkdir("empty"));
    form.servicePack = x64;
    EXPECT_FALSE(current->OnOK(form));
    form.servicePack = dos;
    EXPECT_FALSE(current->OnOK(form));
    form.servicePack = x86;
    EXPECT_FALSE(current->OnOK(form));
    // A Wine with only its 64-bit loader.
    test::writeScript(dir / "wine64only/bin/wine", "exit 0\n");
    current = checksWithPath(dir / "wine64only/bin");
    EXPECT_FALSE(current->OnOK(form));

    ASSERT_EQ(messages.shown.size(), 4u);
    EXPECT_EQ(messages.shown[0].text,
              x64 + cannotRun +
                  "x86（32 ビット）用のプログラムではありません（マシン種別 0x8664）。");
    EXPECT_EQ(messages.shown[1].text,
              dos + cannotRun + "Windows のプログラム（PE 形式）ではありません。");
    EXPECT_EQ(messages.shown[2].text, x86 + cannotRun +
                                          "Windows のプログラムを実行するには Wine が必要です。\n"
                                          "Debian では次のコマンドでインストールできます：\n" +
                                          install);
    EXPECT_EQ(messages.shown[3].text,
              x86 + cannotRun + dir / "wine64only/bin/wine" +
                  " は 64 ビットの Wine だけで、32 ビットのプログラムを実行できません。\n"
                  "Debian では次のコマンドで 32 ビットの Wine を追加できます：\n" +
                  install);
    EXPECT_EQ(settings.GetServicePackPath(), "");
    EXPECT_EQ(settings.GetWorkFolder(), "");

    // With the 32-bit loader where Debian's wine32 puts it, the installer
    // passes; a file that is no Windows program never does.
    dir.write("wine64only/lib/wine/wine", std::string("\x7F"
                                                      "ELF\x01\x01\x01",
                                                      7));
    EXPECT_TRUE(current->OnOK(form));
    EXPECT_EQ(settings.GetServicePackPath(), x86);
    form.servicePack = dir.write("sp/install.sh", "#!/bin/sh\n");
    EXPECT_FALSE(current->OnOK(form));
    EXPECT_EQ(messages.shown.back().text,
              form.servicePack + cannotRun +
                  "Windows のプログラム（先頭が MZ の .exe ファイル）ではありません。\n"
                  "Service Pack のインストーラ（例: WindowsXP-KB936929-SP3-x86-JPN.exe）を選ん"
                  "でください。");
}

TEST_F(SettingsChecksTest, image_settings_the_image_step_cannot_use_are_refused_before_any_change) {
    useLabelledCd();
    dir.mkdir("out");
    const std::string label33(33, 'A');
    form.workFolder = dir / "new/work";

    form.volumeLabel = label33;
    EXPECT_FALSE(checks.OnOK(form));
    form.volumeLabel = "WXP_ラベル";
    EXPECT_FALSE(checks.OnOK(form));
    EXPECT_EQ(settings.GetVolumeLabel(), "");
    form.volumeLabel = std::string(32, 'A');
    form.isoPath = dir / "missing/x.iso";
    EXPECT_FALSE(checks.OnOK(form));
    form.isoPath = dir / "out";
    EXPECT_FALSE(checks.OnOK(form));
    form.isoPath = "sub/x.iso";
    EXPECT_FALSE(checks.OnOK(form));

    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{
                  "ボリュームラベル「" + label33 +
                      "」は使えません。\n32 文字までです（33 文字あります）。",
                  "ボリュームラベル「WXP_ラベル」は使えません。\n「ラ」は使えない文字です。"
                  "半角の英数字、空白と記号だけが使えます。",
                  "ISO イメージ " + dir / "missing/x.iso" + " を作成できません。\n" +
                      dir / "missing" + " というフォルダはありません。",
                  "ISO イメージ " + dir / "out" +
                      " を作成できません。\nフォルダの名前です。ISO "
                      "イメージのファイル名を入力してください。",
                  // The image step runs in the work folder.
                  "ISO イメージ " + dir / "new/work/sub/x.iso" + " を作成できません。\n" +
                      dir / "new/work/sub" + " というフォルダはありません。"}));
    EXPECT_FALSE(existsAsFolder(dir / "new"));

    // A name right in the work folder that is still to be made passes on to
    // the question that makes it (the CD gives the boot image).
    dir.write("cd/BOOTSECT.BIN", "boot");
    dir.write("cd/I386/TXTSETUP.SIF", "[SourceDisksNames]\r\n");
    drives.drives = {{"/dev/sr0", dir / "cd", "WXPFPP_JA"}};
    form.driveEntries = {{"", "読み込みしない"}, makeDriveEntry(dir / "cd", "WXPFPP_JA")};
    form.isoPath = "x.iso";
    messages.answer(MessageAnswer::Ok).answer(MessageAnswer::Yes);
    EXPECT_TRUE(checks.OnOK(form));
    EXPECT_EQ(settings.GetIsoPath(), "x.iso");
    EXPECT_EQ(settings.GetVolumeLabel(), std::string(32, 'A'));
}

TEST_F(SettingsChecksTest, a_relative_iso_name_is_held_against_the_files_of_the_work_folder) {
    // The page takes the name from the work folder, where the tree's names
    // match in any letter case.
    useInstalledTree();
    form.isoPath = "I386/txtsetup.sif";
    EXPECT_FALSE(checks.OnOK(form));
    EXPECT_EQ(messages.texts(),
              (std::vector<std::string>{
                  "ISO イメージ " + dir / "work/I386/txtsetup.sif" + " を作成できません。\n" +
                  dir / "work/I386/TXTSETUP.SIF" +
                  " は作業フォルダのファイルです。作業フォルダの中で ISO "
                  "イメージが置き換えてよいのは、以前に作った ISO イメージだけです。"}));
    EXPECT_EQ(settings.GetIsoPath(), "");
}

TEST_F(SettingsChecksTest, unusable_work_folder_says_why_on_its_second_line) {
    const std::string first = "この作業フォルダは使えません。\n";
    form.workFolder = dir / "absent";
    EXPECT_FALSE(checks.OnOK(form));
    dir.mkdir("empty");
    form.workFolder = dir / "empty";
    EXPECT_FALSE(checks.OnOK(form));
    dir.write("home/~/I386/readme.txt", "");
    test::CurrentFolderScope here(dir / "home");
    form.workFolder = "~/";
    EXPECT_FALSE(checks.OnOK(form));
    EXPECT_EQ(
        messages.texts(),
        (std::vector<std::string>{
            first + dir / "absent" + " というフォルダはありません。",
            first + dir / "empty/I386/TXTSETUP.SIF がありません。",
            first +
                "「~」はホームフォルダの意味にはならず、その名前のフォルダとして扱われます。"}));
}

} // namespace
} // namespace ornibe
