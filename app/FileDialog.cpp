#include "app/FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace fw {
namespace {

FileChooser& Chooser() {
    static FileChooser chooser;
    return chooser;
}

SaveFileChooser& SaveChooser() {
    static SaveFileChooser chooser;
    return chooser;
}

// The dialog opens where the last file was chosen, at first in the user's home.
QString& LastDirectory() {
    static QString directory = QDir::homePath();
    return directory;
}

}  // namespace

QString ChooseFileToOpen(QWidget* parent, const QString& filter, const QString& defaultSuffix) {
    if (Chooser()) return Chooser()(filter);
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setDirectory(LastDirectory());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    const QString file = dialog.selectedFiles().first();
    LastDirectory() = QFileInfo(file).absolutePath();
    return file;
}

QString ChooseFileToSave(QWidget* parent, const QString& filter, const QString& proposedPath) {
    if (SaveChooser()) return SaveChooser()(filter, proposedPath);
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    const QFileInfo proposed(proposedPath);
    dialog.setDefaultSuffix(proposed.suffix());
    dialog.setDirectory(proposed.absolutePath());
    dialog.selectFile(proposed.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

SaveFileChooser SetSaveFileChooser(SaveFileChooser chooser) {
    SaveFileChooser previous = std::move(SaveChooser());
    SaveChooser() = std::move(chooser);
    return previous;
}

FileChooser SetFileChooser(FileChooser chooser) {
    FileChooser previous = std::move(Chooser());
    Chooser() = std::move(chooser);
    return previous;
}

}  // namespace fw
