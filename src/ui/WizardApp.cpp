#include "ui/WizardApp.h"

#include "settings/PageCode.h"

namespace ornibe {

WizardApp::WizardApp(DriveSource& drives, MessageBox& messages, ToolSearch tools,
                     ConfirmPageHooks hooks)
    : settingsPage_(settings_, drives, messages, std::move(tools)),
      confirmPage_(settings_, messages) {
    confirmPage_.setHooks(std::move(hooks));
}

void WizardApp::run() {
    int code = PageCode::Settings;
    while (code != PageCode::Quit) {
        switch (code) {
        case PageCode::Settings:
            code = settingsPage_.exec();
            // The summary and the edition line read the source the checks
            // read.
            confirmData_.source = settingsPage_.checkedSource();
            confirmData_.cdModules = settingsPage_.checkedModules();
            break;
        case PageCode::Confirm:
            code = confirmPage_.exec();
            break;
        default:
            code = PageCode::Quit;
            break;
        }
    }
}

} // namespace ornibe
