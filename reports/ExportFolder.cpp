#include "reports/ExportFolder.h"

#include <QDir>
#include <QFileInfo>

namespace fw {

QString ExportFolder::Proposal(const std::string& fileName) const {
    QString folder = remembered ? QString::fromStdString(remembered()) : QString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    return QDir(folder).filePath(QString::fromStdString(fileName));
}

void ExportFolder::Chosen(const QString& path) const {
    if (remember) remember(QFileInfo(path).absolutePath().toStdString());
}

QString WithSuffix(const QString& path, const QString& suffix) {
    if (QFileInfo(path).suffix().compare(suffix, Qt::CaseInsensitive) == 0) return path;
    return path + QLatin1Char('.') + suffix;
}

}  // namespace fw
