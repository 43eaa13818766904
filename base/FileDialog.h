#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace fw {

// Every open-file dialog of the program goes through here. Tests install a chooser instead,
// which is given the filter and answers with a path, or an empty text for a cancelled dialog.
QString ChooseFileToOpen(QWidget* parent, const QString& filter, const QString& defaultSuffix);

using FileChooser = std::function<QString(const QString& filter)>;
// Returns the chooser it replaces; an empty chooser restores the real dialog.
FileChooser SetFileChooser(FileChooser chooser);

// Every save-file dialog goes through here: it opens on the proposed path (folder and name),
// asks before replacing a file, and adds the suffix when the name typed has none. Tests install
// a chooser instead, given the filter and the proposal; an empty answer is a cancelled dialog.
QString ChooseFileToSave(QWidget* parent, const QString& filter, const QString& proposedPath);

using SaveFileChooser = std::function<QString(const QString& filter, const QString& proposed)>;
SaveFileChooser SetSaveFileChooser(SaveFileChooser chooser);

}  // namespace fw
