#include "ui/SettingsPage.h"

#include "media/VolumeDescriptor.h"
#include "settings/CdDriveEntry.h"
#include "settings/PageCode.h"
#include "sys/HostPath.h"
#include "ui/AboutBox.h"
#include "ui/DriveComboBox.h"
#include "ui/PageLook.h"
#include "wizard/DriveListEntries.h"
#include "wizard/InfListEntries.h"
#include "wizard/SettingsChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace ornibe {

namespace {

QString runFileDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

// A scroll area that asks for all the room its fields want, so the page
// opens at its full size wherever the screen allows, and that can shrink
// to a few lines.
class FieldScrollArea : public QScrollArea {
public:
    explicit FieldScrollArea(QWidget* parent) : QScrollArea(parent) {
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
    }

    QSize sizeHint() const override {
        QSize size = widget() != nullptr ? widget()->sizeHint() : QSize();
        int frame = 2 * frameWidth();
        return size + QSize(frame, frame);
    }

    QSize minimumSizeHint() const override {
        int line = fontMetrics().height();
        return {line * 12, line * 6};
    }
};

// The folder a file dialog opens at for a field's text: the folder of the
// path it holds (relative paths against base), or the nearest existing
// folder above it; the empty text when the field is empty.
QString startFolder(const QString& text, const std::string& base = {}) {
    if (text.isEmpty()) {
        return {};
    }
    std::string path = makeAbsolute(text.toStdString(), base);
    while (!path.empty() && path != "/" && !existsAsFolder(path)) {
        path = folderPart(path);
    }
    return path.empty() ? QString() : QString::fromStdString(path);
}

QPushButton* makeButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QLineEdit* makeEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 40);
    return edit;
}

} // namespace

SettingsPage::SettingsPage(BuildSettings& settings, DriveSource& drives, MessageBox& messages,
                           ToolSearch tools, QWidget* parent)
    : QDialog(parent), settings_(settings), drives_(drives), messages_(messages),
      tools_(std::move(tools)), runDialog_(runFileDialog), freeSpace_(bytesFree) {
    setUpWindow();
    QLayout* driveRow = buildDriveRow();
    QGroupBox* servicePackGroup = buildServicePackGroup();
    QGroupBox* driverGroup = buildDriverGroup();
    QGroupBox* bigDriveGroup = buildBigDriveGroup();
    QGroupBox* workFolderGroup = buildWorkFolderGroup();
    QGroupBox* isoGroup = buildIsoGroup();
    QLayout* buttonRow = buildButtonRow();
    // The driver list takes the height the other fields leave.
    fields_ = buildFieldArea(driveRow, {{servicePackGroup, 0},
                                        {driverGroup, 1},
                                        {bigDriveGroup, 0},
                                        {workFolderGroup, 0},
                                        {isoGroup, 0}});
    // The fields scroll; the buttons below them always stay in view.
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fields_, 1);
    layout->addLayout(buttonRow);
    setControlTabOrder();
    addAboutAction();
    connectControls();
}

void SettingsPage::setUpWindow() {
    setObjectName(QStringLiteral("settingsPage"));
    setWindowTitle(QStringLiteral("ornibe"));
    setWindowIcon(programIcon());
    setFont(pageFont());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

// The CD drive and the volume label, side by side.
QLayout* SettingsPage::buildDriveRow() {
    driveList_ = new DriveComboBox(this);
    driveList_->setObjectName(QStringLiteral("cdDriveList"));
    driveList_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    driveList_->setMinimumContentsLength(24);
    volumeLabel_ = makeEdit("volumeLabelEdit", this);
    volumeLabel_->setMinimumWidth(volumeLabel_->fontMetrics().averageCharWidth() * 16);
    auto* driveLabel = new QLabel(QStringLiteral("読込元のCDドライブ :"), this);
    driveLabel->setBuddy(driveList_);
    auto* labelLabel = new QLabel(QStringLiteral("ボリュームラベル :"), this);
    labelLabel->setBuddy(volumeLabel_);
    auto* row = new QHBoxLayout;
    row->addWidget(driveLabel);
    row->addWidget(driveList_, 2);
    row->addSpacing(8);
    row->addWidget(labelLabel);
    row->addWidget(volumeLabel_, 1);
    return row;
}

// A group of one path: its label over the edit line, the button beside it.
QGroupBox* SettingsPage::buildPathGroup(const PathGroupSpec& spec, QLineEdit*& edit,
                                        QPushButton*& button) {
    auto* group = new QGroupBox(spec.title, this);
    group->setObjectName(QString::fromLatin1(spec.name));
    edit = makeEdit(spec.editName, group);
    button = makeButton(spec.buttonText, spec.buttonName, group);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(spec.label, group), 0, 0, 1, 2);
    grid->addWidget(edit, 1, 0);
    grid->addWidget(button, 1, 1);
    return group;
}

