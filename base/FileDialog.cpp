#include "base/FileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
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

// Files that report no size (every file of /proc among them) are not read to guess their type
// or icon: some block their reader until the kernel has something to say, and the dialog reads
// them on the interface thread.
class QuietIconProvider : public QFileIconProvider {
public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override {
        if (info.isFile() && info.size() == 0) return QFileIconProvider::icon(File);
        return QFileIconProvider::icon(info);
    }
    QString type(const QFileInfo& info) const override {
        if (info.isFile() && info.size() == 0) return QStringLiteral("文件");
        return QFileIconProvider::type(info);
    }
};

QFileIconProvider* Icons() {
    static QuietIconProvider icons;
    return &icons;
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
    dialog.setIconProvider(Icons());
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
    dialog.setIconProvider(Icons());
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
