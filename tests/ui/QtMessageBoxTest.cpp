#include "ui/QtMessageBox.h"

#include "PageDriver.h"

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

using namespace ornibe;

namespace {

struct Seen {
    QString title;
    QString text;
    QStringList buttons;
    QString defaultButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Shows a box, reads it, and clicks the button with the given text.
MessageAnswer showAndClick(MessageStyle style, const QString& click, Seen& seen) {
    test::onNextModal([&seen, click](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        QVERIFY(box);
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons << button->text();
            if (button->text() == click) {
                QTimer::singleShot(0, button, [button] { button->click(); });
            }
        }
        std::sort(seen.buttons.begin(), seen.buttons.end());
        if (box->defaultButton()) {
            seen.defaultButton = box->defaultButton()->text();
        }
    });
    return QtMessageBox().show("終了します。", style);
}

} // namespace

class QtMessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void shows_the_text_buttons_icon_and_default_and_returns_the_click() {
        Seen seen;
        MessageStyle quit{MessageButtons::OkCancel, MessageIcon::Information, true};
        QCOMPARE(showAndClick(quit, "キャンセル", seen), MessageAnswer::Cancel);
        QCOMPARE(seen.title, QStringLiteral("ornibe"));
        QCOMPARE(seen.text, QStringLiteral("終了します。"));
        QCOMPARE(seen.buttons, (QStringList{"OK", "キャンセル"}));
        QCOMPARE(seen.defaultButton, QStringLiteral("キャンセル"));
        QCOMPARE(seen.icon, QMessageBox::Information);

        Seen ok;
        QCOMPARE(showAndClick(quit, "OK", ok), MessageAnswer::Ok);

        Seen question;
        MessageStyle folder{MessageButtons::YesNo, MessageIcon::Question, false};
        QCOMPARE(showAndClick(folder, "はい(&Y)", question), MessageAnswer::Yes);
        QCOMPARE(question.buttons, (QStringList{"いいえ(&N)", "はい(&Y)"}));
        QCOMPARE(question.defaultButton, QStringLiteral("はい(&Y)"));
        QCOMPARE(question.icon, QMessageBox::Question);

        Seen no;
        MessageStyle notEmpty{MessageButtons::YesNo, MessageIcon::Question, true};
        QCOMPARE(showAndClick(notEmpty, "いいえ(&N)", no), MessageAnswer::No);
        QCOMPARE(no.defaultButton, QStringLiteral("いいえ(&N)"));

        Seen plain;
        QCOMPARE(showAndClick({}, "OK", plain), MessageAnswer::Ok);
        QCOMPARE(plain.buttons, QStringList{"OK"});
        QCOMPARE(plain.icon, QMessageBox::NoIcon);
    }
};

QTEST_MAIN(QtMessageBoxTest)
#include "QtMessageBoxTest.moc"
