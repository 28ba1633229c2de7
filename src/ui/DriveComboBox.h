#pragma once

#include <QComboBox>

namespace ornibe {

// The CD drive list: tells the page just before its list drops down, so
// that the drives are listed anew each time.
class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override;

signals:
    void aboutToDropDown();
};

} // namespace ornibe
