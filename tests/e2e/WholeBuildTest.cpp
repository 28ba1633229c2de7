#include "E2eTest.h"
#include "TreeFiles.h"
#include "WizardSession.h"

#include "support/FileAssertions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <regex>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::ElementsAre;

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

std::vector<std::string> namesOf(const std::map<std::string, std::string>& files) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files) {
        names.push_back(name);
    }
    return names;
}

std::string withoutLastByte(std::string text) {
    text.pop_back();
    return text;
}

// Whole builds through both pages with the project's tools, over
// generated trees and the sample driver.
class WholeBuildTest : public E2eTest {
protected:
    void SetUp() override {
        E2eTest::SetUp();
        ASSERT_TRUE(makeDriver(dir / "drv"));
        driver = readTree(dir / "drv");
    }

    // Checks that finished holds the tree before the build with the
    // driver in the setup files and the driver's files staged:
    // names are those of the tree (i386 in a lower-case tree).
    void expectPatchedTree(const std::map<std::string, std::string>& before,
                           std::map<std::string, std::string> finished, bool lowerCase,
                           bool windows2000, bool bigDrive) {
        auto name = [lowerCase](const std::string& upperName) {
            std::string out = upperName;
            if (lowerCase) {
                std::transform(out.begin(), out.end(), out.begin(),
                               [](unsigned char c) { return char(std::tolower(c)); });
            }
            return out;
        };
        const std::string i386 = name("I386") + "/";

        // Files the build adds: the compressed driver and INF, the catalog.
        CabinetFile sys = expandCabinet(finished[i386 + "ORSCSI.SY_"], scratch());
        EXPECT_EQ(sys.name, "ORSCSI.SYS");
        EXPECT_TRUE(sys.bytes == driver.at("X86/ORSCSI.SYS"));
        CabinetFile inf = expandCabinet(finished[i386 + "OrScsi.in_"], scratch());
        EXPECT_EQ(inf.name, "OrScsi.inf");
        EXPECT_TRUE(inf.bytes == driver.at("OrScsi.inf"));
        EXPECT_TRUE(finished[i386 + name("SVCPACK") + "/ORSCSI.CAT"] == driver.at("ORSCSI.CAT"));

        // The setup files: text appended, nothing else changed.
        const std::string sif = i386 + name("TXTSETUP.SIF");
        EXPECT_EQ(visibleBytes(finished[sif]),
                  visibleBytes(withoutLastByte(before.at(sif)) + sampleTxtsetupBlocks(windows2000) +
                               "\r\n\x1A"));
        const std::string dosnet = i386 + name("DOSNET.INF");
        EXPECT_EQ(visibleBytes(finished[dosnet]), visibleBytes(before.at(dosnet) + kDosnetBlock));
        const std::string svcpack = i386 + name("SVCPACK.IN_");
        CabinetFile svcpackNow = expandCabinet(finished[svcpack], scratch());
        CabinetFile svcpackBefore = expandCabinet(before.at(svcpack), scratch());
        EXPECT_EQ(svcpackNow.name, name("SVCPACK.INF"));
        EXPECT_EQ(visibleBytes(svcpackNow.bytes),
                  visibleBytes(svcpackBefore.bytes + kSvcpackBlock));
        const std::string mshdc = i386 + name("MSHDC.IN_");
        if (bigDrive && windows2000) {
            CabinetFile mshdcNow = expandCabinet(finished[mshdc], scratch());
            CabinetFile mshdcBefore = expandCabinet(before.at(mshdc), scratch());
            EXPECT_EQ(mshdcNow.name, name("MSHDC.INF"));
            EXPECT_EQ(visibleBytes(mshdcNow.bytes), visibleBytes(mshdcBefore.bytes + kMshdcBlock));
        } else {
            EXPECT_TRUE(finished[mshdc] == before.at(mshdc));
        }

        // Everything else is as it was, and nothing more is there.
        std::map<std::string, std::string> untouched = before;
        for (const std::string& changed : {sif, dosnet, svcpack, mshdc}) {
            untouched.erase(changed);
            finished.erase(changed);
        }
        for (const std::string& added :
             {i386 + "ORSCSI.SY_", i386 + "OrScsi.in_", i386 + name("SVCPACK") + "/ORSCSI.CAT"}) {
            EXPECT_EQ(finished.erase(added), 1u) << added;
        }
        EXPECT_EQ(namesOf(finished), namesOf(untouched));
        for (const auto& [path, bytes] : finished) {
            auto was = untouched.find(path);
            EXPECT_TRUE(was != untouched.end() && was->second == bytes) << path;
        }
    }

