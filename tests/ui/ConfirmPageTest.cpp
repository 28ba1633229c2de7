#include "ui/ConfirmPage.h"

#include "PageDriver.h"
#include "support/ScriptedMessages.h"
#include "support/TempDir.h"
#include "sys/FileError.h"

#include <QAbstractTextDocumentLayout>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

using namespace ornibe;
using ornibe::test::child;
using ornibe::test::execDriven;

namespace {

struct Page {
    BuildSettings settings;
    test::ScriptedMessages messages;
    ConfirmPage page{settings, messages};
    int summaries = 0;

    Page() {
        page.setHooks({[this](BuildPage& build) {
                           ++summaries;
                           build.log().append("ターゲット：\r\n      ");
                           build.log().append("Windows XP Professional CD\r\n\r\n");
                       },
                       {}});
    }

    QPushButton* button(const char* name) { return child<QPushButton>(page, name); }
    QPlainTextEdit* view() { return child<QPlainTextEdit>(page, "logView"); }
    QString text() { return view()->toPlainText(); }
    bool enabled(const char* name) { return button(name)->isEnabled(); }
};

const MessageStyle kQuitStyle{MessageButtons::OkCancel, MessageIcon::Question, true};

} // namespace

class ConfirmPageTest : public QObject {
    Q_OBJECT

private slots:
    void opens_with_the_summary_and_back_returns_to_the_settings_page() {
        Page p;
        int code = execDriven(p.page, [&] {
            QCOMPARE(p.page.windowTitle(), QStringLiteral("作業内容の確認"));
            QCOMPARE(p.text(),
                     QStringLiteral("ターゲット：\n      Windows XP Professional CD\n\n"));
            QVERIFY(p.view()->isReadOnly());
            QCOMPARE(p.button("backButton")->text(), QStringLiteral("< 戻る"));
            QCOMPARE(p.button("runButton")->text(), QStringLiteral("実行！"));
            QCOMPARE(p.button("quitButton")->text(), QStringLiteral("終了"));
            QVERIFY(p.enabled("backButton") && p.enabled("runButton") && p.enabled("quitButton"));
            QVERIFY(p.button("backButton")->isDefault());
            QTRY_COMPARE(p.page.focusWidget(), p.button("backButton"));
            QTest::mouseClick(p.button("backButton"), Qt::LeftButton);
        });
        QCOMPARE(code, 1);
    }

    void edition_stands_on_a_line_above_the_log_and_never_in_it() {
        Page p;
        QString edition =
            QStringLiteral("エディション：Windows XP Professional x64 Edition SP2 (AMD64)");
        ConfirmPageHooks hooks;
        hooks.writeSummary = [](BuildPage& build) { build.log().append("ターゲット：\r\n"); };
        hooks.editionLine = [&] { return edition.toStdString(); };
        p.page.setHooks(hooks);
        execDriven(p.page, [&] {
            auto* label = child<QLabel>(p.page, "editionLabel");
            QVERIFY(label->isVisible());
            QCOMPARE(label->text(), edition);
            QVERIFY(label->geometry().bottom() <= p.view()->geometry().top());
            QCOMPARE(p.text(), QStringLiteral("ターゲット：\n"));
            QTest::mouseClick(p.button("backButton"), Qt::LeftButton);
        });
        // Without an edition (as before any source is read) there is no line.
        hooks.editionLine = [] { return std::string(); };
        p.page.setHooks(hooks);
        execDriven(p.page, [&] {
            QVERIFY(!child<QLabel>(p.page, "editionLabel")->isVisible());
            QTest::mouseClick(p.button("backButton"), Qt::LeftButton);
        });
    }

