#pragma once

#include <QString>
#include <functional>
#include <string>

namespace fw {

// Where the save dialogs of the report page open: the folder of the last export (kept in
// conf.ini) while it exists, else the user's home.
struct ExportFolder {
    std::function<std::string()> remembered;
    std::function<void(const std::string&)> remember;

    // The proposed path of a file of this name.
    QString Proposal(const std::string& fileName) const;
    // The chosen file's folder becomes the one to open next time.
    void Chosen(const QString& path) const;
};

// The chosen path with the format's suffix when the name typed has none.
QString WithSuffix(const QString& path, const QString& suffix);

}  // namespace fw
