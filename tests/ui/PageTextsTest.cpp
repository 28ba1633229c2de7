#include "ui/PageLook.h"
#include "ui/SettingsPage.h"

#include "support/BuildTreeTools.h"
#include "support/FakeDriveSource.h"
#include "support/ScriptedMessages.h"
#include "support/TempDir.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>

using namespace ornibe;

namespace {

// Every text the settings page shows of its own, each with the object it
// belongs to: labels, group titles, buttons, check boxes, the fields' grey
// hints and tool tips, and the context menu's entry. The drive list's
// entries are not the page's own.
QStringList ownTexts(SettingsPage& page) {
    QStringList out;
    for (QLabel* label : page.findChildren<QLabel*>()) {
        out << label->text();
    }
    for (QGroupBox* group : page.findChildren<QGroupBox*>()) {
        out << group->title();
    }
    for (QAbstractButton* button : page.findChildren<QAbstractButton*>()) {
        out << button->text() << button->toolTip();
    }
    for (QLineEdit* edit : page.findChildren<QLineEdit*>()) {
        out << edit->placeholderText() << edit->toolTip();
    }
    for (QAction* action : page.actions()) {
        out << action->text();
    }
    out.removeAll(QString());
    return out;
}

// The page over fresh settings as the wizard opens it, its texts, and the
// message its "終了" shows.
struct Shown {
    QStringList texts;
    QString quitMessage;
};

Shown openSettingsPage() {
    test::TempDir dir;
    BuildSettings settings;
    test::FakeDriveSource drives;
    test::ScriptedMessages messages;
    SettingsPage page(settings, drives, messages, test::buildTreeTools(dir.path()));
    Shown shown{ownTexts(page), {}};
    messages.answer(MessageAnswer::Cancel);
    page.findChild<QPushButton*>(QStringLiteral("quitButton"))->click();
    if (!messages.shown.empty()) {
        shown.quitMessage = QString::fromStdString(messages.shown.front().text);
    }
    return shown;
}

void removeTranslators() {
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

bool isJapanese(const QString& text) {
    static const QRegularExpression kana(
        QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return text.contains(kana);
}

} // namespace

class PageTextsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { removeTranslators(); }

    void japanese_leaves_every_text_of_the_page_as_it_is() {
        const Shown own = openSettingsPage();
        QVERIFY(loadPageTexts(UserLanguage::Japanese));
        const Shown japanese = openSettingsPage();
        QCOMPARE(japanese.texts, own.texts);
        QCOMPARE(japanese.quitMessage, QStringLiteral("終了します。"));
        QVERIFY(std::any_of(own.texts.begin(), own.texts.end(), isJapanese));
    }

    void english_turns_every_text_of_the_page_and_its_messages_into_english() {
        const Shown own = openSettingsPage();
        QVERIFY(loadPageTexts(UserLanguage::English));
        const Shown english = openSettingsPage();
        QCOMPARE(english.texts.size(), own.texts.size());
        for (qsizetype i = 0; i < own.texts.size(); ++i) {
            QVERIFY2(!isJapanese(english.texts[i]), qPrintable(english.texts[i]));
            if (isJapanese(own.texts[i])) {
                QVERIFY2(english.texts[i] != own.texts[i], qPrintable(own.texts[i]));
            }
        }
        QVERIFY(english.texts.contains(QStringLiteral("Work folder:")));
        QVERIFY(english.texts.contains(QStringLiteral("Next >")));
        QVERIFY(english.texts.contains(QStringLiteral("&About ornibe...")));
        QCOMPARE(english.quitMessage, QStringLiteral("ornibe will exit."));
    }
};

QTEST_MAIN(PageTextsTest)
#include "PageTextsTest.moc"