    void enter_presses_the_focused_button_and_otherwise_the_default_one() {
        Page p;
        int runs = 0;
        p.page.setHooks({{}, [&](BuildPage& build) {
                             ++runs;
                             build.setButtonEnabled(PageButton::Back, true);
                         }});
        int code = execDriven(p.page, [&] {
            p.button("runButton")->setFocus();
            QTest::keyClick(p.button("runButton"), Qt::Key_Return);
            QCOMPARE(runs, 1);
            QVERIFY(p.page.isVisible());
            // On the log the default button, "< 戻る", takes Enter.
            p.view()->setFocus();
            QTest::keyClick(p.view(), Qt::Key_Enter, Qt::KeypadModifier);
        });
        QCOMPARE(code, 1);
        QCOMPARE(runs, 1);
    }

    void page_fits_a_small_screen_and_opens_at_its_full_size() {
        Page p;
        execDriven(p.page, [&] {
            // 1280x800 at scale factor 2 leaves 640x400 of room, a title
            // bar and a panel included.
            QSize least = p.page.minimumSizeHint();
            QVERIFY2(least.width() <= 600 && least.height() <= 340,
                     qPrintable(QStringLiteral("%1x%2").arg(least.width()).arg(least.height())));
            QFontMetrics metrics(p.page.font());
            QVERIFY(p.view()->width() >= metrics.averageCharWidth() * 76);
            QVERIFY(p.view()->height() >= metrics.height() * 26);
            p.page.done(1);
        });
    }

    void opens_at_the_first_line_of_a_summary_longer_than_the_page() {
        Page p;
        p.page.setHooks({[](BuildPage& build) {
                             build.log().append("ターゲット：\r\n      " + std::string(300, 'x') +
                                                "\r\n");
                             for (int i = 0; i < 80; ++i) {
                                 build.log().append("line " + std::to_string(i) + "\r\n");
                             }
                         },
                         {}});
        for (int opening = 0; opening < 2; ++opening) {
            execDriven(p.page, [&] {
                QScrollBar* down = p.view()->verticalScrollBar();
                QScrollBar* across = p.view()->horizontalScrollBar();
                QTRY_VERIFY(down->maximum() > 0);
                QCOMPARE(down->value(), 0);
                // The long line wraps at the view's edge instead of
                // running off it.
                QCOMPARE(across->maximum(), 0);
                const QTextBlock wrapped = p.view()->document()->findBlockByNumber(1);
                QVERIFY(
                    p.view()->document()->documentLayout()->blockBoundingRect(wrapped).height() >=
                    2 * QFontMetrics(p.view()->font()).height());
                QTextCursor top = p.view()->cursorForPosition(QPoint(1, 1));
                QCOMPARE(top.block().text(), QStringLiteral("ターゲット："));
                QCOMPARE(top.positionInBlock(), 0);
                // Scrolled away and opened again: at the first line again.
                down->setValue(down->maximum());
                QTest::mouseClick(p.button("backButton"), Qt::LeftButton);
            });
        }
    }

    void each_opening_starts_a_fresh_log_with_every_button_enabled() {
        Page p;
        p.page.setHooks({[&](BuildPage& build) {
                             ++p.summaries;
                             build.log().append("summary " + std::to_string(p.summaries));
                         },
                         [](BuildPage& build) {
                             build.setButtonEnabled(PageButton::Run, false);
                             build.log().append("\r\nfailed");
                             build.setButtonEnabled(PageButton::Back, true);
                         }});
        execDriven(p.page, [&] {
            QTest::mouseClick(p.button("runButton"), Qt::LeftButton);
            QVERIFY(!p.enabled("runButton"));
            QCOMPARE(p.text(), QStringLiteral("summary 1\nfailed"));
            QTest::mouseClick(p.button("backButton"), Qt::LeftButton);
        });
        int code = execDriven(p.page, [&] {
            QCOMPARE(p.text(), QStringLiteral("summary 2"));
            QVERIFY(p.enabled("runButton"));
            QTest::keyClick(p.button("backButton"), Qt::Key_Space);
        });
        QCOMPARE(code, 1);
    }

