// ornibe-build's option table against what it drives: the parser, --help
// and the manual page.

#include "cli/CommandOptions.h"
#include "cli/CommandOptionTable.h"
#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <utility>

namespace ornibe::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The manual page in English and in Japanese.
const std::string kManualPages[] = {std::string(ORNIBE_SOURCE_DIR) + "/docs/man/ornibe-build.1",
                                    std::string(ORNIBE_SOURCE_DIR) + "/docs/man/ja/ornibe-build.1"};

// An option name with the word for its value ("DIR"), empty when it takes none.
using NameAndValue = std::pair<std::string, std::string>;

std::vector<NameAndValue> tableEntries() {
    std::vector<NameAndValue> entries;
    for (const OptionRow& row : commandOptionTable()) {
        entries.emplace_back(std::string(row.name), std::string(row.valueName));
        if (row.isOnOff()) {
            entries.emplace_back(row.offName(), "");
        }
    }
    return entries;
}

// The usage error's message, or a note that there is none.
std::string usageMessage(const ParsedCommand& parsed) {
    const auto* error = std::get_if<UsageError>(&parsed);
    return error ? error->message : "(no usage error)";
}

std::string groffText(std::string text) {
    for (size_t at = 0; (at = text.find("\\-", at)) != std::string::npos;) {
        text.replace(at, 2, "-");
    }
    std::erase(text, '"');
    return text;
}

// The entries of the OPTIONS section (オプション in Japanese): each ".TP"
// followed by ".B NAME" or ".BI NAME " VALUE"".
std::vector<NameAndValue> manualPageEntries(const std::string& page) {
    std::vector<NameAndValue> entries;
    std::istringstream lines(page);
    bool inOptions = false;
    bool afterTp = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(".SH")) {
            inOptions = line == ".SH OPTIONS" || line == ".SH オプション";
        } else if (inOptions && afterTp && (line.starts_with(".B ") || line.starts_with(".BI "))) {
            std::istringstream words(groffText(line));
            std::string macro, name, value;
            words >> macro >> name >> value;
            entries.emplace_back(name, value);
        }
        afterTp = line == ".TP";
    }
    return entries;
}

