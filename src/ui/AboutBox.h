#pragma once

#include <QDialog>

namespace ornibe {

// The version box: the program icon, "ornibe Version 1.0" and OK.
class AboutBox : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr);
};

} // namespace ornibe