    void log_breaks_lines_at_cr_lf_and_follows_its_end() {
        Page p;
        execDriven(p.page, [&] {
            ProgressLog& log = p.page.log();
            log.append("CD の内容を作業フォルダにコピーしています。。。");
            log.append("完了\r\n\r\n");
            log.append("split\r");
            log.append("\nnext\rline\r\n");
            log.append(std::string_view("cut\0hidden", 10));
            log.append("");
            QCOMPARE(p.text(),
                     QStringLiteral("ターゲット：\n      Windows XP Professional CD\n\n"
                                    "CD の内容を作業フォルダにコピーしています。。。完了\n\n"
                                    "split\nnextline\ncut"));
            for (int i = 0; i < 300; ++i) {
                log.append("line " + std::to_string(i) + "\r\n");
            }
            QScrollBar* bar = p.view()->verticalScrollBar();
            QVERIFY(bar->maximum() > 0);
            QCOMPARE(bar->value(), bar->maximum());
            QTest::mouseClick(p.button("backButton"), Qt::LeftButton);
        });
    }

    void run_hands_the_page_to_the_build_and_a_finished_build_ends_it() {
        Page p;
        std::vector<bool> states;
        int runs = 0;
        p.page.setHooks({{}, [&](BuildPage& build) {
                             ++runs;
                             build.setButtonEnabled(PageButton::Run, false);
                             build.setButtonEnabled(PageButton::Back, false);
                             states = {p.enabled("runButton"), p.enabled("backButton"),
                                       p.enabled("quitButton")};
                             // A second click while the build runs starts nothing.
                             p.button("runButton")->setEnabled(true);
                             p.button("runButton")->click();
                             build.log().append("\r\nスタート！\r\n\r\n");
                             build.messageBox().show(
                                 "完成です！",
                                 {MessageButtons::Ok, MessageIcon::Information, false});
                             build.endPage(0);
                         }});
        p.messages.answer(MessageAnswer::Ok);
        int code =
            execDriven(p.page, [&] { QTest::mouseClick(p.button("runButton"), Qt::LeftButton); });
        QCOMPARE(code, 0);
        QCOMPARE(runs, 1);
        QCOMPARE(states, (std::vector<bool>{false, false, true}));
        QCOMPARE(p.messages.texts(), std::vector<std::string>{"完成です！"});
        QCOMPARE(p.text(), QStringLiteral("\nスタート！\n\n"));
    }

    void a_build_with_more_to_tell_keeps_the_page_and_its_log_until_closed() {
        Page p;
        test::TempDir dir;
        const std::string kept =
            "\r\nスタート！\r\n\r\n検証\r\n問題：" + std::string(200, 'x') + "\r\n\r\n";
        p.page.setHooks({{}, [&](BuildPage& build) {
                             build.setButtonEnabled(PageButton::Run, false);
                             build.setButtonEnabled(PageButton::Back, false);
                             build.log().append(kept);
                             build.note("読み取り専用属性の解除に失敗しました");
                             build.messageBox().show(
                                 "完成です！\n検証で問題が 1 件見つかりました。",
                                 {MessageButtons::Ok, MessageIcon::Information, false});
                             build.keepResults();
                         }});
        p.messages.answer(MessageAnswer::Ok);
        QString offered;
        p.page.setDialogRunner([&](QFileDialog& dialog) {
            offered = dialog.objectName();
            return QString::fromStdString(dir / "build.log");
        });
        int code = execDriven(p.page, [&] {
            QTest::mouseClick(p.button("runButton"), Qt::LeftButton);
            // The box has been answered and the page is still there, with
            // the log to read and save and nothing to run again.
            QVERIFY(p.page.isVisible());
            QVERIFY(!p.enabled("backButton") && !p.enabled("runButton"));
            QVERIFY(p.button("saveLogButton")->isVisible());
            QCOMPARE(p.button("saveLogButton")->text(), QStringLiteral("ログを保存…"));
            QVERIFY(p.view()->textInteractionFlags() & Qt::TextSelectableByMouse);
            // A note of the build stands below the log, not in it.
            auto* notes = child<QLabel>(p.page, "notesLabel");
            QVERIFY(notes->isVisible());
            QCOMPARE(notes->text(), QStringLiteral("注意：読み取り専用属性の解除に失敗しました"));
            QVERIFY(notes->geometry().top() >= p.view()->geometry().bottom());
            // The page widens with the window, and the long line wraps in it.
            const int narrow = p.view()->width();
            p.page.resize(p.page.width() + 200, p.page.height());
            QTRY_VERIFY(p.view()->width() >= narrow + 150);
            QCOMPARE(p.view()->horizontalScrollBar()->maximum(), 0);

            QTest::mouseClick(p.button("saveLogButton"), Qt::LeftButton);
            QCOMPARE(offered, QStringLiteral("saveLogDialog"));
            QCOMPARE(test::slurp(dir / "build.log"), kept);
            // A log that cannot be written is said, and the page stays.
            p.page.setDialogRunner([&](QFileDialog&) {
                return QString::fromStdString(dir / "no-such-folder/build.log");
            });
            p.messages.answer(MessageAnswer::Ok);
            QTest::mouseClick(p.button("saveLogButton"), Qt::LeftButton);
            QVERIFY(p.page.isVisible());
            QCOMPARE(p.button("quitButton")->text(), QStringLiteral("閉じる"));
            QTest::mouseClick(p.button("quitButton"), Qt::LeftButton);
        });
        QCOMPARE(code, 0);
        QCOMPARE(p.messages.texts().size(), size_t(2));
        QCOMPARE(p.messages.texts()[0],
                 std::string("完成です！\n検証で問題が 1 件見つかりました。"));
        QVERIFY(p.messages.texts()[1].starts_with("ログファイル " +
                                                  (dir / "no-such-folder/build.log")));
    }