    // The image holds every file of the tree but itself, under upper-case
    // names, boots the tree's boot sector and carries the label.
    void expectImageOf(const std::string& image, const std::map<std::string, std::string>& tree,
                       const std::string& label, const std::string& bootSector) {
        ImageReport report = readImage(image);
        std::vector<std::string> wanted;
        for (const auto& [path, bytes] : tree) {
            wanted.push_back("/" + upper(path));
        }
        std::sort(wanted.begin(), wanted.end());
        EXPECT_EQ(report.files, wanted) << report.output;
        ASSERT_EQ(report.bootEntry.size(), 8u) << report.output;
        EXPECT_THAT(
            std::vector<std::string>(report.bootEntry.begin() + 1, report.bootEntry.begin() + 5),
            ElementsAre("BIOS", "y", "none", "0x07c0"));
        EXPECT_EQ(report.bootEntry[6], "4");
        std::size_t block = std::stoul(report.bootEntry[7]);
        EXPECT_TRUE(slurp(image).substr(block * 2048, 2048) == bootSector);
        EXPECT_EQ(report.volumeId, label);

        std::string back = scratch() + "/image";
        ASSERT_TRUE(extractImage(image, back));
        std::map<std::string, std::string> read = readTree(back);
        ASSERT_EQ(read.size(), tree.size());
        for (const auto& [path, bytes] : tree) {
            EXPECT_TRUE(read[upper(path)] == bytes) << path;
        }
    }

    std::string scratch() {
        std::string folder = dir / "scratch";
        fs::create_directories(folder);
        return folder;
    }

    std::map<std::string, std::string> driver;
};

TEST_F(WholeBuildTest, xp_tree_without_cd_gets_the_driver_and_a_bootable_image_then_stays_put) {
    const std::string work = dir / "work";
    const std::string iso = dir / "xp.iso";
    ASSERT_TRUE(makeTree(work, "xp"));
    const auto before = readTree(work);
    SettingsInput input{0, "WXP_ORNIBE", {dir / "drv/OrScsi.inf"}, true, work, iso};

    WizardSession first(tools);
    first.buildOnce(input, {}, {MessageAnswer::Ok});
    EXPECT_EQ(first.script.failures, QStringList());
    EXPECT_EQ(first.script.shown, (QStringList{"settingsPage", "confirmPage"}));
    ASSERT_EQ(first.messages.texts(), std::vector<std::string>{"完成です！"});
    EXPECT_EQ(first.messages.shown[0].style.icon, MessageIcon::Information);

    const auto finished = readTree(work);
    Summary summary{"Windows XP Professional CD",
                    "読み込みしない",
                    "WXP_ORNIBE",
                    "",
                    {kSampleDevice},
                    true,
                    work,
                    iso};
    const std::string log =
        summary.text() + "\r\nスタート！\r\n\r\n" + kStagingLog + kPatchLog +
        "Windows2000 ではないので、Big Drive 対応化はされません。\r\n\r\n" +
        isoLog("WXP_ORNIBE", work, iso, finished.size(), foldersOf(work).size());
    ASSERT_EQ(first.logs.size(), 1u);
    EXPECT_EQ(visibleBytes(first.logs[0]), visibleBytes(log));
    EXPECT_EQ(first.shownLog().toStdString(), asShown(log).toStdString());

    expectPatchedTree(before, finished, false, false, true);
    EXPECT_FALSE(fs::exists(work + "/I386/TEMP"));
    expectImageOf(iso, finished, "WXP_ORNIBE", before.at("BOOTSECT.BIN"));

    // A second build over the finished tree finds everything in place.
    WizardSession second(tools);
    second.buildOnce(input, {}, {MessageAnswer::Ok});
    EXPECT_EQ(second.messages.texts(), std::vector<std::string>{"完成です！"});
    ASSERT_EQ(second.logs.size(), 1u);
    EXPECT_EQ(visibleBytes(second.logs[0]), visibleBytes(log));
    EXPECT_TRUE(readTree(work) == finished);
}

