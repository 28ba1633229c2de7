#include "ui/SettingsPage.h"

#include "runner/F6Summary.h"
#include "settings/PageCode.h"
#include "sys/HostPath.h"
#include "ui/AboutBox.h"
#include "ui/AnswerFileDialog.h"
#include "ui/DriveComboBox.h"
#include "ui/F6EntryDialog.h"
#include "ui/PageLook.h"
#include "ui/SetupAdditionsDialog.h"
#include "wizard/ChosenSource.h"
#include "wizard/DriverPackCheck.h"
#include "wizard/InfListEntries.h"
#include "wizard/PnpDriverList.h"
#include "wizard/SettingsChecks.h"
#include "wizard/VirtioWinCheck.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStyle>
#include <QVBoxLayout>

namespace ornibe {

SettingsPage::SettingsPage(BuildSettings& settings, DriveSource& drives, MessageBox& messages,
                           ToolSearch tools, QWidget* parent)
    : QDialog(parent), settings_(settings), drives_(drives), messages_(messages),
      tools_(std::move(tools)), runDialog_(runFileDialog),
      chooseEntries_([](QWidget* parent, const F6EntryList& list) {
          F6EntryDialog dialog(list, parent);
          return dialog.exec() == QDialog::Accepted ? dialog.chosenIds()
                                                    : std::vector<std::string>{};
      }),
      freeSpace_(bytesFree), ui_(buildSettingsPage(*this)) {
    // The virtio-win field stands below the driver lists, beside the
    // big-disk group, in the tab order after the lists.
    virtioWin_ = std::make_unique<VirtioWinGroup>(ui_.fields->widget(), runDialog_);
    auto* column = qobject_cast<QVBoxLayout*>(ui_.fields->widget()->layout());
    QWidget* bigDriveGroup = ui_.bigDrive->parentWidget();
    if (column != nullptr && column->indexOf(bigDriveGroup) >= 0) {
        const int at = column->indexOf(bigDriveGroup);
        column->removeWidget(bigDriveGroup);
        auto* row = new QHBoxLayout;
        row->addWidget(virtioWin_->group(), 1);
        row->addWidget(bigDriveGroup, 0);
        column->insertLayout(at, row);
    }
    virtioWin_->placeInTabOrder(ui_.pnpRemoveButton, ui_.bigDrive);
    connectControls();
}

void SettingsPage::connectControls() {
    connect(ui_.driveList, &DriveComboBox::aboutToDropDown, this, [this] {
        driveEntries_.relist(drives_);
        showDriveList(ui_.driveList->currentIndex());
    });
    connect(ui_.driveList, &QComboBox::activated, this, &SettingsPage::driveChosen);
    connect(ui_.servicePackButton, &QPushButton::clicked, this, &SettingsPage::pickServicePack);
    connect(ui_.infPickButton, &QPushButton::clicked, this, &SettingsPage::pickInf);
    connect(ui_.infAddButton, &QPushButton::clicked, this, &SettingsPage::addTypedInf);
    connect(ui_.infRemoveButton, &QPushButton::clicked, this, &SettingsPage::removeSelectedInf);
    // Choosing an entry of the list shows it in the edit line above, as a
    // simple combo box does.
    connect(ui_.infList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ui_.infEdit->setText(item->text()); });
    connect(ui_.pnpAddButton, &QPushButton::clicked, this, &SettingsPage::pickPnpInf);
    connect(ui_.pnpRemoveButton, &QPushButton::clicked, this, &SettingsPage::removeSelectedPnpInf);
    connect(ui_.workFolderButton, &QPushButton::clicked, this, &SettingsPage::browseWorkFolder);
    connect(ui_.isoPathButton, &QPushButton::clicked, this, &SettingsPage::pickIsoPath);
    connect(ui_.usbImageButton, &QPushButton::clicked, this, &SettingsPage::pickUsbImage);
    connect(ui_.targetHardwareButton, &QPushButton::clicked, this,
            &SettingsPage::pickTargetHardware);
    connect(ui_.driverPackButton, &QPushButton::clicked, this, &SettingsPage::pickDriverPack);
    connect(ui_.workFolder, &QLineEdit::textChanged, this,
            [this](const QString& text) { ui_.nextButton->setEnabled(!text.isEmpty()); });
    connect(ui_.nextButton, &QPushButton::clicked, this, &SettingsPage::accept);
    connect(ui_.quitButton, &QPushButton::clicked, this, &SettingsPage::reject);
    connect(ui_.answerFileButton, &QPushButton::clicked, this,
            [this] { editAnswerFile(settings_, this); });
    connect(ui_.setupAdditionsButton, &QPushButton::clicked, this,
            [this] { editSetupAdditions(settings_, runDialog_, this); });
    connect(ui_.about, &QAction::triggered, this, &SettingsPage::showAboutBox);
}

