#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class QFileDialog;
class QLineEdit;
class QWidget;

namespace ornibe {

// Runs a file or folder dialog and returns the chosen path, or the empty
// text when it was cancelled. Tests replace it.
using DialogRunner = std::function<QString(QFileDialog& dialog)>;

// The runner the program uses: the dialog's own exec().
QString runFileDialog(QFileDialog& dialog);

// A file or folder dialog: what it shows, where it opens and where the
// chosen path goes.
struct PathDialogSpec {
    enum class Mode { OpenFile, Folder, SaveFile };
    // The object name tests find the dialog by.
    const char* name = "";
    QString title;
    Mode mode = Mode::OpenFile;
    QString suffix;
    QStringList filters;
    // The folder it opens at; empty leaves the dialog's own.
    QString folder;
    // The field the chosen path is written into, if any.
    QLineEdit* fills = nullptr;
    // What else is done with the chosen path, if anything.
    std::function<void(const QString&)> use;
};

// Runs the dialog the spec describes over parent through run and hands the
// chosen path on; returns it, or the empty text when the dialog was
// cancelled.
QString choosePath(QWidget* parent, const PathDialogSpec& spec, const DialogRunner& run);

// The folder a file dialog opens at for a field's text: the folder of the
// path it holds (relative paths against base), or the nearest existing
// folder above it; the empty text when the field is empty.
QString startFolder(const QString& text, const std::string& base = {});

} // namespace ornibe