TEST_F(WholeBuildTest, windows_2000_lower_case_tree_gets_the_driver_and_big_drive_then_stays_put) {
    const std::string work = dir / "w2k";
    ASSERT_TRUE(makeTree(work, "2000", {"--case", "lower"}));
    const auto before = readTree(work);
    SettingsInput input{0, "", {dir / "drv/OrScsi.inf"}, true, work, ""};

    WizardSession first(tools);
    first.buildOnce(input, {}, {MessageAnswer::Ok});
    EXPECT_EQ(first.script.failures, QStringList());
    ASSERT_EQ(first.messages.texts(), std::vector<std::string>{"完成です！"});

    Summary summary{"Windows 2000 Professional CD-ROM",
                    "読み込みしない",
                    "",
                    "",
                    {kSampleDevice},
                    true,
                    work,
                    ""};
    const std::string log = summary.text() + "\r\nスタート！\r\n\r\n" + kStagingLog + kPatchLog +
                            "\r\nMSHDC.INF を修正しています。。。完了\r\n"
                            "Big Drive 対応化が完了しました。\r\n\r\n";
    ASSERT_EQ(first.logs.size(), 1u);
    EXPECT_EQ(visibleBytes(first.logs[0]), visibleBytes(log));
    EXPECT_EQ(first.shownLog().toStdString(), asShown(log).toStdString());

    const auto finished = readTree(work);
    expectPatchedTree(before, finished, true, true, true);
    // No folder holds two names that differ only in case.
    EXPECT_FALSE(fs::exists(work + "/I386"));
    EXPECT_FALSE(fs::exists(work + "/i386/temp"));
    EXPECT_FALSE(fs::exists(work + "/i386/TEMP"));

    WizardSession second(tools);
    second.buildOnce(input, {}, {MessageAnswer::Ok});
    ASSERT_EQ(second.logs.size(), 1u);
    EXPECT_EQ(visibleBytes(second.logs[0]), visibleBytes(log));
    EXPECT_TRUE(readTree(work) == finished);
}

TEST_F(WholeBuildTest, server_2003_cd_is_copied_into_an_empty_folder_and_imaged_inside_it) {
    const std::string cd = dir / "cd";
    const std::string work = dir / "work";
    ASSERT_TRUE(makeTree(cd, "2003", {"--read-only"}));
    fs::create_directories(work);
    const auto onCd = readTree(cd);

    WizardSession session(tools);
    // An empty drive first, so that the CD is the second entry.
    session.drives.drives = {{"/dev/sr0", "/dev/sr0", std::nullopt},
                             {"/dev/sr1", cd, std::string("WIN2003_JA")}};
    SettingsInput input{2, "", {dir / "drv/OrScsi.inf"}, true, work, "cd.iso"};
    session.buildOnce(input, {MessageAnswer::Ok}, {MessageAnswer::Ok});
    EXPECT_EQ(session.script.failures, QStringList());
    ASSERT_EQ(session.messages.texts().size(), 2u);
    EXPECT_TRUE(std::regex_match(session.messages.texts()[0],
                                 std::regex("作業フォルダに使える空き容量は [0-9]+MB です。\n"
                                            "CD の内容には約 [0-9]+MB 必要です。")))
        << session.messages.texts()[0];
    EXPECT_EQ(session.messages.texts()[1], "完成です！");

    // The image, named relative to the work folder, lands inside it. The
    // label of the chosen disc was proposed for it.
    auto finished = readTree(work);
    ASSERT_EQ(finished.erase("cd.iso"), 1u);
    Summary summary{"Windows Server 2003 Standard Edition CD",
                    cd + " [ WIN2003_JA ]",
                    "WIN2003_JA",
                    "",
                    {kSampleDevice},
                    true,
                    work,
                    "cd.iso"};
    const std::string log =
        summary.text() + "\r\nスタート！\r\n\r\n" +
        "CD の内容を作業フォルダにコピーしています。。。完了\r\n\r\n" + kStagingLog + kPatchLog +
        "Windows2000 ではないので、Big Drive 対応化はされません。\r\n\r\n" +
        isoLog("WIN2003_JA", work, "cd.iso", finished.size(), foldersOf(work).size());
    ASSERT_EQ(session.logs.size(), 1u);
    EXPECT_EQ(visibleBytes(session.logs[0]), visibleBytes(log));
    EXPECT_EQ(session.shownLog().toStdString(), asShown(log).toStdString());

    expectPatchedTree(onCd, finished, false, false, true);
    // The copy lost the CD's read-only marks to the attribute step; the CD
    // itself is as it was.
    EXPECT_TRUE(ownerMayWriteAll(work));
    EXPECT_TRUE(readTree(cd) == onCd);
    expectImageOf(work + "/cd.iso", finished, "WIN2003_JA", onCd.at("BOOTSECT.BIN"));
}

} // namespace
} // namespace ornibe::test