TEST(CommandOptions, the_table_writes_help_and_rules_repeats_exclusions_and_the_end_of_options) {
    // --help, from the real program: one line for each name of the table
    // with its value word, in the table's order, and each name in the
    // usage lines.
    CommandResult help = runCommand({kProgram, "--help"});
    ASSERT_EQ(help.exitCode, 0);
    std::vector<std::string> listed;
    std::istringstream lines(help.output);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("  --")) {
            listed.push_back(line.substr(2, line.find(' ', 2) - 2));
        }
    }
    std::vector<std::string> names;
    for (const auto& [name, value] : tableEntries()) {
        names.push_back(name);
        EXPECT_THAT(help.output,
                    HasSubstr("\n  " + name + (value.empty() ? "" : " " + value) + "  "));
    }
    EXPECT_EQ(listed, names);
    const std::string usageLines = help.output.substr(0, help.output.find("\n\n"));
    for (const std::string& name : names) {
        EXPECT_THAT(usageLines, HasSubstr(name));
    }

    // What each option sets, by either spelling of a value.
    ParsedCommand parsed =
        parseCommandOptions({"--work=/w", "--source", "/cd", "--label=", "--service-pack", "sp.exe",
                             "--driver", "b.inf", "--driver=a.inf", "--no-big-drive", "--iso",
                             "x.iso", "--yes", "--log=x.log", "--quiet"});
    const auto* options = std::get_if<CommandOptions>(&parsed);
    ASSERT_TRUE(options) << usageMessage(parsed);
    EXPECT_EQ(options->workFolder, "/w");
    EXPECT_EQ(options->source, "/cd");
    EXPECT_EQ(options->label, "");
    EXPECT_EQ(options->servicePack, "sp.exe");
    EXPECT_THAT(options->drivers, ElementsAre("b.inf", "a.inf"));
    EXPECT_EQ(options->bigDrive, false);
    EXPECT_EQ(options->isoPath, "x.iso");
    EXPECT_TRUE(options->yes);
    EXPECT_EQ(options->logFile, "x.log");
    EXPECT_TRUE(options->quiet);
    options = std::get_if<CommandOptions>(&(parsed = parseCommandOptions({"--work", "/w"})));
    ASSERT_TRUE(options) << usageMessage(parsed);
    EXPECT_EQ(options->source, "none");
    EXPECT_EQ(options->label, std::nullopt);
    EXPECT_EQ(options->bigDrive, std::nullopt);
    EXPECT_EQ(
        std::get<CommandOptions>(parseCommandOptions({"--work", "/w", "--big-drive"})).bigDrive,
        true);
    EXPECT_EQ(std::get<CommandAction>(parseCommandOptions({"--version", "--help"})),
              CommandAction::Help);
    EXPECT_EQ(std::get<CommandAction>(parseCommandOptions({"--help", "--version"})),
              CommandAction::Help);
    EXPECT_EQ(std::get<CommandAction>(parseCommandOptions({"--version"})), CommandAction::Version);

    // Every option but a list is refused when given twice, by either spelling.
    for (const OptionRow& row : commandOptionTable()) {
        std::vector<std::string> twice = {"--work", "/w", std::string(row.name) + "=v",
                                          std::string(row.name), "v"};
        if (!row.takesValue()) {
            twice = {"--work", "/w", std::string(row.name), std::string(row.name)};
        }
        // Switches belong to the package given just before them.
        if (row.name == "--hotfix-switches") {
            twice = {"--work",   "/w", "--hotfix",          "a", "--hotfix-switches=v",
                     "--hotfix", "b",  "--hotfix-switches", "v"};
        }
        ParsedCommand again = parseCommandOptions(twice);
        if (row.isList()) {
            EXPECT_TRUE(std::holds_alternative<CommandOptions>(again)) << row.name;
        } else {
            EXPECT_EQ(usageMessage(again),
                      std::string(row.name) +
                          " が 2 回以上指定されています（ornibe-build --help に使い方があります）");
        }
    }
    // Both names of an on/off switch exclude each other in either order;
    // repeats and exclusions are checked once every argument is read.
    for (const std::vector<std::string>& both :
         {std::vector<std::string>{"--work", "/w", "--big-drive", "--no-big-drive"},
          std::vector<std::string>{"--no-big-drive", "--work", "/w", "--big-drive"}}) {
        EXPECT_EQ(usageMessage(parseCommandOptions(both)),
                  "--big-drive と --no-big-drive は一緒に指定できません（ornibe-build --help "
                  "に使い方があります）");
    }
    EXPECT_THAT(usageMessage(parseCommandOptions(
                    {"--work", "/w", "--big-drive", "--no-big-drive", "--iso", "a", "--bogus"})),
                HasSubstr("知らないオプションです：--bogus"));
    EXPECT_THAT(usageMessage(parseCommandOptions({"--iso", "a", "--iso", "b", "--label"})),
                HasSubstr("--label には値を指定してください"));
    EXPECT_THAT(usageMessage(parseCommandOptions({"--help", "--help"})),
                HasSubstr("--help が 2 回以上指定されています"));
    EXPECT_THAT(usageMessage(parseCommandOptions({"--work="})),
                HasSubstr("--work DIR を指定してください"));

    // "--" ends the options: what follows is an argument, and ornibe-build
    // takes none, so the real program refuses it with a usage error.
    parsed = parseCommandOptions({"--work", "/w", "--"});
    ASSERT_TRUE(std::holds_alternative<CommandOptions>(parsed)) << usageMessage(parsed);
    EXPECT_EQ(std::get<CommandOptions>(parsed).workFolder, "/w");
    EXPECT_THAT(usageMessage(parseCommandOptions({"--", "--help"})),
                HasSubstr("オプションでない引数があります：--help"));
    TempDir dir;
    CommandResult afterEnd = runCommand({kProgram, "--work", dir.path(), "--", "--yes"});
    EXPECT_EQ(afterEnd.exitCode, 2);
    EXPECT_EQ(afterEnd.output, "ornibe-build: オプションでない引数があります：--yes（ornibe-build "
                               "--help に使い方があります）\n");
}

TEST(CommandOptions, the_manual_pages_list_exactly_the_options_of_the_table) {
    std::vector<NameAndValue> table = tableEntries();
    std::sort(table.begin(), table.end());
    for (const std::string& page : kManualPages) {
        std::vector<NameAndValue> documented = manualPageEntries(slurp(page));
        ASSERT_FALSE(documented.empty()) << "no options found in " << page;
        std::sort(documented.begin(), documented.end());
        EXPECT_EQ(documented, table) << page;
    }
}

} // namespace
} // namespace ornibe::test
