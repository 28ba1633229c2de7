#include "E2eTest.h"
#include "TreeFiles.h"

#include "inf/InfFile.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/RealFixtures.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

// The vendors' PnP INFs, each in a folder of its own.
const std::vector<std::string> kFixtures = {"virtio-xp-netkvm-x86", "virtio-xp-balloon-x86",
                                            "virtio-xp-qxl-x86", "virtio-xp-viostor-x86",
                                            "virtio-iso-xp-viostor-x86"};

void writeText(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The value of a key in an answer file, as the INF parser reads it.
std::string answerValue(const std::string& path, const std::string& section,
                        const std::string& key) {
    auto file = InfFile::readBytes(slurp(path), InfStyle::AnswerFile);
    if (!file) {
        return "(unreadable)";
    }
    auto line = file->findFirstLine(section, key);
    return line ? file->stringField(*line, 1).value_or("") : "(missing)";
}

class PnpDriverBuildTest : public E2eTest {
protected:
    void SetUp() override {
        if (!requireRealFixture("pnp-inf")) {
            return;
        }
        // The real INFs with stand-in files of the names they give their
        // driver binaries and catalogs, in a medium folder of the test's.
        for (const std::string& name : kFixtures) {
            const fs::path from = fs::path(realFixture("pnp-inf")) / name;
            const std::string to = media(name);
            fs::create_directories(to);
            for (const auto& entry : fs::directory_iterator(from)) {
                fs::copy_file(entry.path(), fs::path(to) / entry.path().filename());
            }
        }
        for (const auto& [name, files] : standIns()) {
            for (const std::string& file : files) {
                writeText(media(name) + "/" + file, "stand-in " + file + "\n");
            }
        }
    }

    // Each fixture's files besides its INF, as its INF spells them.
    static std::map<std::string, std::vector<std::string>> standIns() {
        return {
            {"virtio-xp-netkvm-x86", {"netkvm.sys", "netkvm.cat"}},
            {"virtio-xp-balloon-x86", {"BALLOON.sys", "WdfCoInstaller01009.dll", "Balloon.cat"}},
            {"virtio-xp-qxl-x86", {"qxl.sys", "qxldd.dll", "qxl.cat"}},
            {"virtio-xp-viostor-x86", {"viostor.sys", "viostor.cat"}},
            {"virtio-iso-xp-viostor-x86", {"viostor.sys", "viostor.cat"}}};
    }

    // The folder of a driver medium of the test's.
    std::string media(const std::string& name) const { return dir / ("media/" + name); }

    std::string inf(const std::string& name) const {
        for (const auto& entry : fs::directory_iterator(media(name))) {
            if (entry.path().extension() == ".inf") {
                return entry.path().string();
            }
        }
        return {};
    }

    CommandResult build(const std::string& work, const std::vector<std::string>& names,
                        std::vector<std::string> extra = {"--unattended", "--full-name", "T"}) {
        std::vector<std::string> argv = {ORNIBE_BUILD_PROGRAM, "--work", work, "--quiet"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        for (const std::string& name : names) {
            argv.push_back("--pnp-driver");
            argv.push_back(inf(name));
        }
        return runCommand(argv);
    }
};

// Every fixture INF through ornibe-build into a generated XP tree: each
// gets a numbered folder under $OEM$\$1\Drivers with the INF and every file
// it names, the image holds them, and the answer file names exactly those
// folders with OemPreinstall, as the INF parser reads it back.
TEST_F(PnpDriverBuildTest, every_fixture_goes_into_its_folder_and_the_answer_file_names_them) {
    const std::string work = dir / "xp";
    const std::string iso = dir / "xp.iso";
    ASSERT_TRUE(makeTree(work, "xp"));
    CommandResult result = build(
        work, kFixtures, {"--unattended", "--full-name", "T", "--label", "PNP", "--iso", iso});
    ASSERT_EQ(result.exitCode, 0) << result.output;

    const std::string drivers = work + "/$OEM$/$1/Drivers";
    const auto allStandIns = standIns();
    for (std::size_t i = 0; i < kFixtures.size(); ++i) {
        const std::string folder = drivers + "/00" + std::to_string(i + 1);
        std::map<std::string, std::string> files = readTree(folder);
        std::map<std::string, std::string> expected;
        const std::string infName = fs::path(inf(kFixtures[i])).filename();
        expected[infName] = slurp(inf(kFixtures[i]));
        for (const std::string& file : allStandIns.at(kFixtures[i])) {
            expected[file] = "stand-in " + file + "\n";
        }
        EXPECT_EQ(files, expected) << folder;
        EXPECT_THAT(result.output, HasSubstr("Drivers\\00" + std::to_string(i + 1) + " に " +
                                             infName + " をコピーしています。。。完了\n"));
    }
    EXPECT_EQ(foldersOf(drivers), (std::vector<std::string>{"001", "002", "003", "004", "005"}));
    EXPECT_TRUE(fs::is_regular_file(work + "/$OEM$/ORNIBE.TXT"));

    const std::string sif = work + "/I386/WINNT.SIF";
    EXPECT_EQ(answerValue(sif, "Unattended", "OemPnPDriversPath"),
              "Drivers\\001;Drivers\\002;Drivers\\003;Drivers\\004;Drivers\\005");
    EXPECT_EQ(answerValue(sif, "Unattended", "OemPreinstall"), "Yes");
    EXPECT_EQ(answerValue(sif, "Unattended", "DriverSigningPolicy"), "Ignore");

    // The summary: class and description of each.
    EXPECT_THAT(result.output, HasSubstr("\n\n追加する PnP ドライバ：\n      "));
    EXPECT_THAT(result.output, HasSubstr("（Net）"));
    EXPECT_THAT(result.output, HasSubstr("（Display）"));
    EXPECT_THAT(result.output, HasSubstr("（System）"));
    EXPECT_THAT(result.output, HasSubstr("（SCSIAdapter）"));

    // The image holds every one of them, under the names it records.
    ImageReport report = readImage(iso);
    for (const auto& [path, bytes] : readTree(drivers)) {
        std::string recorded = "/$OEM$/$1/DRIVERS/" + path;
        for (char& c : recorded) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        EXPECT_THAT(report.files, Contains(recorded));
    }
    std::size_t named = 0;
    for (const auto& [name, files] : allStandIns) {
        named += files.size() + 1;
    }
    EXPECT_EQ(readTree(drivers).size(), named);
}

// A rerun with the same drivers changes nothing under $OEM$; one with a
// driver fewer removes only that driver's folder, keeps the others as they
// were and never touches the user's own folder there.
TEST_F(PnpDriverBuildTest, a_rerun_changes_nothing_and_a_driver_fewer_removes_only_its_folder) {
    const std::string work = dir / "xp";
    ASSERT_TRUE(makeTree(work, "xp"));
    const std::vector<std::string> three = {kFixtures[0], kFixtures[1], kFixtures[2]};
    ASSERT_EQ(build(work, three).exitCode, 0);
    const std::string drivers = work + "/$OEM$/$1/Drivers";
    writeText(drivers + "/MINE/mine.inf", "the user's own\n");
    const TreeSnapshot first = snapshotTree(work + "/$OEM$");

    CommandResult rerun = build(work, three);
    ASSERT_EQ(rerun.exitCode, 0) << rerun.output;
    EXPECT_EQ(snapshotTree(work + "/$OEM$"), first);

    CommandResult fewer = build(work, {kFixtures[0], kFixtures[2]});
    ASSERT_EQ(fewer.exitCode, 0) << fewer.output;
    EXPECT_THAT(fewer.output, HasSubstr("Drivers\\002 を削除しています。。。完了\n"));
    EXPECT_EQ(foldersOf(drivers), (std::vector<std::string>{"001", "003", "MINE"}));
    TreeSnapshot now = snapshotTree(drivers);
    TreeSnapshot kept;
    for (const auto& [path, entry] : snapshotTree(drivers)) {
        if (!path.starts_with("002")) {
            kept[path] = entry;
        }
    }
    TreeSnapshot before;
    for (const auto& [path, entry] : first) {
        if (path.starts_with("$1/Drivers/") && !path.starts_with("$1/Drivers/002")) {
            before[path.substr(std::string("$1/Drivers/").size())] = entry;
        }
    }
    EXPECT_EQ(now, before);
    EXPECT_EQ(answerValue(work + "/I386/WINNT.SIF", "Unattended", "OemPnPDriversPath"),
              "Drivers\\001;Drivers\\003");
}

// The user's own answer file: its values stay, our folder follows the
// user's, OemPreinstall becomes Yes, and the log names both keys.
TEST_F(PnpDriverBuildTest, the_users_answer_file_gets_the_keys_merged_in) {
    const std::string work = dir / "xp";
    ASSERT_TRUE(makeTree(work, "xp"));
    const std::string own = dir / "own.sif";
    writeText(own, "[Data]\r\nUnattendedInstall = \"Yes\"\r\n\r\n[Unattended]\r\n"
                   "UnattendMode = FullUnattended\r\nOemPreinstall = No\r\n"
                   "OemPnPDriversPath = \"Drivers\\Mine\"\r\n\r\n[UserData]\r\n"
                   "FullName = \"Own\"\r\nComputerName = *\r\n");
    CommandResult result = build(work, {kFixtures[0]}, {"--answer-file", own});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    const std::string sif = work + "/I386/WINNT.SIF";
    EXPECT_EQ(answerValue(sif, "Unattended", "OemPnPDriversPath"), "Drivers\\Mine;Drivers\\001");
    EXPECT_EQ(answerValue(sif, "Unattended", "OemPreinstall"), "Yes");
    EXPECT_EQ(answerValue(sif, "Unattended", "UnattendMode"), "FullUnattended");
    EXPECT_EQ(answerValue(sif, "UserData", "FullName"), "Own");
    EXPECT_THAT(result.output, HasSubstr("[Unattended] OemPreinstall を"));
    EXPECT_THAT(result.output, HasSubstr("[Unattended] OemPnPDriversPath を"));
}

// What is refused before anything changes: a Windows 2000 tree whose
// OemPnPDriversPath would pass 98 characters (with the length and the
// limit), an INF without models for Windows 2000, one for another
// architecture only, one whose file is missing, and PnP drivers without
// an answer file.
TEST_F(PnpDriverBuildTest, refusals_come_before_anything_changes) {
    const std::string work = dir / "w2k";
    ASSERT_TRUE(makeTree(work, "2000"));
    const TreeSnapshot untouched = snapshotTree(work);

    // Nine folders: 9 * 11 + 8 = 107 characters.
    std::vector<std::string> nine;
    for (int i = 0; i < 9; ++i) {
        const std::string name = "balloon" + std::to_string(i);
        fs::copy(media(kFixtures[1]), media(name));
        nine.push_back(name);
    }
    CommandResult tooLong = build(work, nine);
    EXPECT_NE(tooLong.exitCode, 0);
    EXPECT_THAT(tooLong.output, HasSubstr("OemPnPDriversPath が 107 文字になり、Windows 2000 "
                                          "の上限の 98 文字を超えます。"));

    CommandResult noModels = build(work, {kFixtures[0]});
    EXPECT_NE(noModels.exitCode, 0);
    EXPECT_THAT(noModels.output, HasSubstr("Windows 2000 用のモデルがありません。"));

    const std::string amd64 = media("amd64");
    writeText(amd64 + "/amd64.inf",
              "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Net\r\n"
              "[Manufacturer]\r\nX=M,NTamd64\r\n[M.NTamd64]\r\nDev=inst,PCI\\VEN_1\r\n");
    CommandResult other = build(work, {"amd64"});
    EXPECT_NE(other.exitCode, 0);
    EXPECT_THAT(other.output, HasSubstr("モデルが x86 ではないアーキテクチャ（NTamd64）用です。"));

    fs::remove(media(kFixtures[1]) + "/BALLOON.sys");
    CommandResult missing = build(work, {kFixtures[1]});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_THAT(missing.output, HasSubstr("BALLOON.sys が見つかりません。"));

    CommandResult noAnswer = build(work, {kFixtures[2]}, {});
    EXPECT_EQ(noAnswer.exitCode, 2);
    EXPECT_THAT(
        noAnswer.output,
        HasSubstr("PnP ドライバを組み込むには、無人インストールの応答ファイルが要ります。"));

    EXPECT_EQ(snapshotTree(work), untouched);

    // Eight folders take 95 characters: the build goes on.
    nine.pop_back();
    CommandResult eight = build(work, nine);
    EXPECT_EQ(eight.exitCode, 0) << eight.output;
}

} // namespace
} // namespace ornibe::test
