#include "ui/AnswerFileDialog.h"

#include "ui/PageLook.h"
#include "ui_AnswerFileDialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QPushButton>

namespace ornibe {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

std::string text(const QLineEdit* edit) {
    return edit->text().toStdString();
}

QString chooseAnswerFile(QWidget* parent, const QString& current) {
    return QFileDialog::getOpenFileName(
        parent, QCoreApplication::translate("AnswerFileDialog", "応答ファイルの選択"), current,
        QCoreApplication::translate("AnswerFileDialog", "応答ファイル (*.sif *.SIF *.txt *.TXT);;"
                                                        "すべてのファイル (*)"));
}

} // namespace

AnswerFileDialog::AnswerFileDialog(const AnswerFileDialogState& state, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::AnswerFileDialog>()),
      chooseFile_(chooseAnswerFile) {
    ui_->setupUi(this);
    setFont(pageFont());
    setWindowIcon(programIcon());
    for (const std::string& row : timeZoneRows()) {
        ui_->timeZoneList->addItem(text(row));
    }
    for (const std::string& row : languageRows()) {
        ui_->languageList->addItem(text(row));
    }

    ui_->noAnswerFileRadio->setChecked(state.mode == AnswerFileFields::Mode::None);
    ui_->writeAnswerFileRadio->setChecked(state.mode == AnswerFileFields::Mode::Write);
    ui_->userAnswerFileRadio->setChecked(state.mode == AnswerFileFields::Mode::UserFile);
    ui_->userFileEdit->setText(text(state.userFile));
    ui_->fullNameEdit->setText(text(state.fullName));
    ui_->organizationEdit->setText(text(state.organization));
    ui_->computerNameEdit->setText(text(state.computerName));
    ui_->adminPasswordEdit->setText(text(state.adminPassword));
    ui_->productKeyEdit->setText(text(state.productKey));
    ui_->workgroupEdit->setText(text(state.workgroup));
    ui_->timeZoneList->setCurrentIndex(state.timeZoneRow);
    ui_->languageList->setCurrentIndex(state.languageRow);
    ui_->autoPartitionCheck->setChecked(state.autoPartition);
    ui_->acceptEulaCheck->setChecked(state.acceptEula);
    modeChosen();

    for (QRadioButton* radio :
         {ui_->noAnswerFileRadio, ui_->writeAnswerFileRadio, ui_->userAnswerFileRadio}) {
        connect(radio, &QRadioButton::toggled, this, &AnswerFileDialog::modeChosen);
    }
    connect(ui_->userFileButton, &QPushButton::clicked, this, [this] {
        QString chosen = chooseFile_(this, ui_->userFileEdit->text());
        if (!chosen.isEmpty()) {
            ui_->userFileEdit->setText(chosen);
        }
    });
    connect(ui_->answerFileButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->answerFileButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

AnswerFileDialog::~AnswerFileDialog() = default;

AnswerFileFields::Mode AnswerFileDialog::mode() const {
    if (ui_->writeAnswerFileRadio->isChecked()) {
        return AnswerFileFields::Mode::Write;
    }
    if (ui_->userAnswerFileRadio->isChecked()) {
        return AnswerFileFields::Mode::UserFile;
    }
    return AnswerFileFields::Mode::None;
}

void AnswerFileDialog::modeChosen() {
    ui_->answerFieldsGroup->setEnabled(fieldsEnabled(mode()));
    ui_->userFileEdit->setEnabled(userFileEnabled(mode()));
    ui_->userFileButton->setEnabled(userFileEnabled(mode()));
}

AnswerFileDialogState AnswerFileDialog::state() const {
    AnswerFileDialogState state;
    state.mode = mode();
    state.userFile = text(ui_->userFileEdit);
    state.fullName = text(ui_->fullNameEdit);
    state.organization = text(ui_->organizationEdit);
    state.computerName = text(ui_->computerNameEdit);
    state.adminPassword = text(ui_->adminPasswordEdit);
    state.productKey = text(ui_->productKeyEdit);
    state.workgroup = text(ui_->workgroupEdit);
    state.timeZoneRow = ui_->timeZoneList->currentIndex();
    state.languageRow = ui_->languageList->currentIndex();
    state.autoPartition = ui_->autoPartitionCheck->isChecked();
    state.acceptEula = ui_->acceptEulaCheck->isChecked();
    return state;
}

void editAnswerFile(BuildSettings& settings, QWidget* parent) {
    AnswerFileDialog dialog(dialogStateOf(settings.getAnswerFile()), parent);
    if (dialog.exec() == QDialog::Accepted) {
        settings.setAnswerFile(fieldsOf(dialog.state()));
    }
}

} // namespace ornibe
