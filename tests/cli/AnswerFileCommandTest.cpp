// ornibe-build's answer file options: how they fit together, and the
// refusals of the checks on "次へ >", before anything changes.

#include "cli/AnswerFileOptions.h"
#include "cli/CommandOptions.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

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

} // namespace
} // namespace ornibe::test
