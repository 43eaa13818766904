#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QString>

#include <functional>
#include <string>

#include "skin/SkinModel.h"

namespace fw {

// The loaded skin: its model, its images and the Qt forms of its fonts and colours. Loaded once
// before the first window; every CUIWnd reads it.
class SkinLibrary {
public:
    static SkinLibrary& Instance();

    // Loads the skin compiled into the program (":/skin"). Returns 0 or the reader's error code,
    // with a message in *error.
    int Load(QString* error = nullptr);
    // Loads a skin from a folder holding the.xui, RESOURCE.H and the images under their derived
    // names (or their plain file names). For previews of a skin being edited.
    int LoadFromDirectory(const QString& dir, QString* error = nullptr);
    bool IsLoaded() const { return loaded_; }
    const skin::Skin& Model() const { return skin_; }

    // A skin image by its file name, found under its derived resource name without regard to
    // case; a null image when absent. Images are decoded once and kept.
    QImage Image(const std::string& fileName) const;
    // A numbered bitmap of the program (131, 132, 133: the list row images).
    static QImage Bitmap(int number);
    // The path an image is loaded from, for style sheets; empty when absent.
    QString ImagePath(const std::string& fileName) const;

    QFont Font(const skin::Font& font) const;
    static QColor ToQColor(skin::Color c) { return QColor(c.Red(), c.Green(), c.Blue()); }

    // Off unless the application switches it on; sizes are then scaled from the skin's DPI.
    bool dpiScaling = false;
    int ScreenDpiX() const;
    int ScreenDpiY() const;

private:
    int Finish(const QByteArray& xui, const QByteArray& header, QString* error);
    QString FindResource(const QString& name) const;

    bool loaded_ = false;
    skin::Skin skin_;
    QString root_;
    QHash<QString, QString> files_;  // lower-case resource name → path
    mutable QHash<QString, QImage> images_;
};

// Loads the program's skin; on failure tells the user why (the newer-version message, then
// "Failed to set the ui path or the ui path isn't exist!") and returns false, and the caller ends
// the program.
bool StartSkin();
// The same from a skin folder (an empty folder name means the built-in skin).
bool StartSkinFrom(const QString& dir);
// Replaces the message box of StartSkin, for tests.
void SetSkinMessageHook(std::function<void(const QString&)> hook);

}  // namespace fw
