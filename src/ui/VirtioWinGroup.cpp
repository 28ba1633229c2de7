#include "ui/VirtioWinGroup.h"

#include "wizard/VirtioWinCheck.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace ornibe {

VirtioWinGroup::VirtioWinGroup(QWidget* parent, DialogRunner run)
    : run_(std::move(run)),
      group_(new QGroupBox(tr("virtio-win のドライバ（QEMU/KVM 用）"), parent)) {
    group_->setObjectName(QStringLiteral("virtioWinGroup"));
    path_ = new QLineEdit(group_);
    path_->setObjectName(QStringLiteral("virtioWinEdit"));
    path_->setPlaceholderText(tr("使わない"));
    imageButton_ = new QPushButton(tr("ISO 選択"), group_);
    imageButton_->setObjectName(QStringLiteral("virtioWinImageButton"));
    folderButton_ = new QPushButton(tr("フォルダ選択"), group_);
    folderButton_->setObjectName(QStringLiteral("virtioWinFolderButton"));
    path_->setToolTip(tr("virtio-win の ISO イメージファイルかフォルダ"));
    // One row, so that the group fits beside the big-disk one and the page
    // still opens whole on a 1280x800 screen.
    auto* row = new QHBoxLayout(group_);
    row->addWidget(path_, 1);
    row->addWidget(imageButton_);
    row->addWidget(folderButton_);
    for (const std::string& name : virtioWinDriverNames()) {
        auto* check = new QCheckBox(QString::fromStdString(name), group_);
        check->setObjectName(QStringLiteral("virtioWinCheck_") + QString::fromStdString(name));
        check->setChecked(true);
        row->addWidget(check);
        checks_.push_back(check);
    }
    QObject::connect(imageButton_, &QPushButton::clicked, group_, [this] { pick(false); });
    QObject::connect(folderButton_, &QPushButton::clicked, group_, [this] { pick(true); });
}

void VirtioWinGroup::placeInTabOrder(QWidget* before, QWidget* after) const {
    std::vector<QWidget*> chain = {before, path_, imageButton_, folderButton_};
    chain.insert(chain.end(), checks_.begin(), checks_.end());
    chain.push_back(after);
    for (std::size_t i = 1; i < chain.size(); ++i) {
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    }
}

std::string VirtioWinGroup::pathText() const {
    return path_->text().toStdString();
}

std::optional<std::vector<std::string>> VirtioWinGroup::drivers() const {
    std::vector<bool> checked;
    for (const QCheckBox* check : checks_) {
        checked.push_back(check->isChecked());
    }
    return virtioWinDriversChecked(checked);
}

void VirtioWinGroup::show(const VirtioWinChoice& choice) {
    path_->setText(QString::fromStdString(choice.source));
    const std::vector<bool> checked = virtioWinChecksOf(choice);
    for (std::size_t i = 0; i < checks_.size() && i < checked.size(); ++i) {
        checks_[i]->setChecked(checked[i]);
    }
}

void VirtioWinGroup::pick(bool folder) {
    PathDialogSpec spec;
    spec.name = folder ? "virtioWinFolderDialog" : "virtioWinImageDialog";
    spec.title = folder ? tr("フォルダを選択してください") : tr("開く");
    spec.mode = folder ? PathDialogSpec::Mode::Folder : PathDialogSpec::Mode::OpenFile;
    if (!folder) {
        spec.suffix = QStringLiteral("iso");
        spec.filters = {tr("ISO イメージファイル (*.iso)"), tr("すべてのファイル (*)")};
    }
    spec.folder = startFolder(path_->text());
    spec.fills = path_;
    choosePath(group_, spec, run_);
}

} // namespace ornibe
