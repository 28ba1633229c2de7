#include "ui/DriveComboBox.h"

namespace ornibe {

void DriveComboBox::showPopup() {
    emit aboutToDropDown();
    QComboBox::showPopup();
}

} // namespace ornibe