    void errors_escaping_the_hooks_land_in_the_log_and_leave_a_way_back() {
        Page p;
        p.page.setHooks({[](BuildPage& build) {
                             build.log().append("ターゲット：");
                             throwFileError("read", "/cd/I386/TXTSETUP.SIF", EIO);
                         },
                         [](BuildPage& build) {
                             build.setButtonEnabled(PageButton::Run, false);
                             build.setButtonEnabled(PageButton::Back, false);
                             throw FileError("write", "/w/I386/TXTSETUP.SIF",
                                             "No space left on device");
                         }});
        int code = execDriven(p.page, [&] {
            // In the program's words: the work stopped, then the file and
            // the system's reason.
            QCOMPARE(p.text(),
                     QStringLiteral("ターゲット：\n予期しないエラーが起きたため、処理を中止"
                                    "しました。\n/cd/I386/TXTSETUP.SIF: "
                                    "Input/output error\n"));
            QTest::mouseClick(p.button("runButton"), Qt::LeftButton);
            QVERIFY(
                p.text().endsWith(QStringLiteral("予期しないエラーが起きたため、処理を中止しまし"
                                                 "た。\n/w/I386/TXTSETUP.SIF: No space left on "
                                                 "device\n")));
            QVERIFY(p.enabled("backButton"));
            QVERIFY(!p.enabled("runButton"));
            QTest::mouseClick(p.button("backButton"), Qt::LeftButton);
        });
        QCOMPARE(code, 1);
    }

    void quit_asks_and_cancel_leaves_the_page_as_it_was() {
        Page p;
        int code = execDriven(p.page, [&] {
            QTest::keyClick(&p.page, Qt::Key_Escape);
            QVERIFY(p.page.isVisible());
            QVERIFY(p.messages.shown.empty());

            p.messages.answer(MessageAnswer::Cancel);
            QTest::mouseClick(p.button("quitButton"), Qt::LeftButton);
            QVERIFY(p.page.isVisible());
            p.messages.answer(MessageAnswer::Cancel);
            p.page.close();
            QVERIFY(p.page.isVisible());
            QVERIFY(p.enabled("runButton") && p.enabled("backButton"));

            p.messages.answer(MessageAnswer::Ok);
            p.page.close();
        });
        QCOMPARE(code, 0);
        QCOMPARE(p.messages.shown.size(), size_t(3));
        for (const auto& box : p.messages.shown) {
            QCOMPARE(box.text, std::string("終了します。"));
            QVERIFY(box.style == kQuitStyle);
        }
    }

