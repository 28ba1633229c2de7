#include "ui/WizardApp.h"

#include "PageDriver.h"
#include "PageScript.h"
#include "support/BuildTreeTools.h"
#include "support/FakeDriveSource.h"
#include "support/ScriptedMessages.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace ornibe;
using ornibe::test::child;

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

struct Wizard {
    test::TempDir dir;
    test::FakeDriveSource drives;
    test::ScriptedMessages messages;
    int runs = 0;
    std::function<void(BuildPage&)> build;
    WizardApp app{drives,
                  messages,
                  test::buildTreeTools(dir.path()),
                  {[this](BuildPage& page) {
                       page.log().append("作業フォルダ：\r\n      " +
                                         app.settings().GetWorkFolder());
                   },
                   [this](BuildPage& page) {
                       ++runs;
                       if (build) {
                           build(page);
                       }
                   }}};
    test::PageScript script{&app.settingsPage(), &app.confirmPage()};

    Wizard() {
        app.settingsPage().setFreeSpaceQuery(
            [](const std::string&) { return std::uint64_t(4096) * 1048576; });
    }

    SettingsPage& settings() { return app.settingsPage(); }
    ConfirmPage& confirm() { return app.confirmPage(); }
    template <typename T> T* in(QDialog& page, const char* name) { return child<T>(page, name); }
    void click(QDialog& page, const char* name) {
        QTest::mouseClick(in<QPushButton>(page, name), Qt::LeftButton);
    }
};

} // namespace

class WizardAppTest : public QObject {
    Q_OBJECT

private slots:
    void first_start_forward_back_shows_the_stored_values_then_quits() {
        Wizard w;
        // The CD carries its boot sector file, so the image can boot.
        w.dir.write("cd/BOOTSECT.BIN", "boot");
        w.dir.write("cd/I386/TXTSETUP.SIF", "[SourceDisksNames]\r\n");
        w.drives.drives = {{"/dev/sr0", w.dir / "cd", "WXPFPP_JA"}};
        // Driver INFs that add a storage driver for every Windows version.
        const std::string storageInf = "[Version]\r\nSignature=\"$Windows NT$\"\r\n"
                                       "[Manufacturer]\r\nM=Models\r\n"
                                       "[Models]\r\nDevice=Inst,PCI\\VEN_1B2C&DEV_0001\r\n"
                                       "[Inst.Services]\r\nAddService=Drv,2,Svc\r\n"
                                       "[Svc]\r\nServiceBinary=%12%\\drv.sys\r\n"
                                       "LoadOrderGroup=\"SCSI Miniport\"\r\n";
        std::string infA = w.dir.write("drv/A.INF", storageInf);
        std::string infB = w.dir.write("drv/sub/b.inf", storageInf);
        w.dir.mkdir("work");

        w.script.then(w.settings(), [&] {
            QCOMPARE(w.in<QComboBox>(w.settings(), "cdDriveList")->currentIndex(), 0);
            QVERIFY(!w.in<QPushButton>(w.settings(), "nextButton")->isEnabled());
            w.in<QComboBox>(w.settings(), "cdDriveList")->setCurrentIndex(1);
            auto* infEdit = w.in<QLineEdit>(w.settings(), "infEdit");
            for (const std::string& inf : {infA, w.dir / "drv/sub/../sub/b.inf", infB}) {
                infEdit->setText(q(inf));
                w.click(w.settings(), "infAddButton");
            }
            w.in<QCheckBox>(w.settings(), "bigDriveCheck")->setChecked(false);
            QTest::keyClicks(w.in<QLineEdit>(w.settings(), "workFolderEdit"), q(w.dir / "work/"));
            QTest::keyClicks(w.in<QLineEdit>(w.settings(), "isoPathEdit"), "xp.iso");
            w.messages.answer(MessageAnswer::Ok);
            w.click(w.settings(), "nextButton");
        });
        w.script.then(w.confirm(), [&] {
            QCOMPARE(w.in<QPlainTextEdit>(w.confirm(), "logView")->toPlainText(),
                     q("作業フォルダ：\n      " + w.dir / "work"));
            w.click(w.confirm(), "backButton");
        });
        w.script.then(w.settings(), [&] {
            SettingsPage& s = w.settings();
            QVERIFY(w.drives.listCount >= 2); // listed anew
            QCOMPARE(w.in<QComboBox>(s, "cdDriveList")->currentIndex(), 1);
            QCOMPARE(w.in<QLineEdit>(s, "volumeLabelEdit")->text(), QString());
            auto* list = w.in<QListWidget>(s, "infList");
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->item(0)->text(), q(infA));
            QCOMPARE(list->item(1)->text(), q(w.dir / "drv/sub/b.inf"));
            QVERIFY(!w.in<QCheckBox>(s, "bigDriveCheck")->isChecked());
            QCOMPARE(w.in<QLineEdit>(s, "workFolderEdit")->text(), q(w.dir / "work"));
            QVERIFY(w.in<QPushButton>(s, "nextButton")->isEnabled());
            QCOMPARE(w.in<QLineEdit>(s, "isoPathEdit")->text(), QStringLiteral("xp.iso"));
            w.messages.answer(MessageAnswer::Ok);
            w.click(s, "quitButton");
        });
        w.app.run();
        QCOMPARE(w.script.failures, QStringList());
        QCOMPARE(w.script.shown, (QStringList{"settingsPage", "confirmPage", "settingsPage"}));
        QCOMPARE(w.messages.texts(),
                 (std::vector<std::string>{"作業フォルダに使える空き容量は 4096MB です。\n"
                                           "CD の内容には約 1MB 必要です。",
                                           "終了します。"}));
        QCOMPARE(w.runs, 0);
    }

    void quit_confirmed_on_the_confirmation_page_ends_the_program() {
        Wizard w;
        w.dir.write("tree/i386/txtsetup.sif", "x");
        w.script.then(w.settings(), [&] {
            QTest::keyClicks(w.in<QLineEdit>(w.settings(), "workFolderEdit"), q(w.dir / "tree"));
            w.click(w.settings(), "nextButton");
        });
        w.script.then(w.confirm(), [&] {
            w.messages.answer(MessageAnswer::Cancel);
            w.click(w.confirm(), "quitButton");
            QVERIFY(w.confirm().isVisible());
            w.messages.answer(MessageAnswer::Ok);
            w.confirm().close();
        });
        w.app.run();
        QCOMPARE(w.script.failures, QStringList());
        QCOMPARE(w.script.shown, (QStringList{"settingsPage", "confirmPage"}));
        QCOMPARE(w.app.settings().GetCdDriveEntry(), std::string("読み込みしない"));
    }

    void a_finished_build_ends_the_program_and_an_odd_code_quits() {
        for (int endCode : {0, 7, -1}) {
            Wizard w;
            w.dir.write("tree/I386/TXTSETUP.SIF", "x");
            w.build = [&](BuildPage& page) { page.endPage(endCode); };
            w.script.then(w.settings(), [&] {
                QTest::keyClicks(w.in<QLineEdit>(w.settings(), "workFolderEdit"),
                                 q(w.dir / "tree"));
                w.click(w.settings(), "nextButton");
            });
            w.script.then(w.confirm(), [&] { w.click(w.confirm(), "runButton"); });
            w.app.run();
            QCOMPARE(w.script.failures, QStringList());
            QCOMPARE(w.script.shown, (QStringList{"settingsPage", "confirmPage"}));
            QCOMPARE(w.runs, 1);
        }
    }
};

QTEST_MAIN(WizardAppTest)
#include "WizardAppTest.moc"
