#include "E2eTest.h"
#include "WizardSession.h"

#include "cli/TerminalBuildPage.h"
#include "support/BuildProgram.h"
#include "support/CommandRun.h"
#include "support/FileAssertions.h"
#include "sys/FileIo.h"
#include "wizard/BuildHooks.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace ornibe::test {
namespace {

// The wizard runs in this process and takes its locale from it; the
// process goes back to the tests' own locale afterwards.
class ProcessLocale {
public:
    explicit ProcessLocale(const char* name) : taken_(std::setlocale(LC_ALL, name) != nullptr) {}
    ~ProcessLocale() { std::setlocale(LC_ALL, "C.UTF-8"); }
    bool taken() const { return taken_; }

private:
    bool taken_;
};

// Both locales the logs are compared under: the tests' own, and one whose
// system reasons (strerror) are Japanese.
const char* const kLocales[] = {"C.UTF-8", "ja_JP.UTF-8"};
const char* const kJapanese = "ja_JP.UTF-8";

bool localeAvailable(const char* name) {
    ProcessLocale probe(name);
    return probe.taken();
}

using CommandLineLogTest = E2eTest;

// The same settings through the window and through ornibe-build, each over
// a fresh copy of the shipped sample at the same place, in each locale:
// the two logs are the same bytes, and so are the two trees.
TEST_F(CommandLineLogTest, ornibe_build_writes_the_wizards_log_byte_for_byte) {
    const std::string work = dir / "xp";
    const std::string iso = dir / "sample.iso";

    for (const char* locale : kLocales) {
        SCOPED_TRACE(locale);
        if (!localeAvailable(locale)) {
            continue;
        }
        fs::remove_all(work);
        fs::remove(iso);
        fs::copy(kSampleTree, work, fs::copy_options::recursive);
        std::string wizardLog;
        {
            ProcessLocale inWizard(locale);
            WizardSession wizard(tools);
            wizard.buildOnce({0, "ORNIBE_XP", {kSampleDriverInf}, true, work, iso}, {},
                             {MessageAnswer::Ok});
            ASSERT_EQ(wizard.messages.texts(), std::vector<std::string>{"完成です！"});
            ASSERT_EQ(wizard.logs.size(), 1u);
            wizardLog = wizard.logs[0];
        }

        fs::remove_all(work);
        fs::remove(iso);
        fs::copy(kSampleTree, work, fs::copy_options::recursive);
        const std::string log = dir / "build.log";
        CommandResult result = runCommand(
            {"env", std::string("LC_ALL=") + locale, kProgram, "--work", work, "--label",
             "ORNIBE_XP", "--driver", kSampleDriverInf, "--big-drive", "--iso", iso, "--log", log});
        ASSERT_EQ(result.exitCode, 0) << result.output;
        EXPECT_TRUE(fileHolds(log, wizardLog));
        EXPECT_TRUE(result.output.ends_with("完成です！\n"));
    }
    if (!localeAvailable(kJapanese)) {
        GTEST_SKIP() << "the locale " << kJapanese
                     << " is not installed (scripts/setup.sh generates it); compared under "
                     << kLocales[0] << " only";
    }
}

// An error that escapes the build (here a file that is gone, read with no
// stage around it to report it) ends it alike on the window's page and on
// the terminal's: the same log, the system's reason in the locale's
// language, "< 戻る" enabled on the window.
TEST_F(CommandLineLogTest, an_error_escaping_the_build_leaves_the_same_log_in_both_front_ends) {
    const std::string work = dir / "xp";
    fs::copy(kSampleTree, work, fs::copy_options::recursive);
    const std::string gone = dir / "gone/TXTSETUP.SIF";
    auto escapingBuild = [&gone](BuildPage& page) {
        page.setButtonEnabled(PageButton::Back, false);
        page.log().append("\r\nスタート！\r\n\r\n");
        readFile(gone);
    };

    for (const char* locale : kLocales) {
        SCOPED_TRACE(locale);
        ProcessLocale inBoth(locale);
        if (!inBoth.taken()) {
            continue;
        }
        WizardSession wizard(tools);
        ConfirmPageHooks real = buildHooks(wizard.app.settings(), wizard.app.confirmData(), tools);
        wizard.confirmPage().setHooks({real.writeSummary, escapingBuild});
        QString wizardLog;
        bool backEnabled = false;
        wizard.script.then(wizard.settingsPage(), [&] {
            wizard.enter({0, "", {}, false, work, ""});
            wizard.click(wizard.settingsPage(), "nextButton");
        });
        wizard.script.then(wizard.confirmPage(), [&] {
            wizard.click(wizard.confirmPage(), "runButton");
            wizardLog = wizard.shownLog();
            backEnabled = wizard.isEnabled(wizard.confirmPage(), "backButton");
            wizard.messages.answer(MessageAnswer::Ok);
            wizard.click(wizard.confirmPage(), "quitButton");
        });
        wizard.app.run();
        EXPECT_EQ(wizard.script.failures, QStringList());
        EXPECT_TRUE(backEnabled);

        std::FILE* sink = std::fopen("/dev/null", "w");
        ASSERT_NE(sink, nullptr);
        TerminalBuildPage::Options options;
        options.out = sink;
        options.err = sink;
        TerminalBuildPage terminal(std::move(options));
        ConfirmData data;
        ConfirmPageHooks cli = buildHooks(wizard.app.settings(), data, tools);
        runPageHook(cli.writeSummary, terminal);
        runPageHook(escapingBuild, terminal);
        std::fclose(sink);

        const std::string reason = std::string(locale) == kJapanese
                                       ? "そのようなファイルやディレクトリはありません"
                                       : "No such file or directory";
        const std::string& log = terminal.memoryLog().text();
        EXPECT_TRUE(log.ends_with(
            "\r\nスタート！\r\n\r\n\r\n予期しないエラーが起きたため、処理を中止しました。\r\n" +
            gone + ": " + reason + "\r\n"))
            << log;
        EXPECT_EQ(wizardLog, asShown(log));
        EXPECT_EQ(terminal.endedWith(), -1);
    }
}

} // namespace
} // namespace ornibe::test