    void quit_during_a_build_stops_it_and_ends_the_page_when_it_returns() {
        Page p;
        bool sawStop = false;
        p.page.setHooks({{}, [&](BuildPage& build) {
                             build.setButtonEnabled(PageButton::Run, false);
                             build.setButtonEnabled(PageButton::Back, false);
                             // The user quits while a child runs and the page
                             // dispatches events: the build is asked to stop,
                             // and the window stays until it has.
                             p.messages.answer(MessageAnswer::Ok);
                             QTimer::singleShot(0, p.button("quitButton"),
                                                [&] { p.button("quitButton")->click(); });
                             QTRY_VERIFY_WITH_TIMEOUT(
                                 (build.processEvents(), build.stopRequested()), 5000);
                             sawStop = p.page.isVisible();
                         }});
        int code = execDriven(p.page, [&] { p.button("runButton")->click(); });
        QCOMPARE(code, 0);
        QVERIFY(sawStop);
    }

    void copy_progress_shows_a_window_whose_cancel_stops_the_copy() {
        Page p;
        execDriven(p.page, [&] {
            p.page.copyProgressStarted();
            auto* progress = p.page.findChild<QProgressDialog*>("copyProgress");
            QVERIFY(progress);
            QTRY_VERIFY(progress->isVisible());
            QVERIFY(p.page.copyProgress(50, 100, 1, 4));
            QCOMPARE(progress->value(), 500);
            QVERIFY(p.page.copyProgress(0, 0, 2, 4));
            QCOMPARE(progress->value(), 500);

            QPushButton* cancel = progress->findChild<QPushButton*>();
            QVERIFY(cancel);
            QCOMPARE(cancel->text(), QStringLiteral("キャンセル"));
            QTest::mouseClick(cancel, Qt::LeftButton);
            QVERIFY(!p.page.copyProgress(60, 100, 3, 4));
            // The button is a deliberate stop: nothing is asked.
            QVERIFY(p.messages.shown.empty());
            p.page.copyProgressFinished();
            QVERIFY(!p.page.findChild<QProgressDialog*>("copyProgress"));
            QTest::mouseClick(p.button("backButton"), Qt::LeftButton);
        });
    }

    void escape_or_the_close_box_in_the_copy_progress_asks_before_it_stops() {
        Page p;
        execDriven(p.page, [&] {
            const std::string question = "CD のコピーを中止しますか？\n"
                                         "作業フォルダには途中までコピーしたファイルが残ります。";
            for (bool escape : {true, false}) {
                p.messages.shown.clear();
                p.page.copyProgressStarted();
                auto* progress = p.page.findChild<QProgressDialog*>("copyProgress");
                QVERIFY(progress);
                QTRY_VERIFY(progress->isVisible());
                auto stopGesture = [&] {
                    if (escape) {
                        QTest::keyClick(progress, Qt::Key_Escape);
                    } else {
                        progress->close();
                    }
                };
                // "いいえ": the copy goes on with its window.
                p.messages.answer(MessageAnswer::No);
                stopGesture();
                QCOMPARE(p.messages.shown.size(), size_t(1));
                QCOMPARE(p.messages.shown[0].text, question);
                QVERIFY((p.messages.shown[0].style ==
                         MessageStyle{MessageButtons::YesNo, MessageIcon::Question, true}));
                QVERIFY(p.page.copyProgress(10, 100, 1, 4));
                QVERIFY(progress->isVisible());
                // "はい": the copy stops.
                p.messages.answer(MessageAnswer::Yes);
                stopGesture();
                QCOMPARE(p.messages.shown.size(), size_t(2));
                QVERIFY(!p.page.copyProgress(20, 100, 2, 4));
                p.page.copyProgressFinished();
            }
            QVERIFY(p.messages.unexpected.empty());
            QTest::mouseClick(p.button("backButton"), Qt::LeftButton);
        });
    }
};

QTEST_MAIN(ConfirmPageTest)
#include "ConfirmPageTest.moc"
