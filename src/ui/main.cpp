#include "ui/PageLook.h"
#include "ui/QtMessageBox.h"
#include "ui/WizardApp.h"
#include "ui/core/BuildHooks.h"
#include "ui/core/MessageBoxHook.h"
#include "ui/core/SystemDriveSource.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ornibe"));
    QApplication::setDesktopFileName(QStringLiteral("ornibe"));
    QApplication::setWindowIcon(ornibe::programIcon());
    QApplication::setFont(ornibe::pageFont());
    ornibe::loadJapaneseQtTexts();

    ornibe::QtMessageBox screenBox;
    ornibe::setMessageBoxFunction(
        [&screenBox](const std::string& text, ornibe::MessageStyle style) {
            return screenBox.show(text, style);
        });

    ornibe::SystemDriveSource drives;
    ornibe::WizardApp wizard(drives);
    wizard.confirmPage().setHooks(ornibe::buildHooks(wizard.settings(), wizard.confirmData()));
    wizard.run();
    return 0;
}
