#pragma once

#include "PageScript.h"
#include "support/FakeDriveSource.h"
#include "support/ScriptedMessages.h"
#include "ui/WizardApp.h"

#include <QString>

#include <string>
#include <vector>

class QDialog;

namespace ornibe::test {

// What the user enters on the settings page.
struct SettingsInput {
    // 0 is "読み込みしない"; n chooses the n-th drive with the arrow key.
    int drivePosition = 0;
    // Typed into the label field after the drive was chosen, when set.
    std::string volumeLabel;
    std::vector<std::string> infs;
    bool bigDrive = false;
    std::string workFolder;
    std::string isoPath;
};

// The program as main() puts it together (the real pages, the summary and
// the build behind "実行！"), with fake CD drives and scripted message
// boxes, and the tools where tools says. Steps run on each page as it is
// shown (see PageScript).
class WizardSession {
public:
    explicit WizardSession(const ToolSearch& tools);

    SettingsPage& settingsPage() { return app.settingsPage(); }
    ConfirmPage& confirmPage() { return app.confirmPage(); }

    // Fills the settings page as a user would: keys, clicks and typing.
    void enter(const SettingsInput& input);
    // A real mouse click on the named button of the page.
    void click(QDialog& page, const char* name);
    bool isEnabled(QDialog& page, const char* name);
    // The confirmation page's log as it is shown.
    QString shownLog();

    // One pass through both pages: the settings, "次へ >" with the given
    // answers, then "実行！" with the answers of the build; the loop ends
    // when the build ends the page.
    void buildOnce(const SettingsInput& input, std::vector<MessageAnswer> nextAnswers,
                   std::vector<MessageAnswer> buildAnswers);

    FakeDriveSource drives;
    ScriptedMessages messages;
    WizardApp app;
    PageScript script;
    // What each opening of the confirmation page wrote into its log, line
    // breaks as written.
    std::vector<std::string> logs;
};

// The log text as the page shows it: one line break per CR LF pair.
QString asShown(const std::string& log);

} // namespace ornibe::test
