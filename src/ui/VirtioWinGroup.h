#pragma once

#include "settings/VirtioWinChoice.h"
#include "ui/PathDialog.h"

#include <QCoreApplication>

#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

namespace ornibe {

// The settings page's virtio-win field: the medium's path (typed, or
// chosen as an ISO image file or a folder) and a check box per driver.
class VirtioWinGroup {
    Q_DECLARE_TR_FUNCTIONS(VirtioWinGroup)

public:
    // Builds the group as a child of parent; dialogs open through run.
    VirtioWinGroup(QWidget* parent, DialogRunner run);

    QGroupBox* group() const { return group_; }
    // Puts the group's controls in the tab order between before and after.
    void placeInTabOrder(QWidget* before, QWidget* after) const;

    std::string pathText() const;
    // As virtioWinDriversChecked reads the boxes.
    std::optional<std::vector<std::string>> drivers() const;
    // Shows a choice made before (the page opened again after "< 戻る").
    void show(const VirtioWinChoice& choice);

private:
    void pick(bool folder);

    DialogRunner run_;
    QGroupBox* group_;
    QLineEdit* path_;
    QPushButton* imageButton_;
    QPushButton* folderButton_;
    std::vector<QCheckBox*> checks_;
};

} // namespace ornibe
