#pragma once

#include "settings/BuildSettings.h"
#include "ui/PathDialog.h"
#include "wizard/SetupAdditionsDialogState.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace ornibe {

// "セットアップで実行…": the hotfix packages (a list, each with its
// switches), the folder merged into $OEM$ and the commands setup runs at
// T-12 and at the first logon, one a line. The dialog only shows and takes
// the values (wizard/SetupAdditionsDialogState.h); the checks on "次へ >"
// judge them.
class SetupAdditionsDialog : public QDialog {
    Q_OBJECT
public:
    SetupAdditionsDialog(const SetupAdditionsDialogState& state, DialogRunner runDialog,
                         QWidget* parent = nullptr);

    // What the controls hold now.
    SetupAdditionsDialogState state() const;

private:
    void pickHotfix();
    void removeSelectedHotfix();
    void pickOemFolder();
    void showHotfixes();

    DialogRunner runDialog_;
    std::vector<HotfixChoice> hotfixes_;
    QListWidget* hotfixList_;
    QLineEdit* switches_;
    QLineEdit* oemFolder_;
    QPlainTextEdit* setupCommands_;
    QPlainTextEdit* firstLogonCommands_;
};

// Opens the dialog over parent with the settings' values, and stores what
// it holds when it is left with OK.
void editSetupAdditions(BuildSettings& settings, const DialogRunner& runDialog, QWidget* parent);

} // namespace ornibe