QGroupBox* SettingsPage::buildServicePackGroup() {
    return buildPathGroup({QStringLiteral("Service Pack 適用済みにする"), "servicePackGroup",
                           QStringLiteral("Service Pack ファイル :"), "servicePackEdit",
                           QStringLiteral("ファイル選択"), "servicePackButton"},
                          servicePack_, servicePackButton_);
}

// The drivers: an edit line over an always-open list, as a simple combo
// box shows them, with add and remove beside it.
QGroupBox* SettingsPage::buildDriverGroup() {
    auto* group = new QGroupBox(QStringLiteral("ドライバを追加する"), this);
    group->setObjectName(QStringLiteral("driverGroup"));
    infPickButton_ = makeButton(QStringLiteral("ファイル選択"), "infPickButton", group);
    infEdit_ = makeEdit("infEdit", group);
    infList_ = new QListWidget(group);
    infList_->setObjectName(QStringLiteral("infList"));
    infList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    infList_->setMinimumHeight(infList_->fontMetrics().height() * 5);
    infList_->setFocusPolicy(Qt::ClickFocus);
    infAddButton_ = makeButton(QStringLiteral("一覧に追加"), "infAddButton", group);
    infRemoveButton_ = makeButton(QStringLiteral("一覧から除外"), "infRemoveButton", group);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("ドライバの INF ファイル :"), group), 0, 0);
    grid->addWidget(infPickButton_, 0, 1);
    auto* simpleCombo = new QVBoxLayout;
    simpleCombo->setSpacing(0);
    simpleCombo->addWidget(infEdit_);
    simpleCombo->addWidget(infList_);
    grid->addLayout(simpleCombo, 1, 0, 2, 1);
    grid->addWidget(infAddButton_, 1, 1);
    grid->addWidget(infRemoveButton_, 2, 1, Qt::AlignTop);
    return group;
}

QGroupBox* SettingsPage::buildBigDriveGroup() {
    auto* group = new QGroupBox(QStringLiteral("137GB 以上のハードディスクに対応させる"), this);
    group->setObjectName(QStringLiteral("bigDriveGroup"));
    bigDrive_ = new QCheckBox(
        QStringLiteral(
            "Windows2000 で 137GB 以上のハードディスクを使う （インストール完了後に有効）"),
        group);
    bigDrive_->setObjectName(QStringLiteral("bigDriveCheck"));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(bigDrive_);
    return group;
}

QGroupBox* SettingsPage::buildWorkFolderGroup() {
    return buildPathGroup({QStringLiteral("作業フォルダの指定"), "workFolderGroup",
                           QStringLiteral("作業フォルダ :"), "workFolderEdit",
                           QStringLiteral("フォルダ選択"), "workFolderButton"},
                          workFolder_, workFolderButton_);
}

QGroupBox* SettingsPage::buildIsoGroup() {
    return buildPathGroup({QStringLiteral("ISO イメージの作成"), "isoGroup",
                           QStringLiteral("ISOイメージのファイル名 :"), "isoPathEdit",
                           QStringLiteral("保存先選択"), "isoPathButton"},
                          isoPath_, isoPathButton_);
}

// "次へ >" is the default button and starts disabled: it waits for a work
// folder.
QLayout* SettingsPage::buildButtonRow() {
    nextButton_ = makeButton(QStringLiteral("次へ >"), "nextButton", this);
    nextButton_->setDefault(true);
    nextButton_->setEnabled(false);
    quitButton_ = makeButton(QStringLiteral("終了"), "quitButton", this);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(nextButton_);
    row->addWidget(quitButton_);
    return row;
}

// The fields scroll when the screen is too small for the page (a small
// screen, or a large scale factor). At full size the page looks as it
// would without the scroll area.
QScrollArea*
SettingsPage::buildFieldArea(QLayout* driveRow,
                             std::initializer_list<std::pair<QGroupBox*, int>> groups) {
    auto* fields = new QWidget;
    fields->setObjectName(QStringLiteral("settingsFields"));
    auto* column = new QVBoxLayout(fields);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(driveRow);
    for (auto [group, stretch] : groups) {
        column->addWidget(group, stretch);
    }
    auto* scroll = new FieldScrollArea(this);
    scroll->setObjectName(QStringLiteral("settingsScrollArea"));
    scroll->setWidget(fields);
    return scroll;
}

