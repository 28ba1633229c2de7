#include "ui/PathDialog.h"

#include "sys/HostPath.h"

#include <QFileDialog>
#include <QLineEdit>

namespace ornibe {

QString runFileDialog(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

QString choosePath(QWidget* parent, const PathDialogSpec& spec, const DialogRunner& run) {
    QFileDialog dialog(parent, spec.title);
    dialog.setObjectName(QString::fromLatin1(spec.name));
    switch (spec.mode) {
    case PathDialogSpec::Mode::OpenFile:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case PathDialogSpec::Mode::Folder:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        break;
    case PathDialogSpec::Mode::SaveFile:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        break;
    }
    if (!spec.suffix.isEmpty()) {
        dialog.setDefaultSuffix(spec.suffix);
    }
    if (!spec.filters.isEmpty()) {
        dialog.setNameFilters(spec.filters);
    }
    if (!spec.folder.isEmpty()) {
        dialog.setDirectory(spec.folder);
    }
    QString path = run(dialog);
    if (path.isEmpty()) {
        return {};
    }
    if (spec.fills != nullptr) {
        spec.fills->setText(path);
    }
    if (spec.use) {
        spec.use(path);
    }
    return path;
}

QString startFolder(const QString& text, const std::string& base) {
    if (text.isEmpty()) {
        return {};
    }
    std::string path = makeAbsolute(text.toStdString(), base);
    while (!path.empty() && path != "/" && !existsAsFolder(path)) {
        path = folderPart(path);
    }
    return path.empty() ? QString() : QString::fromStdString(path);
}

} // namespace ornibe
