#pragma once

#include "check/CdModules.h"
#include "media/DriveSource.h"
#include "runner/MessageBox.h"
#include "settings/BuildSettings.h"
#include "source/Medium.h"
#include "sys/SearchPath.h"
#include "ui/PathDialog.h"
#include "ui/SettingsPageLayout.h"
#include "ui/VirtioWinGroup.h"
#include "wizard/CdDriveList.h"
#include "wizard/F6EntryChoice.h"
#include "wizard/SettingsForm.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ornibe {

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

    // Runs the file and folder dialogs; tests replace it.
    using DialogRunner = ornibe::DialogRunner;
    void setDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }

    // Asks which entries of a driver floppy to add (F6EntryDialog); the IDs
    // chosen, none when cancelled.
    using EntryChooser =
        std::function<std::vector<std::string>(QWidget* parent, const F6EntryList& list)>;

    // How the free space of the work folder is asked; tests replace it.
    void setFreeSpaceQuery(std::function<std::optional<std::uint64_t>(const std::string&)> query) {
        freeSpace_ = std::move(query);
    }

    // The source the checks of the last "次へ >" that passed read; null
    // when no CD is read.
    std::shared_ptr<const Medium> checkedSource() const { return checkedSource_; }
    // The CD's modules the checks read, for the later checks of the run.
    std::shared_ptr<CdModules> checkedModules() const { return checkedModules_; }

public slots:
    // "次へ >": the checks, then the confirmation page.
    void accept() override;
    // "終了" and the close box: asks before the program ends.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void connectControls();
    void initPage();
    // The first opening's size: every field in view where the screen has
    // room for them.
    void openAtFittingSize();
    // Shows the drive list's entries with the entry at position selected
    // (none when it stands for no source).
    void showDriveList(int position);
    // An entry of the CD drive list was chosen: the entries that choose an
    // image file or a folder open their dialog and add what was chosen.
    void driveChosen(int position);
    void proposeVolumeLabel(int position);
    void pickServicePack();
    void pickInf();
    void browseWorkFolder();
    void pickIsoPath();
    void pickUsbImage();
    void addTypedInf();
    void removeSelectedInf();
    void addDriverInfToList(const QString& text);
    void pickPnpInf();
    void pickTargetHardware();
    void pickDriverPack();
    void removeSelectedPnpInf();
    void showPnpList(const std::vector<std::string>& entries);
    void showAboutBox();

    int selectedDrivePosition() const override;
    std::string driveEntryText(int position) const override;
    std::string driveRoot(int position) const override;
    std::string volumeLabelText() const override;
    std::string servicePackText() const override;
    std::vector<std::string> infEntries() const override;
    std::string pendingInfText() const override;
    std::vector<std::string> pnpInfEntries() const override;
    std::string virtioWinText() const override;
    std::string driverPackText() const override;
    SetupAdditions setupAdditions() const override;
    std::optional<std::vector<std::string>> virtioWinDrivers() const override;
    bool bigDriveChecked() const override;
    bool reproducibleChecked() const override;
    std::string targetHardwareText() const override;
    std::string workFolderText() const override;
    std::string isoPathText() const override;
    std::string usbImageText() const override;
    std::string usbImageSizeText() const override;
    std::string usbDeviceText() const override;

    BuildSettings& settings_;
    DriveSource& drives_;
    MessageBox& messages_;
    ToolSearch tools_;
    DialogRunner runDialog_;
    EntryChooser chooseEntries_;
    std::function<std::optional<std::uint64_t>(const std::string&)> freeSpace_;
    std::shared_ptr<const Medium> checkedSource_;
    std::shared_ptr<CdModules> checkedModules_;

    SettingsControls ui_;
    // Below the driver lists.
    std::unique_ptr<VirtioWinGroup> virtioWin_;
    // What the CD drive list shows; each item of the list holds its
    // entry's root as its data.
    CdDriveList driveEntries_;
    int lastDrivePosition_ = -1;
    // The label the chosen source proposed, to take back when a source
    // without one is chosen while the field still holds it.
    std::optional<ProposedLabel> proposedLabel_;
};

} // namespace ornibe
