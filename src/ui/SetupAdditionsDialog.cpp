#include "ui/SetupAdditionsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace ornibe {
namespace {

QPushButton* makeButton(const QString& text, const char* name, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QPlainTextEdit* makeCommandBox(const char* name, const std::string& text, QWidget* parent) {
    auto* box = new QPlainTextEdit(QString::fromStdString(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setTabChangesFocus(true);
    box->setMinimumHeight(60);
    return box;
}

} // namespace

SetupAdditionsDialog::SetupAdditionsDialog(const SetupAdditionsDialogState& state,
                                           DialogRunner runDialog, QWidget* parent)
    : QDialog(parent), runDialog_(std::move(runDialog)), hotfixes_(state.hotfixes) {
    setObjectName(QStringLiteral("setupAdditionsDialog"));
    setWindowTitle(tr("セットアップで実行するもの"));
    auto* column = new QVBoxLayout(this);

    auto* hotfixGroup =
        new QGroupBox(tr("修正プログラム（SVCPACK、セットアップの T-13 で実行）"), this);
    auto* hotfixGrid = new QGridLayout(hotfixGroup);
    hotfixList_ = new QListWidget(hotfixGroup);
    hotfixList_->setObjectName(QStringLiteral("hotfixList"));
    switches_ = new QLineEdit(hotfixGroup);
    switches_->setObjectName(QStringLiteral("hotfixSwitches"));
    switches_->setPlaceholderText(QString::fromLatin1(kDefaultHotfixSwitches));
    auto* add = makeButton(tr("追加…"), "hotfixAddButton", hotfixGroup);
    auto* remove = makeButton(tr("削除"), "hotfixRemoveButton", hotfixGroup);
    hotfixGrid->addWidget(hotfixList_, 0, 0, 1, 3);
    hotfixGrid->addWidget(new QLabel(tr("スイッチ："), hotfixGroup), 1, 0);
    hotfixGrid->addWidget(switches_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    hotfixGrid->addLayout(buttons, 1, 2);
    column->addWidget(hotfixGroup);

    auto* form = new QFormLayout;
    auto* oemRow = new QHBoxLayout;
    oemFolder_ = new QLineEdit(QString::fromStdString(state.oemFolder), this);
    oemFolder_->setObjectName(QStringLiteral("oemFolder"));
    auto* browse = makeButton(tr("フォルダ選択"), "oemFolderButton", this);
    oemRow->addWidget(oemFolder_);
    oemRow->addWidget(browse);
    form->addRow(tr("$OEM$ に加えるフォルダ："), oemRow);
    setupCommands_ = makeCommandBox("setupCommands", state.setupCommands, this);
    form->addRow(tr("セットアップ中に実行\n（cmdlines.txt、1 行に 1 つ）："), setupCommands_);
    firstLogonCommands_ = makeCommandBox("firstLogonCommands", state.firstLogonCommands, this);
    form->addRow(tr("最初のログオンで実行\n（[GuiRunOnce]、1 行に 1 つ）："), firstLogonCommands_);
    column->addLayout(form);
    column->addWidget(
        new QLabel(tr("$OEM$ とコマンドには無人インストールの応答ファイルが要ります。"), this));

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    column->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(add, &QPushButton::clicked, this, &SetupAdditionsDialog::pickHotfix);
    connect(remove, &QPushButton::clicked, this, &SetupAdditionsDialog::removeSelectedHotfix);
    connect(browse, &QPushButton::clicked, this, &SetupAdditionsDialog::pickOemFolder);
    showHotfixes();
}

SetupAdditionsDialogState SetupAdditionsDialog::state() const {
    return {hotfixes_, oemFolder_->text().toStdString(),
            setupCommands_->toPlainText().toStdString(),
            firstLogonCommands_->toPlainText().toStdString()};
}

void SetupAdditionsDialog::pickHotfix() {
    PathDialogSpec spec;
    spec.name = "hotfixDialog";
    spec.title = tr("開く");
    spec.suffix = QStringLiteral("exe");
    spec.filters = {tr("プログラム (*.exe *.EXE)")};
    spec.use = [this](const QString& path) {
        hotfixes_ = hotfixListWith(hotfixes_, path.toStdString(),
                                   switches_->text().trimmed().toStdString());
        showHotfixes();
    };
    choosePath(this, spec, runDialog_);
}

void SetupAdditionsDialog::removeSelectedHotfix() {
    hotfixes_ = hotfixListWithout(hotfixes_, hotfixList_->currentRow());
    showHotfixes();
}

void SetupAdditionsDialog::pickOemFolder() {
    PathDialogSpec spec;
    spec.name = "oemFolderDialog";
    spec.title = tr("フォルダの選択");
    spec.mode = PathDialogSpec::Mode::Folder;
    spec.folder = startFolder(oemFolder_->text());
    spec.fills = oemFolder_;
    choosePath(this, spec, runDialog_);
}

void SetupAdditionsDialog::showHotfixes() {
    hotfixList_->clear();
    for (const HotfixChoice& hotfix : hotfixes_) {
        hotfixList_->addItem(QString::fromStdString(hotfixListText(hotfix)));
    }
}

void editSetupAdditions(BuildSettings& settings, const DialogRunner& runDialog, QWidget* parent) {
    SetupAdditionsDialog dialog(dialogStateOf(settings.getSetupAdditions()), runDialog, parent);
    if (dialog.exec() == QDialog::Accepted) {
        settings.setSetupAdditions(additionsOf(dialog.state()));
    }
}

} // namespace ornibe