int SettingsPage::exec() {
    initPage();
    // Later openings keep the size the page was left at.
    if (!testAttribute(Qt::WA_Resized)) {
        openAtFittingSize();
    }
    return QDialog::exec();
}

void SettingsPage::openAtFittingSize() {
    ensurePolished();
    QSize wanted = sizeHint();
    // The least height that shows every field: the driver list gives up
    // its extra lines before the fields scroll.
    int whole = wanted.height() - ui_.fields->sizeHint().height() +
                ui_.fields->widget()->minimumSizeHint().height();
    resize(openingSize(wanted, whole, roomOnScreen(*this),
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this)));
}

void SettingsPage::initPage() {
    // An image or folder chosen before (the page is shown again after
    // "< 戻る") keeps its entry.
    driveEntries_.relist(drives_);
    if (settings_.GetCdDriveIndex() > 0 && !settings_.GetCdDriveEntry().empty()) {
        driveEntries_.keep({settings_.getCdDriveRoot(), settings_.GetCdDriveEntry()});
    }
    showDriveList(settings_.GetCdDriveIndex());
    lastDrivePosition_ = ui_.driveList->currentIndex();
    ui_.volumeLabel->setText(QString::fromStdString(settings_.GetVolumeLabel()));
    ui_.servicePack->setText(QString::fromStdString(settings_.GetServicePackPath()));
    ui_.infEdit->clear();
    ui_.infList->clear();
    for (int i = 0;; ++i) {
        std::string inf = settings_.GetDriverInf(i);
        if (inf.empty()) {
            break;
        }
        if (isVirtioWinInf(settings_.getVirtioWin(), inf) ||
            isDriverPackEntry(settings_.getDriverPack(), inf)) {
            continue;
        }
        // A floppy shows one entry per chosen entry, as it was added.
        bool named = false;
        for (const DriverEntryChoice& choice : settings_.getDriverEntries()) {
            if (choice.source == inf) {
                ui_.infList->addItem(QString::fromStdString(driverEntryText(inf, choice.id)));
                named = true;
            }
        }
        if (!named) {
            ui_.infList->addItem(QString::fromStdString(inf));
        }
    }
    showPnpList(withoutVirtioWinInfs(settings_.pnpDriverInfList(), settings_.getVirtioWin()));
    virtioWin_->show(settings_.getVirtioWin());
    ui_.driverPack->setText(QString::fromStdString(settings_.getDriverPack().source));
    ui_.bigDrive->setChecked(settings_.GetBigDrive() != 0);
    ui_.reproducible->setChecked(settings_.getImageEpoch().has_value());
    ui_.workFolder->setText(QString::fromStdString(settings_.GetWorkFolder()));
    ui_.nextButton->setEnabled(!ui_.workFolder->text().isEmpty());
    ui_.isoPath->setText(QString::fromStdString(settings_.GetIsoPath()));
    ui_.usbImage->setText(QString::fromStdString(settings_.getUsbImagePath()));
    if (settings_.getUsbImageSize() != 0) {
        ui_.usbImageSize->setText(QString::number(settings_.getUsbImageSize()));
    }
    ui_.usbDevice->setText(QString::fromStdString(settings_.getUsbDevice()));
    ui_.targetHardware->setEditText(QString::fromStdString(settings_.getTargetHardware()));
    ui_.driveList->setFocus();
}

void SettingsPage::showDriveList(int position) {
    ui_.driveList->clear();
    for (const DriveEntry& entry : driveEntries_.entries()) {
        ui_.driveList->addItem(QString::fromStdString(entry.text),
                               QString::fromStdString(entry.root));
    }
    // The selection follows the position, not the drive: a position past
    // the end leaves nothing selected.
    ui_.driveList->setCurrentIndex(driveEntries_.sourcePosition(position));
}

void SettingsPage::driveChosen(int position) {
    CdDriveList::Kind kind = driveEntries_.kindAt(position);
    if (kind == CdDriveList::Kind::Source) {
        lastDrivePosition_ = position;
        proposeVolumeLabel(position);
        return;
    }
    PathDialogSpec spec;
    spec.title = tr("開く");
    if (kind == CdDriveList::Kind::PickImage) {
        spec.name = "cdImageDialog";
        spec.filters = {tr("ISO イメージファイル (*.iso)"), tr("すべてのファイル (*)")};
    } else {
        spec.name = "cdFolderDialog";
        spec.mode = PathDialogSpec::Mode::Folder;
    }
    QString path = choosePath(this, spec, runDialog_);
    if (path.isEmpty()) {
        // Nothing chosen: the entry chosen before stays.
        ui_.driveList->setCurrentIndex(driveEntries_.sourcePosition(lastDrivePosition_));
        return;
    }
    // The image or folder shows as a drive does: its path and its volume
    // label, as ornibe-build names the same source.
    driveEntries_.relist(drives_);
    int chosen = driveEntries_.keep(chosenSourceEntry(path.toStdString(), drives_));
    showDriveList(chosen);
    lastDrivePosition_ = chosen;
    proposeVolumeLabel(chosen);
}

