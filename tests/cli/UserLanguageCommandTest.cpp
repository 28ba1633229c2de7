#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/TempDir.h"
#include "sys/FileIo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace ornibe::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

bool holdsNonAscii(const std::string& text) {
    return std::ranges::any_of(text, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// ornibe-build under a locale and nothing else that chooses a language:
// the variables that could outrank LANG are taken out of the child's
// environment. The machine need not have the locale: the language follows
// the name alone.
std::vector<std::string> inLocale(const std::string& locale, std::vector<std::string> arguments) {
    std::vector<std::string> argv = {
        "env",      "-u",     "LC_ALL",         "-u",    "LC_MESSAGES", "-u",
        "LANGUAGE", "TZ=UTC", "LANG=" + locale, kProgram};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return argv;
}

CommandResult buildIn(const std::string& locale, const std::string& work) {
    return runCommand(
        inLocale(locale, {"--work", work, "--source", kSampleTree, "--driver", kSampleDriverInf,
                          "--iso", work + ".iso", "--yes", "--quiet", "--reproducible",
                          "--big-drive", "--log", work + ".log"}));
}

// A JSON text with every string value emptied and its keys kept: a string
// followed by a colon is a key.
std::string keysOnly(const std::string& json) {
    std::string kept;
    for (std::size_t i = 0; i < json.size();) {
        if (json[i] != '"') {
            kept += json[i++];
            continue;
        }
        std::size_t end = i + 1;
        while (end < json.size() && json[end] != '"') {
            end += json[end] == '\\' ? 2 : 1;
        }
        const std::size_t next = json.find_first_not_of(' ', end + 1);
        const bool key = next != std::string::npos && json[next] == ':';
        kept += key ? json.substr(i, end + 1 - i) : "\"\"";
        i = end + 1;
    }
    return kept;
}

// The number of lines of a text.
std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::ranges::count(text, '\n'));
}

// The lines of a log file, with the run's own work folder named alike.
std::vector<std::string> logLines(const std::string& work) {
    std::string text = readFile(work + ".log");
    for (std::size_t at = 0; (at = text.find(work, at)) != std::string::npos;) {
        text.replace(at, work.size(), "WORK");
    }
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find("\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

TEST(UserLanguage, an_english_locale_speaks_english_and_logs_and_builds_the_same_tree_and_image) {
    TempDir dir;
    const std::string english = dir / "english";
    const std::string japanese = dir / "japanese";
    CommandResult inEnglish = buildIn("en_US.UTF-8", english);
    ASSERT_EQ(inEnglish.exitCode, 0) << inEnglish.output;
    CommandResult inJapanese = buildIn("ja_JP.UTF-8", japanese);
    ASSERT_EQ(inJapanese.exitCode, 0) << inJapanese.output;

    // Nothing the tree or the image receives depends on the language.
    CommandResult trees = runCommand({"diff", "-r", english, japanese});
    EXPECT_EQ(trees.exitCode, 0) << trees.output;
    CommandResult images = runCommand({"cmp", english + ".iso", japanese + ".iso"});
    EXPECT_EQ(images.exitCode, 0) << images.output;

    // The log is the same line for line, each line in the run's language:
    // a line that holds no Japanese is the same in both.
    const std::vector<std::string> englishLog = logLines(english);
    const std::vector<std::string> japaneseLog = logLines(japanese);
    ASSERT_EQ(englishLog.size(), japaneseLog.size());
    for (std::size_t i = 0; i < englishLog.size(); ++i) {
        EXPECT_FALSE(holdsNonAscii(englishLog[i])) << englishLog[i];
        if (!holdsNonAscii(japaneseLog[i])) {
            EXPECT_EQ(englishLog[i], japaneseLog[i]);
        }
    }
    EXPECT_NE(englishLog, japaneseLog);

    // The check of the tree speaks the run's language in its table and in
    // the texts of its JSON; the JSON's keys are the same in both.
    for (const std::vector<std::string>& asked :
         {std::vector<std::string>{"--work", english, "--iso", english + ".iso", "--check"},
          std::vector<std::string>{"--work", english, "--check-driver", kSampleDriverInf}}) {
        CommandResult englishTable = runCommand(inLocale("en_US.UTF-8", asked));
        CommandResult japaneseTable = runCommand(inLocale("ja_JP.UTF-8", asked));
        EXPECT_EQ(englishTable.exitCode, japaneseTable.exitCode) << englishTable.output;
        EXPECT_TRUE(englishTable.output.starts_with("Check: " + english + "\n"))
            << englishTable.output;
        EXPECT_TRUE(holdsNonAscii(japaneseTable.output)) << japaneseTable.output;
        EXPECT_FALSE(holdsNonAscii(englishTable.output)) << englishTable.output;
        EXPECT_EQ(lineCount(englishTable.output), lineCount(japaneseTable.output))
            << englishTable.output << japaneseTable.output;

        std::vector<std::string> asJson = asked;
        asJson.emplace_back("--json");
        CommandResult englishJson = runCommand(inLocale("en_US.UTF-8", asJson));
        CommandResult japaneseJson = runCommand(inLocale("ja_JP.UTF-8", asJson));
        EXPECT_FALSE(holdsNonAscii(englishJson.output)) << englishJson.output;
        EXPECT_EQ(keysOnly(englishJson.output), keysOnly(japaneseJson.output));
        EXPECT_THAT(englishJson.output, HasSubstr("\"findings\""));
    }

    // The line before the log names the edition in the run's language.
    EXPECT_THAT(inEnglish.output, HasSubstr("Edition: Windows"));
    EXPECT_THAT(inEnglish.output, Not(HasSubstr("エディション：")));
    EXPECT_THAT(inJapanese.output, HasSubstr("エディション："));

    // --help is English from its first line to its last, in every option.
    CommandResult help = runCommand(inLocale("en_US.UTF-8", {"--help"}));
    ASSERT_EQ(help.exitCode, 0) << help.output;
    EXPECT_TRUE(help.output.starts_with("Usage:\n")) << help.output;
    EXPECT_FALSE(holdsNonAscii(help.output)) << help.output;
    EXPECT_THAT(help.output, HasSubstr("  --work DIR"));
    // A refusal of the arguments, with the values put where English needs.
    CommandResult refused =
        runCommand(inLocale("en_GB.UTF-8", {"--work", dir / "w", "--machine", "vax"}));
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_THAT(refused.output,
                HasSubstr("ornibe-build: unknown machine: vax (give one of qemu-pc, "));
    EXPECT_FALSE(holdsNonAscii(refused.output)) << refused.output;
    // A refusal of the settings by the wizard's own checks, before anything
    // changes.
    CommandResult checked = runCommand(inLocale("en_US.UTF-8", {"--work", dir / "missing"}));
    EXPECT_EQ(checked.exitCode, 2);
    EXPECT_THAT(checked.output, HasSubstr("There is no folder " + (dir / "missing")));
    EXPECT_FALSE(holdsNonAscii(checked.output)) << checked.output;

    // A locale that names no English keeps the program's own Japanese.
    for (const char* locale : {"C.UTF-8", "fr_FR.UTF-8"}) {
        CommandResult own = runCommand(inLocale(locale, {"--help"}));
        EXPECT_TRUE(own.output.starts_with("使い方：\n")) << locale << "\n" << own.output;
    }
}

} // namespace
} // namespace ornibe::test
