#include "answer/AnswerFileCheck.h"
#include "inf/WindowsTarget.h"
#include "support/FileAssertions.h"
#include "support/RealFixtures.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

namespace ornibe::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The least answer file that passes.
const std::string kMinimal = "[UserData]\r\nFullName = \"Taro Yamada\"\r\n";

std::string reasonOf(const AnswerFileReading& reading) {
    return reading.check.outcome ? std::string("(passed)") : reading.check.outcome.failure().reason;
}

// Each file of data/refused is one answer file that setup would not read
// as written. It opens with what it is checked against, then "----" on a
// line of its own, then the answer file's bytes:
//   windows: XP (or 2000, 2003)
//   refused: text that the reason of the refusal holds
// A password is never shown in the reason, a key only masked.
TEST(AnswerFileCheck, refuses_what_setup_would_not_read_as_written_with_the_line_or_the_key) {
    const std::map<std::string, WindowsVersion> versions = {{"2000", WindowsVersion::Windows2000},
                                                            {"XP", WindowsVersion::WindowsXp},
                                                            {"2003", WindowsVersion::Server2003}};
    std::vector<std::filesystem::path> cases;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(ORNIBE_TEST_DATA) + "/refused")) {
        cases.push_back(entry.path());
    }
    std::sort(cases.begin(), cases.end());
    ASSERT_GE(cases.size(), 11u);
    for (const std::filesystem::path& path : cases) {
        SCOPED_TRACE(path.filename().string());
        const std::string text = slurp(path.string());
        const std::size_t end = text.find("\n----\n");
        ASSERT_NE(end, std::string::npos);
        std::map<std::string, std::string> expected;
        std::istringstream head(text.substr(0, end));
        for (std::string line; std::getline(head, line);) {
            const std::size_t colon = line.find(": ");
            ASSERT_NE(colon, std::string::npos) << line;
            expected[line.substr(0, colon)] = line.substr(colon + 2);
        }
        ASSERT_TRUE(versions.contains(expected["windows"])) << expected["windows"];
        AnswerFileReading reading = checkAnswerFileBytes(text.substr(end + 6), "/in/WINNT.SIF",
                                                         versions.at(expected["windows"]));
        ASSERT_FALSE(reading.check.outcome);
        EXPECT_EQ(reading.check.outcome.failure().headline,
                  "無人インストールの応答ファイル /in/WINNT.SIF は使えません。");
        ASSERT_FALSE(expected["refused"].empty());
        EXPECT_THAT(reasonOf(reading), HasSubstr(expected["refused"]));
    }

    // A file that is not there, or too large to be read, is refused before
    // any of it is read.
    TempDir dir;
    EXPECT_THAT(reasonOf(readAnswerFile(dir / "missing.sif", WindowsVersion::WindowsXp)),
                HasSubstr("読み込めません（"));
}

TEST(AnswerFileCheck, passes_what_working_files_hold_with_a_note_where_setup_asks_or_docs_differ) {
    struct Case {
        const char* shape;
        std::string bytes;
        WindowsVersion version;
        std::vector<std::string> notes;
    };
    const WindowsVersion xp = WindowsVersion::WindowsXp;
    const std::vector<Case> cases = {
        {"an empty key and comments in UTF-8",
         "; 日本語の注釈\r\n[UserData]\r\nFullName = \"Taro\" ; 山田 太郎\r\nProductKey=\r\n"
         "ProductID = \"\"\r\n",
         xp,
         {}},
        {"an integration tool's file system and a VM manager's flag",
         kMinimal + "[Unattended]\r\nFileSystem=*\r\n[Data]\r\nMsDosInitiated=No\r\n",
         xp,
         {"注意：[Unattended] FileSystem = *：説明書にある値は ConvertNTFS、LeaveAlone "
          "です。このファイルのまま使います。",
          "注意：[Data] MsDosInitiated = No：説明書にある値は 0、1 "
          "です。このファイルのまま使います。"}},
        {"no full name, the same odd value twice",
         "[Unattended]\r\nUnattendMode = Silent\r\nUnattendMode = Silent\r\n",
         xp,
         {"注意：[Unattended] UnattendMode = Silent：説明書にある値は DefaultHide、ProvideDefault、"
          "ReadOnly、GuiAttended、FullUnattended です。このファイルのまま使います。",
          "注意：[UserData] に FullName（使用者の名前）がありません。"
          "セットアップが途中で止まって尋ねます。"}},
        {"ProductKey on Windows 2000",
         kMinimal + "ProductKey = \"BCDFG-HJKMP-QRTVW-XY234-6789B\"\r\n",
         WindowsVersion::Windows2000,
         {"注意：[UserData] ProductKey：Windows 2000 のセットアップはこのキーを読まず（読むのは "
          "ProductID です）、プロダクト キーを尋ねます。"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shape);
        AnswerFileReading reading = checkAnswerFileBytes(c.bytes, "/in/WINNT.SIF", c.version);
        EXPECT_TRUE(reading.check.outcome) << reasonOf(reading);
        EXPECT_EQ(reading.check.warnings, c.notes);
    }

    // A file of many odd values gives ten notes and the count of the rest.
    std::string many = kMinimal + "[GuiUnattended]\r\n";
    for (int zone = 900; zone < 925; ++zone) {
        many += "TimeZone = " + std::to_string(zone) + "\r\n";
    }
    AnswerFileReading reading = checkAnswerFileBytes(many, "/in/WINNT.SIF", xp);
    ASSERT_EQ(reading.check.warnings.size(), 11u);
    EXPECT_EQ(reading.check.warnings.back(), "注意：ほかに 15 件の注意があります。");
}

TEST(AnswerFileCheck, passes_lines_without_a_key_and_names_what_it_does_not_check) {
    const std::string bytes = "; comments and blank lines stand anywhere\n\n"
                              "[unattended]\n"
                              "UnattendMode = fullunattended\n"
                              "CrashDumpSetting = 1\n"
                              "[UserData]\n"
                              "FullName = \"Taro Yamada\"\n"
                              "ProductID = \"BCDFG-HJKMP-QRTVW-XY234-6789B\"\n"
                              "[GuiRunOnce]\n"
                              "\"cmd /c echo done > COM1\"\n"
                              "Command1 = \"%SystemRoot%\\setup.bat\"\n"
                              "[Proxy]\n"
                              "Proxy_Enable = 0\n"
                              "[Unattended]\n"
                              "UnattendSwitch = Yes\n";
    AnswerFileReading xp = checkAnswerFileBytes(bytes, "mine.sif", WindowsVersion::WindowsXp);
    EXPECT_TRUE(xp.check.outcome) << reasonOf(xp);
    EXPECT_THAT(xp.unchecked, ElementsAre("[unattended] CrashDumpSetting", "[Proxy]"));
    // Its line ends become CR LF, nothing else changes.
    EXPECT_EQ(xp.bytes, std::regex_replace(bytes, std::regex("\n"), "\r\n"));
    EXPECT_TRUE(xp.check.warnings.empty());

    // Windows 2000 does not know UnattendSwitch: it passes, named.
    AnswerFileReading w2k = checkAnswerFileBytes(bytes, "mine.sif", WindowsVersion::Windows2000);
    EXPECT_TRUE(w2k.check.outcome) << reasonOf(w2k);
    EXPECT_THAT(w2k.unchecked, ElementsAre("[unattended] CrashDumpSetting",
                                           "[unattended] UnattendSwitch", "[Proxy]"));
}

// The answer files of other projects, read where they stand: each names
// a placeholder instead of a product key, so each is refused for it, and
// with a key of the right form in its place the XP, Server 2003 and
// Windows 2000 files pass (the last with a note that its setup reads the
// key as ProductID); the libvirt one has lines before its first section.
class RealAnswerFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!requireRealFixture("winnt-sif")) {
            return;
        }
    }
};

