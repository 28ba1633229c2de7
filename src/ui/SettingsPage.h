#pragma once

#include "media/DriveSource.h"
#include "runner/MessageBox.h"
#include "settings/BuildSettings.h"
#include "settings/CdDriveEntry.h"
#include "sys/SearchPath.h"
#include "wizard/SettingsForm.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;

namespace ornibe {

class DriveComboBox;

// The first wizard page: where the CD comes from, the volume label, the
// Service Pack, the driver INF list, Big Drive, the work folder and the ISO
// file. exec() refills every control from the settings and returns the
// page code: 2 after "次へ >" passed its checks, 0 after "終了".
class SettingsPage : public QDialog, private SettingsForm {
    Q_OBJECT
public:
    // The checks on "次へ >" look for Wine and the spare boot sector where
    // tools says.
    SettingsPage(BuildSettings& settings, DriveSource& drives, MessageBox& messages,
                 ToolSearch tools, QWidget* parent = nullptr);

    int exec() override;

    // Runs a file or folder dialog and returns the chosen path, or the
    // empty text when it was cancelled. Tests replace it.
    using DialogRunner = std::function<QString(QFileDialog& dialog)>;
    void setDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }

    // How the free space of the work folder is asked; tests replace it.
    void setFreeSpaceQuery(std::function<std::optional<std::uint64_t>(const std::string&)> query) {
        freeSpace_ = std::move(query);
    }

public slots:
    // "次へ >": the checks, then the confirmation page.
    void accept() override;
    // "終了" and the close box: asks before the program ends.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A file or folder dialog: what it shows, where it opens and where the
    // chosen path goes.
    struct DialogSpec {
        enum class Mode { OpenFile, Folder, SaveFile };
        // The object name tests find the dialog by.
        const char* name = "";
        QString title;
        Mode mode = Mode::OpenFile;
        QString suffix;
        QStringList filters;
        // The folder it opens at; empty leaves the dialog's own.
        QString folder;
        // The field the chosen path is written into, if any.
        QLineEdit* fills = nullptr;
        // What else is done with the chosen path, if anything.
        std::function<void(const QString&)> use;
    };

    // A group that holds one path: its title and label, the edit line and
    // the button that opens its dialog, with their object names.
    struct PathGroupSpec {
        QString title;
        const char* name;
        QString label;
        const char* editName;
        QString buttonText;
        const char* buttonName;
    };

    // The page's parts, each built with its controls and inner layout.
    void setUpWindow();
    QGroupBox* buildPathGroup(const PathGroupSpec& spec, QLineEdit*& edit, QPushButton*& button);
    QLayout* buildDriveRow();
    QGroupBox* buildServicePackGroup();
    QGroupBox* buildDriverGroup();
    QGroupBox* buildBigDriveGroup();
    QGroupBox* buildWorkFolderGroup();
    QGroupBox* buildIsoGroup();
    QLayout* buildButtonRow();
    // Stacks the fields, each group with its stretch, in a scroll area.
    QScrollArea* buildFieldArea(QLayout* driveRow,
                                std::initializer_list<std::pair<QGroupBox*, int>> groups);
    void setControlTabOrder();
    void addAboutAction();
    void connectControls();

    void initPage();
    // The first opening's size: every field in view where the screen has
    // room for them.
    void openAtFittingSize();
    // Lists the drives again, or shows the entries just listed.
    void fillDriveList(int position);
    void fillDriveList(int position, const std::vector<DriveEntry>& listed);
    // An entry of the CD drive list was chosen: the entries that choose an
    // image file or a folder open their dialog and add what was chosen.
    void driveChosen(int position);
    void proposeVolumeLabel(int position);
    // Runs the dialog the spec describes and hands the chosen path on;
    // returns it, or the empty text when the dialog was cancelled.
    QString choosePath(const DialogSpec& spec);
    void pickServicePack();
    void pickInf();
    void browseWorkFolder();
    void pickIsoPath();
    void addTypedInf();
    void removeSelectedInf();
    void addDriverInfToList(const QString& text);
    void showAboutBox();

    int selectedDrivePosition() const override;
    std::string driveEntryText(int position) const override;
    std::string driveRoot(int position) const override;
    std::string volumeLabelText() const override;
    std::string servicePackText() const override;
    std::vector<std::string> infEntries() const override;
    std::string pendingInfText() const override;
    bool bigDriveChecked() const override;
    std::string workFolderText() const override;
    std::string isoPathText() const override;

    BuildSettings& settings_;
    DriveSource& drives_;
    MessageBox& messages_;
    ToolSearch tools_;
    DialogRunner runDialog_;
    std::function<std::optional<std::uint64_t>(const std::string&)> freeSpace_;

    DriveComboBox* driveList_;
    // Images and folders chosen as the source, listed after the drives.
    // Each item of the list holds its entry's root as its data.
    std::vector<DriveEntry> chosenSources_;
    int lastDrivePosition_ = -1;
    QLineEdit* volumeLabel_;
    QLineEdit* servicePack_;
    QPushButton* servicePackButton_;
    QPushButton* infPickButton_;
    QLineEdit* infEdit_;
    QListWidget* infList_;
    QPushButton* infAddButton_;
    QPushButton* infRemoveButton_;
    QCheckBox* bigDrive_;
    QLineEdit* workFolder_;
    QPushButton* workFolderButton_;
    QLineEdit* isoPath_;
    QPushButton* isoPathButton_;
    QPushButton* nextButton_;
    QPushButton* quitButton_;
    QScrollArea* fields_;
};

} // namespace ornibe
