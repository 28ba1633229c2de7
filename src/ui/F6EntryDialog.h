#pragma once

#include "wizard/F6EntryChoice.h"

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;

namespace ornibe {

// Opens when a driver floppy is added to the driver list: its entries
// (description, service, number of IDs, whether the files are there), the
// default one selected; several may be chosen. The rows come from
// wizard/F6EntryChoice.h; the checks on "次へ >" judge the choice.
class F6EntryDialog : public QDialog {
    Q_OBJECT
public:
    explicit F6EntryDialog(const F6EntryList& list, QWidget* parent = nullptr);

    // The IDs of the selected rows, in the rows' order.
    std::vector<std::string> chosenIds() const;

private:
    F6EntryList list_;
    QListWidget* entries_ = nullptr;
};

} // namespace ornibe
