#include "ui/SettingsPageLayout.h"

#include "ui/DriveComboBox.h"
#include "ui/PageLook.h"

#include "check/ControllerMatch.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <initializer_list>
#include <iterator>
#include <utility>

namespace ornibe {

namespace {

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
class Builder {
    Q_DECLARE_TR_FUNCTIONS(ornibe::SettingsPage)

public:
    Builder(QDialog& page, SettingsControls& controls) : page_(page), c_(controls) {}

    void setUpWindow();
    QLayout* buildDriveRow();
    QGroupBox* buildPathGroup(const PathGroupSpec& spec, QLineEdit*& edit, QPushButton*& button);
    QGroupBox* buildServicePackGroup();
    QGroupBox* buildDriverGroup();
    QGroupBox* buildPnpDriverGroup();
    QGroupBox* buildBigDriveGroup();
    QGroupBox* buildWorkFolderGroup();
    QGroupBox* buildIsoGroup();
    QLayout* buildButtonRow();
    // Stacks the fields, each group with its stretch, in a scroll area.
    QScrollArea* buildFieldArea(QLayout* driveRow,
                                std::initializer_list<std::pair<QWidget*, int>> groups);
    void setControlTabOrder();
    void addAboutAction();

private:
    QDialog& page_;
    SettingsControls& c_;
};

void Builder::setUpWindow() {
    page_.setObjectName(QStringLiteral("settingsPage"));
    page_.setWindowTitle(QStringLiteral("ornibe"));
    page_.setWindowIcon(programIcon());
    page_.setFont(pageFont());
    page_.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

// The CD drive and the volume label, side by side.
QLayout* Builder::buildDriveRow() {
    c_.driveList = new DriveComboBox(&page_);
    c_.driveList->setObjectName(QStringLiteral("cdDriveList"));
    c_.driveList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    c_.driveList->setMinimumContentsLength(24);
    c_.volumeLabel = makeEdit("volumeLabelEdit", &page_);
    c_.volumeLabel->setMinimumWidth(c_.volumeLabel->fontMetrics().averageCharWidth() * 16);
    auto* driveLabel = new QLabel(tr("読込元のCDドライブ :"), &page_);
    driveLabel->setBuddy(c_.driveList);
    auto* labelLabel = new QLabel(tr("ボリュームラベル :"), &page_);
    labelLabel->setBuddy(c_.volumeLabel);
    auto* row = new QHBoxLayout;
    row->addWidget(driveLabel);
    row->addWidget(c_.driveList, 2);
    row->addSpacing(8);
    row->addWidget(labelLabel);
    row->addWidget(c_.volumeLabel, 1);
    return row;
}

// A group of one path: its label over the edit line, the button beside it.
QGroupBox* Builder::buildPathGroup(const PathGroupSpec& spec, QLineEdit*& edit,
                                   QPushButton*& button) {
    auto* group = new QGroupBox(spec.title, &page_);
    group->setObjectName(QString::fromLatin1(spec.name));
    edit = makeEdit(spec.editName, group);
    button = makeButton(spec.buttonText, spec.buttonName, group);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(spec.label, group), 0, 0, 1, 2);
    grid->addWidget(edit, 1, 0);
    grid->addWidget(button, 1, 1);
    return group;
}

QGroupBox* Builder::buildServicePackGroup() {
    return buildPathGroup({tr("Service Pack 適用済みにする"), "servicePackGroup",
                           tr("Service Pack ファイル :"), "servicePackEdit", tr("ファイル選択"),
                           "servicePackButton"},
                          c_.servicePack, c_.servicePackButton);
}

// The drivers: an edit line over an always-open list, as a simple combo
// box shows them, with add and remove beside it.
QGroupBox* Builder::buildDriverGroup() {
    auto* group = new QGroupBox(tr("ドライバを追加する"), &page_);
    group->setObjectName(QStringLiteral("driverGroup"));
    c_.infPickButton = makeButton(tr("ファイル選択"), "infPickButton", group);
    c_.infEdit = makeEdit("infEdit", group);
    c_.infList = new QListWidget(group);
    c_.infList->setObjectName(QStringLiteral("infList"));
    c_.infList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    c_.infList->setMinimumHeight(c_.infList->fontMetrics().height() * 5);
    c_.infList->setFocusPolicy(Qt::ClickFocus);
    c_.infAddButton = makeButton(tr("一覧に追加"), "infAddButton", group);
    c_.infRemoveButton = makeButton(tr("一覧から除外"), "infRemoveButton", group);
    auto* grid = new QGridLayout(group);
    // The driver pack shares the first row with the list's label, so that
    // the page keeps its height: the drivers the target needs, or all
    // that load, are taken from it.
    auto* infLabel = new QLabel(tr("ドライバの INF ファイル :"), group);
    auto* packLabel = new QLabel(tr("ドライバパック :"), group);
    c_.driverPack = makeEdit("driverPackEdit", group);
    c_.driverPack->setPlaceholderText(tr("なし"));
    c_.driverPack->setToolTip(
        tr("大容量記憶装置のドライバを集めたフォルダ。対象のハードウェアがあれば"
           "そのディスクコントローラに合う最良のものを、なければ読み込めるもの"
           "すべてを組み込みます。"));
    packLabel->setBuddy(c_.driverPack);
    c_.driverPackButton = makeButton(tr("フォルダ選択"), "driverPackButton", group);
    auto* first = new QHBoxLayout;
    first->addWidget(infLabel);
    first->addSpacing(8);
    first->addWidget(packLabel);
    first->addWidget(c_.driverPack, 1);
    first->addWidget(c_.driverPackButton);
    grid->addLayout(first, 0, 0);
    grid->addWidget(c_.infPickButton, 0, 1);
    auto* simpleCombo = new QVBoxLayout;
    simpleCombo->setSpacing(0);
    simpleCombo->addWidget(c_.infEdit);
    simpleCombo->addWidget(c_.infList);
    grid->addLayout(simpleCombo, 1, 0, 2, 1);
    grid->addWidget(c_.infAddButton, 1, 1);
    grid->addWidget(c_.infRemoveButton, 2, 1, Qt::AlignTop);
    return group;
}

// The Plug and Play drivers: a list with add (which picks a file) and
// remove beside it.
QGroupBox* Builder::buildPnpDriverGroup() {
    auto* group = new QGroupBox(tr("PnP ドライバを追加する（GUI モードセットアップ）"), &page_);
    group->setObjectName(QStringLiteral("pnpDriverGroup"));
    c_.pnpList = new QListWidget(group);
    c_.pnpList->setObjectName(QStringLiteral("pnpList"));
    c_.pnpList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    c_.pnpList->setMinimumHeight(c_.pnpList->fontMetrics().height() * 5);
    c_.pnpList->setFocusPolicy(Qt::ClickFocus);
    c_.pnpAddButton = makeButton(tr("一覧に追加…"), "pnpAddButton", group);
    c_.pnpRemoveButton = makeButton(tr("一覧から除外"), "pnpRemoveButton", group);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(tr("PnP ドライバの INF ファイル :"), group), 0, 0);
    grid->addWidget(c_.pnpList, 1, 0, 2, 1);
    grid->addWidget(c_.pnpAddButton, 1, 1);
    grid->addWidget(c_.pnpRemoveButton, 2, 1, Qt::AlignTop);
    return group;
}

QGroupBox* Builder::buildBigDriveGroup() {
    auto* group = new QGroupBox(tr("137GB 以上のハードディスクに対応させる"), &page_);
    group->setObjectName(QStringLiteral("bigDriveGroup"));
    c_.bigDrive = new QCheckBox(
        tr("Windows2000 で 137GB 以上のハードディスクを使う （インストール完了後に有効）"), group);
    c_.bigDrive->setObjectName(QStringLiteral("bigDriveCheck"));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(c_.bigDrive);
    return group;
}

QGroupBox* Builder::buildWorkFolderGroup() {
    return buildPathGroup({tr("作業フォルダの指定"), "workFolderGroup", tr("作業フォルダ :"),
                           "workFolderEdit", tr("フォルダ選択"), "workFolderButton"},
                          c_.workFolder, c_.workFolderButton);
}

// The image, under it the target machine its check is for (a QEMU
// machine from the list, or a file of lspci output), and the USB stick
// image; each label beside its field, so that the page grows the least.
QGroupBox* Builder::buildIsoGroup() {
    auto* group = new QGroupBox(tr("ISO イメージの作成"), &page_);
    group->setObjectName(QStringLiteral("isoGroup"));
    auto* isoLabel = new QLabel(tr("ISOイメージのファイル名 :"), group);
    c_.isoPath = makeEdit("isoPathEdit", group);
    isoLabel->setBuddy(c_.isoPath);
    c_.isoPathButton = makeButton(tr("保存先選択"), "isoPathButton", group);
    auto* grid = new QGridLayout(group);
    // Three rows close together, so that the page still opens whole on a
    // 1280x800 screen.
    grid->setVerticalSpacing(2);
    auto* iso = new QHBoxLayout;
    iso->addWidget(isoLabel);
    iso->addWidget(c_.isoPath, 1);
    grid->addLayout(iso, 0, 0);
    grid->addWidget(c_.isoPathButton, 0, 1);
    auto* targetLabel = new QLabel(tr("対象のハードウェア :"), group);
    c_.targetHardware = new QComboBox(group);
    c_.targetHardware->setObjectName(QStringLiteral("targetHardwareCombo"));
    c_.targetHardware->setEditable(true);
    c_.targetHardware->addItem(QString());
    for (const std::string& name : qemuMachineNames()) {
        c_.targetHardware->addItem(QString::fromStdString(name));
    }
    c_.targetHardware->setMinimumContentsLength(16);
    c_.targetHardware->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c_.targetHardware->setToolTip(
        tr("対象のマシンで lspci -nn（または lspci -vmmnn）が出力したファイル、"
           "または QEMU のマシン。ビルドの最後に、どのサービスがディスク "
           "コントローラを動かすかを調べます。"));
    targetLabel->setBuddy(c_.targetHardware);
    c_.targetHardwareButton = makeButton(tr("ファイル選択"), "targetHardwareButton", group);
    auto* target = new QHBoxLayout;
    target->addWidget(targetLabel);
    target->addWidget(c_.targetHardware, 1);
    grid->addLayout(target, 1, 0);
    grid->addWidget(c_.targetHardwareButton, 1, 1);
    // The USB stick image, written after the ISO image from the same tree,
    // and its size (empty: one that fits the tree).
    auto* usbLabel = new QLabel(tr("USB メモリ用イメージ :"), group);
    c_.usbImage = makeEdit("usbImageEdit", group);
    c_.usbImage->setToolTip(tr("USB メモリに書き込むディスクイメージ（Windows XP SP2 以降と Server "
                               "2003 の x86）。初めの起動ではメニューの 1 を選び、そのあとの起動は "
                               "そのまま待つと内蔵ディスクから起動します。"));
    usbLabel->setBuddy(c_.usbImage);
    auto* sizeLabel = new QLabel(tr("大きさ :"), group);
    c_.usbImageSize = makeEdit("usbImageSizeEdit", group);
    c_.usbImageSize->setPlaceholderText(tr("自動"));
    c_.usbImageSize->setToolTip(tr("バイト数か、K、M、G を付けた数（例: 4G）。"));
    c_.usbImageSize->setFixedWidth(c_.usbImageSize->fontMetrics().averageCharWidth() * 10);
    sizeLabel->setBuddy(c_.usbImageSize);
    // The stick the image is written to at the end (empty: none); the
    // checks name its model and size and ask before it is taken.
    auto* deviceLabel = new QLabel(tr("書き込む USB メモリ :"), group);
    c_.usbDevice = makeEdit("usbDeviceEdit", group);
    c_.usbDevice->setPlaceholderText(tr("なし"));
    c_.usbDevice->setToolTip(
        tr("イメージを書き込む USB メモリのデバイス（/dev/sdb など、ディスク全体）。"
           "内容はすべて消去されます。"));
    c_.usbDevice->setFixedWidth(c_.usbDevice->fontMetrics().averageCharWidth() * 12);
    deviceLabel->setBuddy(c_.usbDevice);
    c_.usbImageButton = makeButton(tr("保存先選択"), "usbImageButton", group);
    auto* usb = new QHBoxLayout;
    usb->addWidget(usbLabel);
    usb->addWidget(c_.usbImage, 1);
    usb->addWidget(sizeLabel);
    usb->addWidget(c_.usbImageSize);
    usb->addWidget(deviceLabel);
    usb->addWidget(c_.usbDevice);
    grid->addLayout(usb, 2, 0);
    grid->addWidget(c_.usbImageButton, 2, 1);
    return group;
}

// "次へ >" is the default button and starts disabled: it waits for a work
// folder.
QLayout* Builder::buildButtonRow() {
    c_.nextButton = makeButton(tr("次へ >"), "nextButton", &page_);
    c_.nextButton->setDefault(true);
    c_.nextButton->setEnabled(false);
    c_.quitButton = makeButton(tr("終了"), "quitButton", &page_);
    c_.answerFileButton = makeButton(tr("無人インストール…"), "answerFileButton", &page_);
    c_.setupAdditionsButton = makeButton(tr("セットアップで実行…"), "setupAdditionsButton", &page_);
    // Beside the buttons, where it takes no height from the fields.
    c_.reproducible = new QCheckBox(tr("再現可能なイメージ"), &page_);
    c_.reproducible->setObjectName(QStringLiteral("reproducibleCheck"));
    c_.reproducible->setToolTip(
        tr("同じ入力から同じ ISO イメージを作ります。イメージの日時はすべて "
           "SOURCE_DATE_EPOCH の日時（未設定なら 2000-01-01 00:00:00 UTC）です。"));
    auto* row = new QHBoxLayout;
    row->addWidget(c_.answerFileButton);
    row->addWidget(c_.setupAdditionsButton);
    row->addWidget(c_.reproducible);
    row->addStretch(1);
    row->addWidget(c_.nextButton);
    row->addWidget(c_.quitButton);
    return row;
}

// The fields scroll when the screen is too small for the page (a small
// screen, or a large scale factor). At full size the page looks as it
// would without the scroll area.
QScrollArea* Builder::buildFieldArea(QLayout* driveRow,
                                     std::initializer_list<std::pair<QWidget*, int>> groups) {
    auto* fields = new QWidget;
    fields->setObjectName(QStringLiteral("settingsFields"));
    auto* column = new QVBoxLayout(fields);
    column->setContentsMargins(0, 0, 0, 0);
    column->addLayout(driveRow);
    for (auto [group, stretch] : groups) {
        column->addWidget(group, stretch);
    }
    auto* scroll = new FieldScrollArea(&page_);
    scroll->setObjectName(QStringLiteral("settingsScrollArea"));
    scroll->setWidget(fields);
    return scroll;
}

void Builder::setControlTabOrder() {
    QWidget* order[] = {
        c_.driveList,     c_.volumeLabel,      c_.servicePack,          c_.servicePackButton,
        c_.driverPack,    c_.driverPackButton, c_.infPickButton,        c_.infEdit,
        c_.infAddButton,  c_.infRemoveButton,  c_.pnpAddButton,         c_.pnpRemoveButton,
        c_.bigDrive,      c_.workFolder,       c_.workFolderButton,     c_.isoPath,
        c_.isoPathButton, c_.targetHardware,   c_.targetHardwareButton, c_.usbImage,
        c_.usbImageSize,  c_.usbDevice,        c_.usbImageButton,       c_.nextButton,
        c_.quitButton};
    for (size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

// The title-bar menu belongs to the window manager: the version entry sits
// in the page's context menu and on Alt+A.
void Builder::addAboutAction() {
    c_.about = new QAction(tr("ﾊﾞｰｼﾞｮﾝ情報(ornibe) (&A)..."), &page_);
    c_.about->setObjectName(QStringLiteral("aboutAction"));
    c_.about->setShortcut(QKeySequence(Qt::ALT | Qt::Key_A));
    c_.about->setShortcutContext(Qt::WindowShortcut);
    page_.addAction(c_.about);
    page_.setContextMenuPolicy(Qt::ActionsContextMenu);
}

} // namespace

SettingsControls buildSettingsPage(QDialog& page) {
    SettingsControls controls{};
    Builder builder(page, controls);
    builder.setUpWindow();
    QLayout* driveRow = builder.buildDriveRow();
    QGroupBox* servicePackGroup = builder.buildServicePackGroup();
    QGroupBox* driverGroup = builder.buildDriverGroup();
    QGroupBox* pnpDriverGroup = builder.buildPnpDriverGroup();
    // The PnP driver list stands beside the text-mode one.
    auto* driverLists = new QWidget;
    auto* driverRow = new QHBoxLayout(driverLists);
    driverRow->setContentsMargins(0, 0, 0, 0);
    driverRow->addWidget(driverGroup, 1);
    driverRow->addWidget(pnpDriverGroup, 1);
    QGroupBox* bigDriveGroup = builder.buildBigDriveGroup();
    QGroupBox* workFolderGroup = builder.buildWorkFolderGroup();
    QGroupBox* isoGroup = builder.buildIsoGroup();
    QLayout* buttonRow = builder.buildButtonRow();
    // The driver list takes the height the other fields leave.
    controls.fields = builder.buildFieldArea(driveRow, {{servicePackGroup, 0},
                                                        {driverLists, 1},
                                                        {bigDriveGroup, 0},
                                                        {workFolderGroup, 0},
                                                        {isoGroup, 0}});
    // The fields scroll; the buttons below them always stay in view.
    auto* layout = new QVBoxLayout(&page);
    layout->addWidget(controls.fields, 1);
    layout->addLayout(buttonRow);
    builder.setControlTabOrder();
    builder.addAboutAction();
    return controls;
}

} // namespace ornibe
