#pragma once

#include "settings/BuildSettings.h"
#include "wizard/AnswerFileDialogState.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class AnswerFileDialog;
}

namespace ornibe {

// "無人インストール…": whether the build writes an answer file, from the
// fields shown or the user's own file. The dialog only shows and takes the
// values (wizard/AnswerFileDialogState.h); the checks on "次へ >" judge
// them. The password is masked.
class AnswerFileDialog : public QDialog {
    Q_OBJECT
public:
    explicit AnswerFileDialog(const AnswerFileDialogState& state, QWidget* parent = nullptr);
    ~AnswerFileDialog() override;

    // What the controls hold now.
    AnswerFileDialogState state() const;

    // Asks for the user's answer file; returns its path, or the empty text
    // when the choice was cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& current)>;

private:
    AnswerFileFields::Mode mode() const;
    void modeChosen();

    std::unique_ptr<Ui::AnswerFileDialog> ui_;
    FileChooser chooseFile_;
};

// Opens the dialog over parent with the settings' answer file fields, and
// stores what it holds when it is left with OK.
void editAnswerFile(BuildSettings& settings, QWidget* parent);

} // namespace ornibe
