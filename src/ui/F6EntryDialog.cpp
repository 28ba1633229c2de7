#include "ui/F6EntryDialog.h"

#include "ui/PageLook.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace ornibe {

F6EntryDialog::F6EntryDialog(const F6EntryList& list, QWidget* parent)
    : QDialog(parent), list_(list) {
    setObjectName(QStringLiteral("f6EntryDialog"));
    setWindowTitle(tr("組み込む項目を選んでください"));
    setFont(pageFont());

    auto* label = new QLabel(QString::fromStdString(list_.source), this);
    label->setObjectName(QStringLiteral("f6Source"));
    entries_ = new QListWidget(this);
    entries_->setObjectName(QStringLiteral("f6Entries"));
    entries_->setSelectionMode(QAbstractItemView::MultiSelection);
    for (const F6EntryRow& row : list_.rows) {
        auto* item =
            new QListWidgetItem(QString::fromStdString(row.id + "  " + row.text), entries_);
        item->setSelected(row.isDefault);
    }

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(tr("キャンセル"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(entries_);
    layout->addWidget(buttons);
    resize(560, 260);
}

std::vector<std::string> F6EntryDialog::chosenIds() const {
    std::vector<std::string> ids;
    for (int i = 0; i < entries_->count(); ++i) {
        if (entries_->item(i)->isSelected()) {
            ids.push_back(list_.rows[static_cast<std::size_t>(i)].id);
        }
    }
    return ids;
}

} // namespace ornibe
