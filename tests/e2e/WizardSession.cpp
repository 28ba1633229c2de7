#include "WizardSession.h"

#include "PageDriver.h"
#include "wizard/BuildHooks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace ornibe::test {
namespace {

// Tees the log into a record while the page's own log shows it.
class RecordedLog : public ProgressLog {
public:
    RecordedLog(ProgressLog& shown, std::string& record) : shown_(shown), record_(record) {}

protected:
    void showText(std::string_view text) override {
        record_ += text;
        shown_.append(text);
    }

private:
    ProgressLog& shown_;
    std::string& record_;
};

// The confirmation page with its log recorded; everything else goes to
// the page itself.
class RecordedPage : public BuildPage {
public:
    RecordedPage(BuildPage& page, std::string& record) : page_(page), log_(page.log(), record) {}

    ProgressLog& log() override { return log_; }
    MessageBox& messageBox() override { return page_.messageBox(); }
    void setButtonEnabled(PageButton button, bool enabled) override {
        page_.setButtonEnabled(button, enabled);
    }
    void endPage(int pageCode) override { page_.endPage(pageCode); }
    void processEvents() override { page_.processEvents(); }
    void copyProgressStarted() override { page_.copyProgressStarted(); }
    bool copyProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal, std::uint64_t filesDone,
                      std::uint64_t filesTotal) override {
        return page_.copyProgress(bytesDone, bytesTotal, filesDone, filesTotal);
    }
    void copyProgressFinished() override { page_.copyProgressFinished(); }
    bool stopRequested() override { return page_.stopRequested(); }

private:
    BuildPage& page_;
    RecordedLog log_;
};

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

WizardSession::WizardSession(const ToolSearch& tools)
    : app(drives, messages, tools), script({&app.settingsPage(), &app.confirmPage()}) {
    ConfirmPageHooks real = buildHooks(app.settings(), app.confirmData(), tools);
    ConfirmPageHooks recorded;
    recorded.writeSummary = [this, real](BuildPage& page) {
        logs.emplace_back();
        RecordedPage recordedPage(page, logs.back());
        real.writeSummary(recordedPage);
    };
    recorded.runBuild = [this, real](BuildPage& page) {
        RecordedPage recordedPage(page, logs.back());
        real.runBuild(recordedPage);
    };
    app.confirmPage().setHooks(recorded);
}

void WizardSession::enter(const SettingsInput& input) {
    SettingsPage& page = settingsPage();
    auto* drives = child<QComboBox>(page, "cdDriveList");
    drives->setFocus();
    for (int i = drives->currentIndex(); i < input.drivePosition; ++i) {
        QTest::keyClick(drives, Qt::Key_Down);
    }
    if (!input.volumeLabel.empty()) {
        auto* label = child<QLineEdit>(page, "volumeLabelEdit");
        label->clear();
        QTest::keyClicks(label, q(input.volumeLabel));
    }
    auto* infEdit = child<QLineEdit>(page, "infEdit");
    for (const std::string& inf : input.infs) {
        infEdit->clear();
        QTest::keyClicks(infEdit, q(inf));
        click(page, "infAddButton");
    }
    auto* bigDrive = child<QCheckBox>(page, "bigDriveCheck");
    if (bigDrive->isChecked() != input.bigDrive) {
        QTest::mouseClick(bigDrive, Qt::LeftButton);
    }
    auto* work = child<QLineEdit>(page, "workFolderEdit");
    work->clear();
    QTest::keyClicks(work, q(input.workFolder));
    auto* iso = child<QLineEdit>(page, "isoPathEdit");
    iso->clear();
    QTest::keyClicks(iso, q(input.isoPath));
}

void WizardSession::click(QDialog& page, const char* name) {
    QTest::mouseClick(child<QPushButton>(page, name), Qt::LeftButton);
}

bool WizardSession::isEnabled(QDialog& page, const char* name) {
    return child<QPushButton>(page, name)->isEnabled();
}

QString WizardSession::shownLog() {
    return child<QPlainTextEdit>(confirmPage(), "logView")->toPlainText();
}

void WizardSession::buildOnce(const SettingsInput& input, std::vector<MessageAnswer> nextAnswers,
                              std::vector<MessageAnswer> buildAnswers) {
    script.then(settingsPage(), [this, input, nextAnswers] {
        enter(input);
        for (MessageAnswer answer : nextAnswers) {
            messages.answer(answer);
        }
        click(settingsPage(), "nextButton");
    });
    script.then(confirmPage(), [this, buildAnswers] {
        for (MessageAnswer answer : buildAnswers) {
            messages.answer(answer);
        }
        click(confirmPage(), "runButton");
    });
    app.run();
}

QString asShown(const std::string& log) {
    return q(log).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace ornibe::test