void SettingsPage::proposeVolumeLabel(int position) {
    const std::string field = ui_.volumeLabel->text().toStdString();
    const std::string label =
        labelAfterSourceChoice(proposedLabel_, field, driveEntries_.proposedLabel(position));
    if (label != field) {
        ui_.volumeLabel->setText(QString::fromStdString(label));
    }
}

void SettingsPage::pickServicePack() {
    PathDialogSpec spec;
    spec.name = "servicePackDialog";
    spec.title = tr("開く");
    spec.suffix = QStringLiteral("exe");
    spec.filters = {tr("Service Pack ファイル (*.exe)")};
    spec.folder = startFolder(ui_.servicePack->text());
    spec.fills = ui_.servicePack;
    choosePath(this, spec, runDialog_);
}

void SettingsPage::pickInf() {
    PathDialogSpec spec;
    spec.name = "infDialog";
    spec.title = tr("開く");
    spec.suffix = QStringLiteral("inf");
    // A driver floppy is picked as its TXTSETUP.OEM or its image.
    spec.filters = {tr("INF ファイル (*.inf)"),
                    tr("ドライバのフロッピー (TXTSETUP.OEM txtsetup.oem *.img *.IMG "
                       "*.ima *.IMA *.vfd *.VFD *.flp *.FLP)"),
                    tr("すべてのファイル (*)")};
    // Opens at the folder of the typed name, or else of the last listed one.
    QString current = ui_.infEdit->text();
    if (current.isEmpty() && ui_.infList->count() > 0) {
        current = ui_.infList->item(ui_.infList->count() - 1)->text();
    }
    spec.folder = startFolder(current);
    spec.use = [this](const QString& path) { addDriverInfToList(path); };
    choosePath(this, spec, runDialog_);
}

void SettingsPage::browseWorkFolder() {
    PathDialogSpec spec;
    spec.name = "workFolderDialog";
    spec.title = tr("フォルダを選択してください");
    spec.mode = PathDialogSpec::Mode::Folder;
    // Opens at the folder the field holds (or the nearest one above it
    // that exists), at the desktop when it is empty.
    QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    QString folder = startFolder(ui_.workFolder->text());
    spec.folder = !folder.isEmpty() ? folder : QDir(desktop).exists() ? desktop : QDir::homePath();
    spec.fills = ui_.workFolder;
    choosePath(this, spec, runDialog_);
}

void SettingsPage::pickIsoPath() {
    PathDialogSpec spec;
    spec.name = "isoDialog";
    spec.title = tr("名前を付けて保存");
    spec.mode = PathDialogSpec::Mode::SaveFile;
    spec.suffix = QStringLiteral("iso");
    spec.filters = {tr("ISO イメージファイル (*.iso)"), tr("すべてのファイル (*)")};
    // The image tool runs in the work folder: a relative name is there.
    spec.folder = startFolder(ui_.isoPath->text(), ui_.workFolder->text().toStdString());
    spec.fills = ui_.isoPath;
    choosePath(this, spec, runDialog_);
}

void SettingsPage::pickUsbImage() {
    PathDialogSpec spec;
    spec.name = "usbImageDialog";
    spec.title = tr("名前を付けて保存");
    spec.mode = PathDialogSpec::Mode::SaveFile;
    spec.suffix = QStringLiteral("img");
    spec.filters = {tr("ディスクイメージ (*.img)"), tr("すべてのファイル (*)")};
    spec.folder = startFolder(ui_.usbImage->text(), ui_.workFolder->text().toStdString());
    spec.fills = ui_.usbImage;
    choosePath(this, spec, runDialog_);
}

void SettingsPage::addTypedInf() {
    QString text = ui_.infEdit->text();
    if (text.isEmpty()) {
        return;
    }
    // Kept exactly as typed; it is made absolute when "次へ >" stores it.
    addDriverInfToList(text);
    ui_.infEdit->clear();
}

