#pragma once

#include "media/DriveSource.h"
#include "runner/ConfirmData.h"
#include "settings/BuildSettings.h"
#include "ui/ConfirmPage.h"
#include "ui/SettingsPage.h"
#include "wizard/ConfirmPageHooks.h"

namespace ornibe {

// The program: one settings record and the two pages, shown one after the
// other by their page codes until a page ends with any code but 1 or 2.
// The settings page comes first; every start begins with the defaults.
class WizardApp {
public:
    // Every message box of both pages goes to messages: the screen's box in
    // the program, a script in tests. The settings checks look for Wine and
    // the spare boot sector where tools says.
    WizardApp(DriveSource& drives, MessageBox& messages, ToolSearch tools,
              ConfirmPageHooks hooks = {});

    // The page loop; returns when the program should end.
    void run();

    BuildSettings& settings() { return settings_; }
    // What the confirmation page detected and read; it outlives the page.
    ConfirmData& confirmData() { return confirmData_; }
    SettingsPage& settingsPage() { return settingsPage_; }
    ConfirmPage& confirmPage() { return confirmPage_; }

private:
    BuildSettings settings_;
    ConfirmData confirmData_;
    SettingsPage settingsPage_;
    ConfirmPage confirmPage_;
};

} // namespace ornibe
