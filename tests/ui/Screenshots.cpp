// Starts the wizard over a copy of the shipped sample tree and driver and
// saves a picture of each page into the folder given as the first argument:
// the settings page, the answer file's dialog, the version box, the
// confirmation page with its summary, and the log of the finished build. Run under Xvfb by
// scripts/screenshots.sh, so that the Japanese texts are drawn with the
// installed fonts; the pages speak the language the environment asks for.
//
// The pictures show paths, so they are made under a neutral home folder
// given as the second argument, laid out as the README's walk-through
// leaves it: the checkout HOME/ornibe with its samples and the build's
// tool folder, and the copy of the sample tree in HOME/ornibe-try. The
// script prepares that folder and removes it afterwards.

#include "ui/AboutBox.h"
#include "ui/PageLook.h"
#include "ui/WizardApp.h"
#include "wizard/BuildHooks.h"

#include "PageDriver.h"
#include "support/FakeDriveSource.h"
#include "sys/SearchPath.h"
#include "sys/Translation.h"
#include "sys/UserLanguage.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

using namespace ornibe;

namespace {

bool save(QWidget& widget, const QString& folder, const char* name) {
    QString path = folder + "/" + QString::fromLatin1(name);
    bool ok = widget.grab().save(path);
    std::fprintf(stderr, "%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: ornibe_screenshots FOLDER HOME\n");
        return 2;
    }
    QString folder = QString::fromLocal8Bit(argv[1]);
    std::filesystem::path home = argv[2];
    QApplication::setWindowIcon(programIcon());
    QApplication::setFont(pageFont());
    HostEnvironment environment = HostEnvironment::ofThisProcess();
    if (!loadPageTexts(userLanguage(environment))) {
        std::fprintf(stderr, "the pages' English translation could not be loaded\n");
        return 2;
    }
    // The texts of the core (the log, the messages) follow the same language.
    if (const auto missing = speakLanguage(userLanguage(environment))) {
        std::fprintf(stderr, "no English texts in %s\n", missing->c_str());
        return 2;
    }

    // The walk-through of the README: the sample tree copied to a work
    // folder, no CD read, the sample driver of the checkout, an ISO beside
    // the tree, the tools of the checkout's build.
    std::filesystem::path work = home / "ornibe-try/xp";
    std::string driverInf = (home / "ornibe/samples/driver/OrScsi.inf").string();
    std::string isoPath = (home / "ornibe-try/sample.iso").string();
    const ToolSearch tools((home / "ornibe/build/tooldir").string(), ".", std::move(environment));
    if (!std::filesystem::is_directory(work) || !std::filesystem::is_regular_file(driverInf)) {
        std::fprintf(stderr, "%s holds no sample tree or driver\n", home.c_str());
        return 2;
    }

    test::FakeDriveSource drives;
    drives.drives = {{"/dev/sr0", "/dev/sr0", std::nullopt}};
    // The last message box of a good build says that it is finished: the
    // finished log is shot behind it. Whether the build finished is told by
    // the page after it, in any language: it has ended, or it keeps the
    // results with "< 戻る" disabled.
    struct ShotMessages : MessageBox {
        std::function<MessageAnswer(const std::string&, MessageStyle)> answer;
        MessageAnswer show(const std::string& text, MessageStyle style) override {
            return answer(text, style);
        }
    } messages;
    WizardApp wizard(drives, messages, tools);
    wizard.confirmPage().setHooks(buildHooks(wizard.settings(), wizard.confirmData(), tools));
    SettingsPage& settings = wizard.settingsPage();
    ConfirmPage& confirm = wizard.confirmPage();
    bool ok = true;
    bool finished = false;
    bool running = false;

    messages.answer = [&](const std::string& text, MessageStyle style) {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        if (running && style.buttons == MessageButtons::Ok) {
            ok &= save(confirm, folder, "build-log.png");
        }
        return style.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    };

    QTimer::singleShot(200, &settings, [&] {
        test::child<QComboBox>(settings, "cdDriveList")->setCurrentIndex(0);
        test::child<QLineEdit>(settings, "volumeLabelEdit")->setText("ORNIBE_XP");
        test::child<QLineEdit>(settings, "infEdit")->setText(QString::fromStdString(driverInf));
        test::child<QPushButton>(settings, "infAddButton")->click();
        test::child<QLineEdit>(settings, "workFolderEdit")
            ->setText(QString::fromStdString(work.string()));
        test::child<QLineEdit>(settings, "isoPathEdit")->setText(QString::fromStdString(isoPath));
        ok &= save(settings, folder, "settings-page.png");

        // The answer file's dialog, filled in as for an unattended
        // installation, and left without a change.
        test::onNextModal([&](QWidget* dialog) {
            QTimer::singleShot(200, dialog, [&, dialog] {
                auto* page = static_cast<QDialog*>(dialog);
                test::child<QRadioButton>(*page, "writeAnswerFileRadio")->setChecked(true);
                test::child<QLineEdit>(*page, "fullNameEdit")->setText("Taro Yamada");
                test::child<QLineEdit>(*page, "organizationEdit")->setText("Ornibe Lab");
                ok &= save(*page, folder, "answer-file-dialog.png");
                page->reject();
            });
        });
        test::child<QPushButton>(settings, "answerFileButton")->click();

        test::onNextModal([&](QWidget* box) {
            QTimer::singleShot(200, box, [&, box] {
                ok &= save(*box, folder, "about-box.png");
                static_cast<QDialog*>(box)->accept();
            });
        });
        AboutBox about(&settings);
        about.exec();

        QTimer::singleShot(200, &confirm, [&] {
            ok &= save(confirm, folder, "confirm-page.png");
            running = true;
            test::child<QPushButton>(confirm, "runButton")->click();
            running = false;
            finished = !confirm.isVisible() ||
                       !test::child<QPushButton>(confirm, "backButton")->isEnabled();
            if (finished && confirm.isVisible()) {
                // A build with more to tell keeps its page open for the log.
                confirm.done(0);
            } else if (confirm.isVisible()) {
                std::fprintf(stderr, "the build did not finish\n");
                ok &= save(confirm, folder, "build-log.png");
                confirm.done(0);
            }
        });
        test::child<QPushButton>(settings, "nextButton")->click();
        if (settings.isVisible()) {
            std::fprintf(stderr, "the settings page refused to go on\n");
            ok = false;
            settings.done(0);
        }
    });
    wizard.run();
    return ok && finished ? 0 : 1;
}
