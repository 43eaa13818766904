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

FileChooser SetFileChooser(FileChooser chooser) {
    FileChooser previous = std::move(Chooser());
    Chooser() = std::move(chooser);
    return previous;
}

}  // namespace fw
