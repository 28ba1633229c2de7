// What the page's fields hold, as the settings checks read them.

#include "ui/SettingsPage.h"

#include "ui/DriveComboBox.h"
#include "ui/VirtioWinGroup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

namespace ornibe {

int SettingsPage::selectedDrivePosition() const {
    // The entries that open a dialog are no source themselves.
    return driveEntries_.sourcePosition(ui_.driveList->currentIndex());
}

std::string SettingsPage::driveEntryText(int position) const {
    return ui_.driveList->itemText(position).toStdString();
}

namespace {

// A list's entries from the top.
std::vector<std::string> listTexts(const QListWidget& list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.count(); ++i) {
        texts.push_back(list.item(i)->text().toStdString());
    }
    return texts;
}

} // namespace

std::string SettingsPage::driveRoot(int position) const {
    return ui_.driveList->itemData(position).toString().toStdString();
}

std::string SettingsPage::volumeLabelText() const {
    return ui_.volumeLabel->text().toStdString();
}

std::string SettingsPage::servicePackText() const {
    return ui_.servicePack->text().toStdString();
}

std::vector<std::string> SettingsPage::infEntries() const {
    return listTexts(*ui_.infList);
}

std::string SettingsPage::pendingInfText() const {
    return ui_.infEdit->text().toStdString();
}

std::vector<std::string> SettingsPage::pnpInfEntries() const {
    return listTexts(*ui_.pnpList);
}

std::string SettingsPage::driverPackText() const {
    return ui_.driverPack->text().trimmed().toStdString();
}

std::string SettingsPage::virtioWinText() const {
    return virtioWin_->pathText();
}

SetupAdditions SettingsPage::setupAdditions() const {
    // The dialog stores its values in the settings when it is left with OK.
    return settings_.getSetupAdditions();
}

std::optional<std::vector<std::string>> SettingsPage::virtioWinDrivers() const {
    return virtioWin_->drivers();
}

bool SettingsPage::bigDriveChecked() const {
    return ui_.bigDrive->isChecked();
}

bool SettingsPage::reproducibleChecked() const {
    return ui_.reproducible->isChecked();
}

std::string SettingsPage::targetHardwareText() const {
    return ui_.targetHardware->currentText().trimmed().toStdString();
}

std::string SettingsPage::workFolderText() const {
    return ui_.workFolder->text().toStdString();
}

std::string SettingsPage::isoPathText() const {
    return ui_.isoPath->text().toStdString();
}

std::string SettingsPage::usbImageText() const {
    return ui_.usbImage->text().toStdString();
}

std::string SettingsPage::usbImageSizeText() const {
    return ui_.usbImageSize->text().trimmed().toStdString();
}

std::string SettingsPage::usbDeviceText() const {
    return ui_.usbDevice->text().trimmed().toStdString();
}

} // namespace ornibe