TEST_F(RealAnswerFileTest, real_answer_files_are_refused_for_their_placeholders_and_why) {
    struct Case {
        const char* file;
        WindowsVersion version;
        const char* asGiven;
        const char* withKey;
        std::vector<std::string> unchecked;
    };
    const std::vector<Case> cases = {
        {"avocado-vt/win2000-32.sif",
         WindowsVersion::Windows2000,
         "[UserData] ProductKey = **************：ひな形の名前",
         "(passed)",
         {"[Unattended] OemPreinstall", "[Unattended] UnattendSwitch",
          "[Unattended] CrashDumpSetting", "[Unattended] OemPnPDriversPath",
          "[Unattended] WaitForReboot", "[GuiUnattended] AutoLogonCount", "[UserData] ProductKey",
          "[Proxy]", "[Components]", "[TerminalServices]", "[WindowsFirewall]",
          "[WindowsFirewall.TurnOffFirewall]", "[Branding]", "[Display]"}},
        {"avocado-vt/winxp32.sif",
         WindowsVersion::WindowsXp,
         "[UserData] ProductKey = **************：ひな形の名前",
         "(passed)",
         {"[Unattended] OemPreinstall", "[Unattended] CrashDumpSetting",
          "[Unattended] OemPnPDriversPath", "[Unattended] WaitForReboot",
          "[GuiUnattended] AutoLogonCount", "[Proxy]", "[Components]", "[TerminalServices]",
          "[WindowsFirewall]", "[WindowsFirewall.TurnOffFirewall]", "[Branding]", "[Display]"}},
        {"avocado-vt/win2003-64.sif",
         WindowsVersion::Server2003,
         "[UserData] ProductKey = **************：ひな形の名前",
         "(passed)",
         {"[Unattended] OemPreinstall", "[Unattended] CrashDumpSetting",
          "[Unattended] OemPnPDriversPath", "[Unattended] WaitForReboot",
          "[GuiUnattended] AutoLogonCount", "[LicenseFilePrintData]", "[Components]",
          "[TerminalServices]", "[WindowsFirewall]", "[WindowsFirewall.TurnOffFirewall]",
          "[SetupParams]", "[Display]"}},
        {"libvirt-test-api/winxp_i386.sif",
         WindowsVersion::WindowsXp,
         "1 行目: 最初のセクション見出し",
         "1 行目: 最初のセクション見出し",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = realFixture(std::string("winnt-sif/") + c.file);
        AnswerFileReading given = readAnswerFile(path, c.version);
        EXPECT_THAT(reasonOf(given), HasSubstr(c.asGiven));

        const std::string keyed = std::regex_replace(slurp(path), std::regex("[A-Z]+_TEST_CDKEY"),
                                                     "BCDFG-HJKMP-QRTVW-XY234-6789B");
        AnswerFileReading withKey = checkAnswerFileBytes(keyed, path, c.version);
        EXPECT_THAT(reasonOf(withKey), HasSubstr(c.withKey));
        if (withKey.check.outcome) {
            EXPECT_EQ(withKey.unchecked, c.unchecked);
        }
    }
}

} // namespace
} // namespace ornibe::test
