#pragma once

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;

namespace ornibe {

class DriveComboBox;

// The controls of the settings page, as buildSettingsPage() lays them out.
struct SettingsControls {
    DriveComboBox* driveList;
    QLineEdit* volumeLabel;
    QLineEdit* servicePack;
    QPushButton* servicePackButton;
    QPushButton* infPickButton;
    QLineEdit* infEdit;
    QListWidget* infList;
    QPushButton* infAddButton;
    QPushButton* infRemoveButton;
    // A folder of drivers to choose text-mode drivers from.
    QLineEdit* driverPack;
    QPushButton* driverPackButton;
    // The Plug and Play drivers for GUI-mode setup: the add button picks
    // an INF file and lists it.
    QListWidget* pnpList;
    QPushButton* pnpAddButton;
    QPushButton* pnpRemoveButton;
    QCheckBox* bigDrive;
    QLineEdit* workFolder;
    QPushButton* workFolderButton;
    QLineEdit* isoPath;
    QPushButton* isoPathButton;
    QPushButton* nextButton;
    QPushButton* quitButton;
    // Opens the dialog of the unattended-installation answer file.
    QPushButton* answerFileButton;
    // Opens the dialog of hotfixes, $OEM$ files and commands for setup.
    QPushButton* setupAdditionsButton;
    // The image the same from the same inputs.
    QCheckBox* reproducible;
    // 対象のハードウェア: a QEMU machine from the list, or a file of lspci
    // output typed or picked with the button.
    QComboBox* targetHardware;
    QPushButton* targetHardwareButton;
    // USB メモリ用イメージ: the stick image's file name and its size.
    QLineEdit* usbImage;
    QLineEdit* usbImageSize;
    QLineEdit* usbDevice;
    QPushButton* usbImageButton;
    // The version box's entry, in the page's context menu and on Alt+A.
    QAction* about;
    // The fields above the buttons, which scroll when the screen is too
    // small for the page.
    QScrollArea* fields;
};

// Gives page its window look and builds its controls, with the texts and
// object names they are found by, top to bottom: the CD drive and the
// volume label, the Service Pack, the driver INF list, the PnP driver list,
// Big Drive, the work
// folder and the ISO file, then "次へ >" and "終了". The page fills and
// connects them.
SettingsControls buildSettingsPage(QDialog& page);

} // namespace ornibe