void SettingsPage::setControlTabOrder() {
    QWidget* order[] = {driveList_,     volumeLabel_, servicePack_,      servicePackButton_,
                        infPickButton_, infEdit_,     infAddButton_,     infRemoveButton_,
                        bigDrive_,      workFolder_,  workFolderButton_, isoPath_,
                        isoPathButton_, nextButton_,  quitButton_};
    for (size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

// The title-bar menu belongs to the window manager: the version entry sits
// in the page's context menu and on Alt+A.
void SettingsPage::addAboutAction() {
    auto* about = new QAction(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(ornibe) (&A)..."), this);
    about->setObjectName(QStringLiteral("aboutAction"));
    about->setShortcut(QKeySequence(Qt::ALT | Qt::Key_A));
    about->setShortcutContext(Qt::WindowShortcut);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(about, &QAction::triggered, this, &SettingsPage::showAboutBox);
}

void SettingsPage::connectControls() {
    connect(driveList_, &DriveComboBox::aboutToDropDown, this,
            [this] { fillDriveList(driveList_->currentIndex()); });
    connect(driveList_, &QComboBox::activated, this, &SettingsPage::driveChosen);
    connect(servicePackButton_, &QPushButton::clicked, this, &SettingsPage::pickServicePack);
    connect(infPickButton_, &QPushButton::clicked, this, &SettingsPage::pickInf);
    connect(infAddButton_, &QPushButton::clicked, this, &SettingsPage::addTypedInf);
    connect(infRemoveButton_, &QPushButton::clicked, this, &SettingsPage::removeSelectedInf);
    // Choosing an entry of the list shows it in the edit line above, as a
    // simple combo box does.
    connect(infList_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { infEdit_->setText(item->text()); });
    connect(workFolderButton_, &QPushButton::clicked, this, &SettingsPage::browseWorkFolder);
    connect(isoPathButton_, &QPushButton::clicked, this, &SettingsPage::pickIsoPath);
    connect(workFolder_, &QLineEdit::textChanged, this,
            [this](const QString& text) { nextButton_->setEnabled(!text.isEmpty()); });
    connect(nextButton_, &QPushButton::clicked, this, &SettingsPage::accept);
    connect(quitButton_, &QPushButton::clicked, this, &SettingsPage::reject);
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
    int whole = wanted.height() - fields_->sizeHint().height() +
                fields_->widget()->minimumSizeHint().height();
    resize(openingSize(wanted, whole, roomOnScreen(*this),
                       style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this)));
}

void SettingsPage::initPage() {
    // An image or folder chosen before (the page is shown again after
    // "< 戻る") keeps its entry.
    DriveEntry stored{settings_.GetCdDriveRoot(), settings_.GetCdDriveEntry()};
    std::vector<DriveEntry> listed = driveList(drives_);
    if (settings_.GetCdDriveIndex() > 0 && !stored.text.empty() &&
        std::find(listed.begin(), listed.end(), stored) == listed.end() &&
        std::find(chosenSources_.begin(), chosenSources_.end(), stored) == chosenSources_.end()) {
        chosenSources_.push_back(stored);
    }
    fillDriveList(settings_.GetCdDriveIndex(), listed);
    lastDrivePosition_ = driveList_->currentIndex();
    volumeLabel_->setText(QString::fromStdString(settings_.GetVolumeLabel()));
    servicePack_->setText(QString::fromStdString(settings_.GetServicePackPath()));
    infEdit_->clear();
    infList_->clear();
    for (int i = 0;; ++i) {
        std::string inf = settings_.GetDriverInf(i);
        if (inf.empty()) {
            break;
        }
        infList_->addItem(QString::fromStdString(inf));
    }
    bigDrive_->setChecked(settings_.GetBigDrive() != 0);
    workFolder_->setText(QString::fromStdString(settings_.GetWorkFolder()));
    nextButton_->setEnabled(!workFolder_->text().isEmpty());
    isoPath_->setText(QString::fromStdString(settings_.GetIsoPath()));
    driveList_->setFocus();
}

void SettingsPage::fillDriveList(int position) {
    fillDriveList(position, driveList(drives_));
}

void SettingsPage::fillDriveList(int position, const std::vector<DriveEntry>& listed) {
    driveList_->clear();
    for (const DriveEntry& entry : listed) {
        driveList_->addItem(QString::fromStdString(entry.text), QString::fromStdString(entry.root));
    }
    // Images and folders chosen as the source, then the entries that
    // choose one.
    for (const DriveEntry& entry : chosenSources_) {
        driveList_->addItem(QString::fromStdString(entry.text), QString::fromStdString(entry.root));
    }
    driveList_->addItem(QString::fromUtf8(kPickImageEntry.data(), kPickImageEntry.size()));
    driveList_->addItem(QString::fromUtf8(kPickFolderEntry.data(), kPickFolderEntry.size()));
    // The selection follows the position, not the drive: a position past
    // the end leaves nothing selected.
    driveList_->setCurrentIndex(position >= 0 && position < driveList_->count() - 2 ? position
                                                                                    : -1);
}

void SettingsPage::driveChosen(int position) {
    std::string text = driveList_->itemText(position).toStdString();
    if (text != kPickImageEntry && text != kPickFolderEntry) {
        lastDrivePosition_ = position;
        proposeVolumeLabel(position);
        return;
    }
    bool image = text == kPickImageEntry;
    DialogSpec spec;
    spec.title = QStringLiteral("開く");
    if (image) {
        spec.name = "cdImageDialog";
        spec.filters = {QStringLiteral("ISO イメージファイル (*.iso)"),
                        QStringLiteral("すべてのファイル (*)")};
    } else {
        spec.name = "cdFolderDialog";
        spec.mode = DialogSpec::Mode::Folder;
    }
    QString path = choosePath(spec);
    if (path.isEmpty()) {
        // Nothing chosen: the entry chosen before stays.
        driveList_->setCurrentIndex(
            lastDrivePosition_ < driveList_->count() - 2 ? lastDrivePosition_ : -1);
        return;
    }
    // The image shows as a drive does: its path and its volume label. A
    // file that is no ISO 9660 image shows without one; "次へ >" says why
    // it cannot be read.
    std::string root = path.toStdString();
    std::string label = image ? readIso9660Label(root).value_or("") : "";
    DriveEntry entry = makeDriveEntry(root, label);
    if (std::find(chosenSources_.begin(), chosenSources_.end(), entry) == chosenSources_.end()) {
        chosenSources_.push_back(entry);
    }
    fillDriveList(-1);
    int chosen = driveList_->findText(QString::fromStdString(entry.text));
    driveList_->setCurrentIndex(chosen);
    lastDrivePosition_ = chosen;
    proposeVolumeLabel(chosen);
}

void SettingsPage::proposeVolumeLabel(int position) {
    if (position < 0) {
        return;
    }
    std::optional<std::string> label =
        proposedVolumeLabel(position, driveList_->itemText(position).toStdString());
    if (label) {
        volumeLabel_->setText(QString::fromStdString(*label));
    }
}

QString SettingsPage::choosePath(const DialogSpec& spec) {
    QFileDialog dialog(this, spec.title);
    dialog.setObjectName(QString::fromLatin1(spec.name));
    switch (spec.mode) {
    case DialogSpec::Mode::OpenFile:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case DialogSpec::Mode::Folder:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        break;
    case DialogSpec::Mode::SaveFile:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    }
    if (!spec.suffix.isEmpty()) {
        dialog.setDefaultSuffix(spec.suffix);
    }
    if (!spec.filters.isEmpty()) {
        dialog.setNameFilters(spec.filters);
    }
    if (!spec.folder.isEmpty()) {
        dialog.setDirectory(spec.folder);
    }
    QString path = runDialog_(dialog);
    if (path.isEmpty()) {
        return {};
    }
    if (spec.fills != nullptr) {
        spec.fills->setText(path);
    }
    if (spec.use) {
        spec.use(path);
    }
    return path;
}

void SettingsPage::pickServicePack() {
    DialogSpec spec;
    spec.name = "servicePackDialog";
    spec.title = QStringLiteral("開く");
    spec.suffix = QStringLiteral("exe");
    spec.filters = {QStringLiteral("Service Pack ファイル (*.exe)")};
    spec.folder = startFolder(servicePack_->text());
    spec.fills = servicePack_;
    choosePath(spec);
}

void SettingsPage::pickInf() {
    DialogSpec spec;
    spec.name = "infDialog";
    spec.title = QStringLiteral("開く");
    spec.suffix = QStringLiteral("inf");
    spec.filters = {QStringLiteral("INF ファイル (*.inf)")};
    // Opens at the folder of the typed name, or else of the last listed one.
    QString current = infEdit_->text();
    if (current.isEmpty() && infList_->count() > 0) {
        current = infList_->item(infList_->count() - 1)->text();
    }
    spec.folder = startFolder(current);
    spec.use = [this](const QString& path) { addDriverInfToList(path); };
    choosePath(spec);
}

void SettingsPage::browseWorkFolder() {
    DialogSpec spec;
    spec.name = "workFolderDialog";
    spec.title = QStringLiteral("フォルダを選択してください");
    spec.mode = DialogSpec::Mode::Folder;
    // Opens at the folder the field holds (or the nearest one above it
    // that exists), at the desktop when it is empty.
    QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    QString folder = startFolder(workFolder_->text());
    spec.folder = !folder.isEmpty() ? folder : QDir(desktop).exists() ? desktop : QDir::homePath();
    spec.fills = workFolder_;
    choosePath(spec);
}

void SettingsPage::pickIsoPath() {
    DialogSpec spec;
    spec.name = "isoDialog";
    spec.title = QStringLiteral("名前を付けて保存");
    spec.mode = DialogSpec::Mode::SaveFile;
    spec.suffix = QStringLiteral("iso");
    spec.filters = {QStringLiteral("ISO イメージファイル (*.iso)"),
                    QStringLiteral("すべてのファイル (*)")};
    // The image tool runs in the work folder: a relative name is there.
    spec.folder = startFolder(isoPath_->text(), workFolder_->text().toStdString());
    spec.fills = isoPath_;
    choosePath(spec);
}

void SettingsPage::addTypedInf() {
    QString text = infEdit_->text();
    if (text.isEmpty()) {
        return;
    }
    // Kept exactly as typed; it is made absolute when "次へ >" stores it.
    addDriverInfToList(text);
    infEdit_->clear();
}

void SettingsPage::removeSelectedInf() {
    QListWidgetItem* item = infList_->currentItem();
    if (item == nullptr || !item->isSelected()) {
        return;
    }
    // Clicking the entry showed it in the field; left there, "次へ >" would
    // add it back.
    if (infEdit_->text() == item->text()) {
        infEdit_->clear();
    }
    delete infList_->takeItem(infList_->row(item));
}

void SettingsPage::addDriverInfToList(const QString& text) {
    if (!infListHolds(infEntries(), text.toStdString())) {
        infList_->addItem(text);
    }
}

void SettingsPage::showAboutBox() {
    AboutBox box(this);
    box.exec();
}

void SettingsPage::accept() {
    if (!nextButton_->isEnabled()) {
        return;
    }
    // A name typed but not added goes into the list first, so that the
    // list shows what the checks take.
    addTypedInf();
    SettingsChecks checks(settings_, drives_, messages_, tools_, freeSpace_);
    if (checks.OnOK(*this)) {
        done(PageCode::Confirm);
    }
}

void SettingsPage::reject() {
    MessageStyle style{MessageButtons::OkCancel, MessageIcon::Information, true};
    if (messages_.show("終了します。", style) == MessageAnswer::Ok) {
        done(PageCode::Quit);
    }
}

void SettingsPage::keyPressEvent(QKeyEvent* event) {
    // Enter in the INF field adds what it holds to the list, as the add
    // button does; it never stands for "次へ >" there.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        focusWidget() == infEdit_) {
        event->accept();
        addTypedInf();
        return;
    }
    if (!handlePageKey(*this, *event)) {
        QDialog::keyPressEvent(event);
    }
}

int SettingsPage::selectedDrivePosition() const {
    // The entries that open a dialog are no source themselves.
    int position = driveList_->currentIndex();
    return position >= driveList_->count() - 2 ? -1 : position;
}

std::string SettingsPage::driveEntryText(int position) const {
    return driveList_->itemText(position).toStdString();
}

std::string SettingsPage::driveRoot(int position) const {
    return driveList_->itemData(position).toString().toStdString();
}

std::string SettingsPage::volumeLabelText() const {
    return volumeLabel_->text().toStdString();
}

std::string SettingsPage::servicePackText() const {
    return servicePack_->text().toStdString();
}

std::vector<std::string> SettingsPage::infEntries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < infList_->count(); ++i) {
        entries.push_back(infList_->item(i)->text().toStdString());
    }
    return entries;
}

std::string SettingsPage::pendingInfText() const {
    return infEdit_->text().toStdString();
}

bool SettingsPage::bigDriveChecked() const {
    return bigDrive_->isChecked();
}

std::string SettingsPage::workFolderText() const {
    return workFolder_->text().toStdString();
}

std::string SettingsPage::isoPathText() const {
    return isoPath_->text().toStdString();
}

} // namespace ornibe
