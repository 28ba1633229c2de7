#pragma once

#include "runner/BuildPage.h"
#include "runner/MessageBox.h"
#include "settings/BuildSettings.h"
#include "ui/PathDialog.h"
#include "ui/QtProgressLog.h"
#include "wizard/ConfirmPageHooks.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPlainTextEdit;
class QProgressDialog;
class QPushButton;

namespace ornibe {

// The second wizard page: the summary of the planned work in a log, and
// "< 戻る", "実行！" and "終了". exec() opens it with a fresh log, writes the
// summary through the hooks, and returns the page code: 1 back, 0 quit or
// a finished build. A finished build whose log tells more than usual keeps
// the page open with "ログを保存…" until the user closes it.
class ConfirmPage : public QDialog, public BuildPage {
    Q_OBJECT
public:
    ConfirmPage(BuildSettings& settings, MessageBox& messages, QWidget* parent = nullptr);
    ~ConfirmPage() override;

    void setHooks(ConfirmPageHooks hooks) { hooks_ = std::move(hooks); }
    // How the file dialog of "ログを保存…" runs; tests replace it.
    void setDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }
    BuildSettings& settings() { return settings_; }

    int exec() override;

    ProgressLog& log() override { return log_; }
    MessageBox& messageBox() override { return messages_; }
    void setButtonEnabled(PageButton button, bool enabled) override;
    void endPage(int pageCode) override { done(pageCode); }
    void keepResults() override;
    void processEvents() override;
    void copyProgressStarted() override;
    bool copyProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::uint64_t filesDone,
                      std::uint64_t filesTotal) override;
    void copyProgressFinished() override;
    bool stopRequested() override { return stopRequested_; }
    // Below the log, never in it.
    void note(std::string_view text) override;

public slots:
    // "終了" and the close box: asks before the program ends.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void back();
    void run();
    // "ログを保存…": the log as the build wrote it, to a file the user names.
    void saveLog();

    BuildSettings& settings_;
    ConfirmPageHooks hooks_;
    MessageBox& messages_;
    QLabel* editionLabel_;
    QLabel* notesLabel_;
    QPlainTextEdit* view_;
    QtProgressLog log_;
    QPushButton* backButton_;
    QPushButton* runButton_;
    QPushButton* quitButton_;
    QPushButton* saveButton_;
    DialogRunner runDialog_ = runFileDialog;
    std::unique_ptr<QProgressDialog> progress_;
    bool running_ = false;
    bool stopRequested_ = false;
    // The build has finished and the page stays for its log.
    bool resultsKept_ = false;
};

} // namespace ornibe
