// Starts the wizard with sample drives and settings, and saves a picture of
// each page into the folder given as the only argument. Run under Xvfb by
// scripts/screenshots.sh, so that the Japanese texts are drawn with the
// installed fonts.

#include "ui/AboutBox.h"
#include "ui/PageLook.h"
#include "ui/WizardApp.h"

#include "PageDriver.h"
#include "fakes/FakeDriveSource.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

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
    if (argc != 2) {
        std::fprintf(stderr, "usage: ornibe_screenshots FOLDER\n");
        return 2;
    }
    QString folder = QString::fromLocal8Bit(argv[1]);
    QApplication::setWindowIcon(programIcon());
    QApplication::setFont(pageFont());
    setMessageBoxFunction([](const std::string& text, MessageStyle style) {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return style.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    });

    test::TempDir dir;
    dir.write("work/I386/TXTSETUP.SIF", "x");
    test::FakeDriveSource drives;
    drives.drives = {{"/dev/sr0", "/media/user/WXPFPP_JA", "WXPFPP_JA"},
                     {"/dev/sr1", "/dev/sr1", std::nullopt}};

    WizardApp* wizardPointer = nullptr;
    WizardApp wizard(drives, {[&](BuildPage& page) {
                                  BuildSettings& s = wizardPointer->settings();
                                  page.log().append(
                                      "ターゲット：\r\n      Windows XP Professional CD-ROM"
                                      "\r\n\r\nCD ドライブ：\r\n      " +
                                      s.GetCdDriveEntry() +
                                      "\r\n\r\nISO イメージのボリュームラベル：\r\n      " +
                                      s.GetVolumeLabel() +
                                      "\r\n\r\nService Pack ファイル：\r\n      なし"
                                      "\r\n\r\n追加するドライバ：\r\n      Sample SCSI Controller"
                                      "\r\n\r\n137GB 以上のハードディスク：\r\n      使用する"
                                      "\r\n\r\n作業フォルダ：\r\n      " +
                                      s.GetWorkFolder() + "\r\n\r\nISO イメージ：\r\n      " +
                                      s.GetIsoPath() + "\r\n\r\n");
                              },
                              {}});
    wizardPointer = &wizard;
    SettingsPage& settings = wizard.settingsPage();
    ConfirmPage& confirm = wizard.confirmPage();
    bool ok = true;

    QTimer::singleShot(200, &settings, [&] {
        auto* drivesList = test::child<QComboBox>(settings, "cdDriveList");
        drivesList->setCurrentIndex(1);
        test::child<QLineEdit>(settings, "volumeLabelEdit")->setText("WXPFPP_JA");
        auto* infs = test::child<QListWidget>(settings, "infList");
        infs->addItem(QString::fromStdString(dir.write("driver/sample.inf", "[Version]\r\n")));
        test::child<QLineEdit>(settings, "workFolderEdit")
            ->setText(QString::fromStdString(dir / "work"));
        test::child<QLineEdit>(settings, "isoPathEdit")
            ->setText(QString::fromStdString(dir / "xp.iso"));
        ok &= save(settings, folder, "settings-page.png");

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
            confirm.done(0);
        });
        test::child<QPushButton>(settings, "nextButton")->click();
        if (settings.isVisible()) {
            std::fprintf(stderr, "the settings page refused to go on\n");
            ok = false;
            settings.done(0);
        }
    });
    wizard.run();
    return ok ? 0 : 1;
}
