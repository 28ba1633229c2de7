// The wizard's application object: no exception crosses Qt's event loop.
// Run under a WizardApplication of its own, as the program runs.
#include "ui/WizardApplication.h"
#include "ui/SettingsPage.h"

#include "PageDriver.h"
#include "support/BuildTreeTools.h"
#include "support/FakeDriveSource.h"
#include "support/ScriptedMessages.h"
#include "support/TempDir.h"
#include "sys/FileError.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <new>

using namespace ornibe;
using ornibe::test::child;
using ornibe::test::execDriven;

namespace {

// Drives whose list cannot be read once the page is open.
struct FailingDrives : test::FakeDriveSource {
    std::function<void()> fail;
    std::vector<CdDrive> listDrives() override {
        if (listCount++ > 0 && fail) {
            fail();
        }
        return drives;
    }
};

} // namespace

class WizardApplicationTest : public QObject {
    Q_OBJECT

private slots:
    void exceptions_escaping_a_page_handler_are_shown_as_the_programs_message() {
        test::TempDir dir;
        BuildSettings settings;
        FailingDrives drives;
        test::ScriptedMessages messages;
        SettingsPage page{settings, drives, messages, test::buildTreeTools(dir.path())};
        auto* app = static_cast<WizardApplication*>(QApplication::instance());
        app->setFailureHandler(
            [&messages](std::exception_ptr error) { showUnexpectedFailure(messages, error); });

        int code = execDriven(page, [&] {
            auto* list = child<QComboBox>(page, "cdDriveList");
            // Opening the list reads the drives again: too little memory,
            // then a file error, each ends that handler with the message.
            drives.fail = [] { throw std::bad_alloc(); };
            QTest::mouseClick(list, Qt::LeftButton);
            drives.fail = [] {
                throw FileError("read", "/proc/self/mountinfo", "Input/output error");
            };
            list->hidePopup();
            QTest::mouseClick(list, Qt::LeftButton);
            list->hidePopup();
            QCOMPARE(
                messages.texts(),
                (std::vector<std::string>{
                    "予期しないエラーが起きたため、処理を中止しました。\nメモリが足りません。",
                    "予期しないエラーが起きたため、処理を中止しました。\n/proc/self/mountinfo: "
                    "Input/output error"}));
            // The page goes on: its controls answer as before.
            QVERIFY(page.isVisible());
            child<QLineEdit>(page, "workFolderEdit")->setText(QStringLiteral("x"));
            QVERIFY(child<QPushButton>(page, "nextButton")->isEnabled());
            page.done(7);
        });
        QCOMPARE(code, 7);
        app->setFailureHandler({});
    }
};

int main(int argc, char** argv) {
    WizardApplication app(argc, argv);
    WizardApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WizardApplicationTest.moc"
