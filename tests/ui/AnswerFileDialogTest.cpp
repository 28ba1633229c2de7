#include "ui/AnswerFileDialog.h"
#include "ui/SettingsPage.h"

#include "PageDriver.h"
#include "support/BuildTreeTools.h"
#include "support/FakeDriveSource.h"
#include "support/ScriptedMessages.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QtTest>

using namespace ornibe;
using ornibe::test::child;
using ornibe::test::execDriven;

namespace {

class AnswerFileDialogTest : public QObject {
    Q_OBJECT
private slots:
    // "無人インストール…" on the settings page opens the dialog over the
    // settings' fields; what is typed there is stored on OK, and nothing
    // on Cancel.
    void the_settings_pages_button_opens_the_dialog_that_stores_its_fields_on_ok() {
        test::TempDir dir;
        BuildSettings settings;
        test::FakeDriveSource drives;
        test::ScriptedMessages messages;
        SettingsPage page(settings, drives, messages, test::buildTreeTools(dir.path()));
        auto* open = child<QPushButton>(page, "answerFileButton");
        QVERIFY(open);
        QCOMPARE(open->text(), QStringLiteral("無人インストール…"));

        bool checked = false;
        auto fill = [&](QWidget* modal) {
            auto* dialog = qobject_cast<AnswerFileDialog*>(modal);
            QVERIFY(dialog);
            // A failed check leaves the dialog: it is closed, not waited on.
            auto closeAnyway = qScopeGuard([dialog] {
                if (dialog->isVisible()) {
                    dialog->done(-1);
                }
            });
            // Nothing asked for yet: the fields wait for their mode.
            auto* fields = child<QGroupBox>(*dialog, "answerFieldsGroup");
            QVERIFY(child<QRadioButton>(*dialog, "noAnswerFileRadio")->isChecked());
            QVERIFY(!fields->isEnabled());
            QVERIFY(!child<QLineEdit>(*dialog, "userFileEdit")->isEnabled());
            auto* zones = child<QComboBox>(*dialog, "timeZoneList");
            QCOMPARE(zones->currentText(), QStringLiteral("(GMT+09:00) 大阪、札幌、東京"));
            QCOMPARE(child<QComboBox>(*dialog, "languageList")->currentText(),
                     QStringLiteral("日本語"));
            auto* password = child<QLineEdit>(*dialog, "adminPasswordEdit");
            QCOMPARE(password->echoMode(), QLineEdit::Password);

            child<QRadioButton>(*dialog, "writeAnswerFileRadio")->click();
            QVERIFY(fields->isEnabled());
            QTest::keyClicks(child<QLineEdit>(*dialog, "fullNameEdit"), "Taro Yamada");
            QTest::keyClicks(password, "secret");
            zones->setCurrentIndex(zones->findText(QStringLiteral("(GMT+09:00) ソウル")));
            child<QCheckBox>(*dialog, "acceptEulaCheck")->setChecked(true);
            auto* buttons = child<QDialogButtonBox>(*dialog, "answerFileButtons");
            buttons->button(QDialogButtonBox::Ok)->click();
            checked = true;
        };
        test::onNextModal(fill);
        open->click();
        QVERIFY(checked);
        const AnswerFileFields& stored = settings.getAnswerFile();
        QCOMPARE(int(stored.mode), int(AnswerFileFields::Mode::Write));
        QCOMPARE(QString::fromStdString(stored.fullName), QStringLiteral("Taro Yamada"));
        QCOMPARE(QString::fromStdString(stored.adminPassword), QStringLiteral("secret"));
        QCOMPARE(stored.timeZone, 230);
        QVERIFY(stored.acceptEula);

        // Opened again it shows what was stored; Cancel keeps it.
        checked = false;
        test::onNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<AnswerFileDialog*>(modal);
            QVERIFY(dialog);
            auto closeAnyway = qScopeGuard([dialog] { dialog->reject(); });
            QCOMPARE(child<QLineEdit>(*dialog, "fullNameEdit")->text(),
                     QStringLiteral("Taro Yamada"));
            child<QRadioButton>(*dialog, "userAnswerFileRadio")->click();
            QVERIFY(child<QLineEdit>(*dialog, "userFileEdit")->isEnabled());
            QVERIFY(!child<QGroupBox>(*dialog, "answerFieldsGroup")->isEnabled());
            checked = true;
        });
        open->click();
        QVERIFY(checked);
        QCOMPARE(int(settings.getAnswerFile().mode), int(AnswerFileFields::Mode::Write));
    }
};

} // namespace

QTEST_MAIN(AnswerFileDialogTest)
#include "AnswerFileDialogTest.moc"
