// ornibe-build's answer file options: how they fit together, and the
// refusals of the checks on "次へ >", before anything changes.

#include "cli/AnswerFileOptions.h"
#include "cli/CommandOptions.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const std::string kProgram = ORNIBE_BUILD_PROGRAM;

TEST(AnswerFileCommand, options_fill_the_fields_and_misfits_are_usage_errors) {
    ParsedCommand parsed = parseCommandOptions({"--work",
                                                "/w",
                                                "--unattended",
                                                "--product-key",
                                                "K",
                                                "--full-name",
                                                "F",
                                                "--organization",
                                                "O",
                                                "--computer-name",
                                                "C",
                                                "--admin-password",
                                                "P",
                                                "--time-zone",
                                                "085",
                                                "--language",
                                                "en",
                                                "--workgroup",
                                                "W",
                                                "--auto-partition",
                                                "--accept-eula"});
    const auto* options = std::get_if<CommandOptions>(&parsed);
    ASSERT_TRUE(options);
    AnswerFileFields fields = answerFileFieldsOf(*options);
    EXPECT_EQ(fields.mode, AnswerFileFields::Mode::Write);
    EXPECT_EQ(fields.productKey, "K");
    EXPECT_EQ(fields.fullName, "F");
    EXPECT_EQ(fields.organization, "O");
    EXPECT_EQ(fields.computerName, "C");
    EXPECT_EQ(fields.adminPassword, "P");
    EXPECT_EQ(fields.timeZone, 85);
    EXPECT_EQ(fields.language, AnswerFileFields::Language::English);
    EXPECT_EQ(fields.workgroup, "W");
    EXPECT_TRUE(fields.autoPartition);
    EXPECT_TRUE(fields.acceptEula);

    parsed = parseCommandOptions({"--work", "/w", "--unattended"});
    ASSERT_TRUE(std::get_if<CommandOptions>(&parsed));
    AnswerFileFields defaults;
    defaults.mode = AnswerFileFields::Mode::Write;
    EXPECT_EQ(answerFileFieldsOf(std::get<CommandOptions>(parsed)), defaults);
    parsed = parseCommandOptions({"--work", "/w"});
    EXPECT_EQ(answerFileFieldsOf(std::get<CommandOptions>(parsed)).mode,
              AnswerFileFields::Mode::None);

    const std::vector<std::pair<std::vector<std::string>, std::string>> misfits = {
        {{"--unattended", "--answer-file", "a.sif"},
         "--unattended と --answer-file は一緒に指定できません"},
        {{"--full-name", "F"}, "--full-name は --unattended と一緒に指定してください"},
        {{"--answer-file", "a.sif", "--accept-eula"},
         "--accept-eula は --unattended と一緒に指定してください"},
        {{"--unattended", "--time-zone", "Tokyo"},
         "--time-zone：Microsoft のタイム ゾーン表の番号ではありません"},
        {{"--unattended", "--language", "de"},
         "--language：ja か en を指定してください（指定された値：de）"},
    };
    for (const auto& [arguments, message] : misfits) {
        std::vector<std::string> all = {"--work", "/w"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        parsed = parseCommandOptions(all);
        const auto* error = std::get_if<UsageError>(&parsed);
        ASSERT_TRUE(error) << message;
        EXPECT_THAT(error->message, HasSubstr(message));
    }
}

TEST(AnswerFileCommand, refusals_exit_2_with_the_wizards_text_and_leave_the_tree_as_it_was) {
    TempDir dir;
    const std::string work = dir / "xp";
    fs::copy(std::string(ORNIBE_SOURCE_DIR) + "/samples/xp", work, fs::copy_options::recursive);
    const std::string hashed = dir.write("hashed.sif", "# by hand\n[UserData]\nFullName=\"A\"\n");
    auto before = snapshotTree(dir.path());
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--unattended"},
         "無人インストールのフルネーム（FullName）は使えません。\n入力してください。"},
        {{"--unattended", "--full-name", "A", "--time-zone", "999"},
         "無人インストールのタイム ゾーン（TimeZone）は使えません。"},
        {{"--answer-file", hashed},
         "無人インストールの応答ファイル " + hashed + " は使えません。\n1 行目: "},
        {{"--answer-file", dir / "missing.sif"}, "missing.sif は使えません。\n読み込めません（"},
    };
    for (const auto& [arguments, message] : cases) {
        std::vector<std::string> all = {kProgram, "--work", work, "--iso", dir / "out.iso"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        CommandResult result = runCommand(all);
        EXPECT_EQ(result.exitCode, 2) << message;
        EXPECT_THAT(result.output, HasSubstr(message));
        EXPECT_THAT(result.output, Not(HasSubstr("スタート！")));
    }
    EXPECT_EQ(snapshotTree(dir.path()), before);
}