void SettingsPage::removeSelectedInf() {
    QListWidgetItem* item = ui_.infList->currentItem();
    if (item == nullptr || !item->isSelected()) {
        return;
    }
    // Clicking the entry showed it in the field; left there, "次へ >" would
    // add it back.
    if (ui_.infEdit->text() == item->text()) {
        ui_.infEdit->clear();
    }
    delete ui_.infList->takeItem(ui_.infList->row(item));
}

void SettingsPage::addDriverInfToList(const QString& text) {
    // A driver floppy adds the entries chosen from it; one that cannot be
    // read is listed as it is, and "次へ >" says why it is refused.
    // The entries of a floppy with both sets are those of the tree's
    // architecture: the chosen source's, or the work folder's.
    const int position = selectedDrivePosition();
    const std::string tree = position > 0               ? driveEntries_.entries()[position].root
                             : workFolderText().empty() ? std::string()
                                                        : makeAbsolute(workFolderText());
    if (Result<F6EntryList> floppy = f6EntryRows(text.toStdString(), tools_, tree);
        floppy && !floppy->rows.empty()) {
        for (const std::string& entry : f6ListTexts(*floppy, chooseEntries_(this, *floppy))) {
            if (!infListHolds(infEntries(), entry)) {
                ui_.infList->addItem(QString::fromStdString(entry));
            }
        }
        return;
    }
    if (!infListHolds(infEntries(), text.toStdString())) {
        ui_.infList->addItem(text);
    }
}

void SettingsPage::pickPnpInf() {
    PathDialogSpec spec;
    spec.name = "pnpInfDialog";
    spec.title = tr("開く");
    spec.suffix = QStringLiteral("inf");
    spec.filters = {tr("INF ファイル (*.inf)")};
    QString current;
    if (ui_.pnpList->count() > 0) {
        current = ui_.pnpList->item(ui_.pnpList->count() - 1)->text();
    }
    spec.folder = startFolder(current);
    spec.use = [this](const QString& path) {
        showPnpList(pnpListWith(pnpInfEntries(), path.toStdString()));
    };
    choosePath(this, spec, runDialog_);
}

void SettingsPage::removeSelectedPnpInf() {
    QListWidgetItem* item = ui_.pnpList->currentItem();
    if (item == nullptr || !item->isSelected()) {
        return;
    }
    showPnpList(pnpListWithout(pnpInfEntries(), ui_.pnpList->row(item)));
}

void SettingsPage::showPnpList(const std::vector<std::string>& entries) {
    ui_.pnpList->clear();
    for (const std::string& entry : entries) {
        ui_.pnpList->addItem(QString::fromStdString(entry));
    }
}

void SettingsPage::showAboutBox() {
    AboutBox box(this);
    box.exec();
}

void SettingsPage::accept() {
    if (!ui_.nextButton->isEnabled()) {
        return;
    }
    // A name typed but not added goes into the list first, so that the
    // list shows what the checks take.
    addTypedInf();
    SettingsChecks checks(settings_, drives_, messages_, tools_, freeSpace_);
    checks.setAnswerFileOpener([this] { editAnswerFile(settings_, this); });
    if (checks.OnOK(*this)) {
        checkedSource_ = checks.source();
        checkedModules_ = checks.cdModules();
        done(PageCode::Confirm);
    }
}

void SettingsPage::reject() {
    MessageStyle style{MessageButtons::OkCancel, MessageIcon::Information, true};
    if (messages_.show(tr("終了します。").toStdString(), style) == MessageAnswer::Ok) {
        done(PageCode::Quit);
    }
}

void SettingsPage::keyPressEvent(QKeyEvent* event) {
    // Enter in the INF field adds what it holds to the list, as the add
    // button does; it never stands for "次へ >" there.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        focusWidget() == ui_.infEdit) {
        event->accept();
        addTypedInf();
        return;
    }
    if (!handlePageKey(*this, *event)) {
        QDialog::keyPressEvent(event);
    }
}

void SettingsPage::pickTargetHardware() {
    PathDialogSpec spec;
    spec.name = "targetHardwareDialog";
    spec.title = tr("開く");
    spec.filters = {tr("lspci の出力 (*.txt)"), tr("すべてのファイル (*)")};
    spec.folder = startFolder(ui_.targetHardware->currentText());
    spec.fills = ui_.targetHardware->lineEdit();
    choosePath(this, spec, runDialog_);
}

void SettingsPage::pickDriverPack() {
    PathDialogSpec spec;
    spec.name = "driverPackDialog";
    spec.title = tr("ドライバパックのフォルダ");
    spec.mode = PathDialogSpec::Mode::Folder;
    spec.folder = startFolder(ui_.driverPack->text());
    spec.fills = ui_.driverPack;
    choosePath(this, spec, runDialog_);
}

} // namespace ornibe