// What the process list shows of a running program: its arguments.
std::string commandLineOf(int pid) {
    return slurp("/proc/" + std::to_string(pid) + "/cmdline");
}

TEST(AnswerFileCommand, secrets_come_from_files_never_show_and_winnt_sif_is_the_owners_alone) {
    TempDir dir;
    const std::string work = dir / "xp";
    fs::copy(std::string(ORNIBE_SOURCE_DIR) + "/samples/xp", work, fs::copy_options::recursive);
    const std::string password = "Kz9-Secret-Pw";
    const std::string key = "BCDFG-HJKMP-QRTVW-XY234-6789B";
    const std::string fifo = dir / "key.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    // The password on the command line is wiped once read; the program then
    // waits for the key on the FIFO, and ps shows no secret meanwhile.
    RunningCommand build({kProgram, "--work", work, "--yes", "--unattended", "--full-name",
                          "Taro Yamada", "--admin-password", password, "--product-key-file", fifo});
    ASSERT_TRUE(build.started());
    // Until the program is started, the test's own command line shows.
    std::string shown = commandLineOf(build.pid());
    for (int i = 0; i < 1000 && (shown.find(password) != std::string::npos ||
                                 shown.find("--product-key-file") == std::string::npos);
         ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        shown = commandLineOf(build.pid());
    }
    EXPECT_THAT(shown, Not(HasSubstr(password)));
    EXPECT_THAT(shown, HasSubstr("--admin-password"));
    EXPECT_THAT(shown, HasSubstr("Taro Yamada"));
    {
        std::ofstream writer(fifo);
        writer << key << "\n";
    }
    CommandResult result = build.finish();
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(result.output, Not(HasSubstr(password)));
    EXPECT_THAT(result.output, HasSubstr("*****-*****-*****-*****-6789B"));
    EXPECT_THAT(result.output, Not(HasSubstr(key)));
    const std::string sif = work + "/I386/WINNT.SIF";
    EXPECT_THAT(slurp(sif), HasSubstr("ProductKey = \"" + key + "\"\r\n"));
    EXPECT_THAT(slurp(sif), HasSubstr("AdminPassword = \"" + password + "\"\r\n"));
    EXPECT_EQ(fs::status(sif).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    // Refusals of a user's file name the key, never the password, and
    // show a key as the summary masks it; an unreadable file is said.
    const std::string longPassword = "Pw" + std::string(130, 'q');
    const std::string tooLong =
        dir.write("long.sif", "[UserData]\nFullName=\"A\"\n[GuiUnattended]\nAdminPassword=\"" +
                                  longPassword + "\"\n");
    const std::string shortKey =
        dir.write("key.sif", "[UserData]\nFullName=\"A\"\nProductKey=QWXYZ-HJKMP-QRTVW-XY234\n");
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
        std::string secret;
    };
    const std::vector<Case> cases = {
        {{"--answer-file", tooLong}, "[GuiUnattended] AdminPassword：127 文字まで", longPassword},
        {{"--answer-file", shortKey}, "[UserData] ProductKey = *****-*****-*****-XY234：", "QWXYZ"},
        {{"--unattended", "--full-name", "A", "--admin-password-file", dir / "none.txt"},
         "Administrator のパスワードのファイル " + (dir / "none.txt") + " を読めません（",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<std::string> all = {kProgram, "--work", work};
        all.insert(all.end(), c.arguments.begin(), c.arguments.end());
        CommandResult refused = runCommand(all);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_THAT(refused.output, HasSubstr(c.message));
        if (!c.secret.empty()) {
            EXPECT_THAT(refused.output, Not(HasSubstr(c.secret)));
        }
    }
}

} // namespace
} // namespace ornibe::test
