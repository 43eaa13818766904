#include "skin/SkinLibrary.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QScreen>

#include "skin/SkinImages.h"
#include "skin/SkinMessageBox.h"
#include "skin/SkinReader.h"

static void InitSkinResources() { Q_INIT_RESOURCE(skin); }

namespace fw {
namespace {

std::function<void(const QString&)>& MessageHook() {
    static std::function<void(const QString&)> hook;
    return hook;
}

void Tell(const QString& text) {
    if (MessageHook()) {
        MessageHook()(text);
        return;
    }
    SkinMessageBox box(nullptr, text);
    box.exec();
}

// Faces the skin names that a Linux desktop lacks; the CJK face carries the Chinese glyphs.
void InstallFontSubstitutes() {
    static bool done = false;
    if (done) return;
    done = true;
    const QString cjk = QStringLiteral("WenQuanYi Micro Hei");
    // Its Latin letters are close to Tahoma in width, so one face serves both scripts.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), {cjk, QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QString::fromUtf8("微软雅黑"), {cjk});
    QFont::insertSubstitutions(QStringLiteral("Microsoft YaHei"), {cjk});
}

}  // namespace

SkinLibrary& SkinLibrary::Instance() {
    static SkinLibrary library;
    return library;
}

int SkinLibrary::Load(QString* error) {
    InitSkinResources();
    return LoadFromDirectory(QStringLiteral(":/skin"), error);
}

QString SkinLibrary::FindResource(const QString& name) const { return files_.value(name.toLower()); }

int SkinLibrary::LoadFromDirectory(const QString& dir, QString* error) {
    root_ = dir;
    files_.clear();
    images_.clear();
    const QDir d(dir);
    for (const QString& entry : d.entryList(QDir::Files)) files_.insert(entry.toLower(), d.filePath(entry));

    QFile xui(FindResource(QStringLiteral("the.xui")));
    QFile header(FindResource(QStringLiteral("RESOURCE.H")));
    if (xui.fileName().isEmpty() || header.fileName().isEmpty() || !xui.open(QIODevice::ReadOnly) ||
        !header.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("the skin in %1 lacks the.xui or RESOURCE.H").arg(dir);
        loaded_ = false;
        return skin::kSkinMissing;
    }
    return Finish(xui.readAll(), header.readAll(), error);
}

int SkinLibrary::Finish(const QByteArray& xui, const QByteArray& header, QString* error) {
    std::string why;
    skin::Skin model;
    const int code = skin::ReadSkin(std::string_view(xui.constData(), xui.size()),
                                    std::string_view(header.constData(), header.size()), &model, &why);
    if (code != skin::kSkinOk) {
        if (error) *error = QString::fromStdString(why);
        loaded_ = false;
        return code;
    }
    skin_ = std::move(model);
    InstallFontSubstitutes();
    loaded_ = true;
    return code;
}

QImage SkinLibrary::Image(const std::string& fileName) const {
    if (fileName.empty()) return {};
    const QString key = QString::fromStdString(fileName).toLower();
    auto cached = images_.constFind(key);
    if (cached != images_.constEnd()) return *cached;
    const QString path = ImagePath(fileName);
    QImage image;
    if (!path.isEmpty()) image.load(path);
    images_.insert(key, image);
    return image;
}

QString SkinLibrary::ImagePath(const std::string& fileName) const {
    QString path = FindResource(QString::fromStdString(skin::ResourceNameForImage(fileName)));
    return path.isEmpty() ? FindResource(QString::fromStdString(fileName)) : path;
}

QImage SkinLibrary::Bitmap(int number) {
    InitSkinResources();
    return QImage(QStringLiteral(":/bitmaps/%1.bmp").arg(number));
}

QFont SkinLibrary::Font(const skin::Font& f) const {
    QFont font(QString::fromStdString(f.faceName));
    // A negative height is the character height in pixels, a positive one the cell height.
    const int px = f.height < 0 ? -f.height : (f.height > 0 ? f.height * 3 / 4 : 12);
    font.setPixelSize(std::max(1, skin::ScaleForDpi(px, ScreenDpiY(), skin_.dpiY, dpiScaling)));
    font.setWeight(f.weight >= 600 ? QFont::Bold : (f.weight > 0 && f.weight < 400 ? QFont::Light : QFont::Normal));
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

int SkinLibrary::ScreenDpiX() const {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? static_cast<int>(s->logicalDotsPerInchX()) : 96;
}

int SkinLibrary::ScreenDpiY() const {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? static_cast<int>(s->logicalDotsPerInchY()) : 96;
}

void SetSkinMessageHook(std::function<void(const QString&)> hook) { MessageHook() = std::move(hook); }

bool StartSkin() { return StartSkinFrom(QString()); }

bool StartSkinFrom(const QString& dir) {
    QString error;
    auto& lib = SkinLibrary::Instance();
    const int code = dir.isEmpty() ? lib.Load(&error) : lib.LoadFromDirectory(dir, &error);
    if (code == skin::kSkinOk) return true;
    if (code == skin::kSkinNewerVersion) Tell(QString::fromUtf8(skin::kNewerSkinMessage.data(),
                                                                 static_cast<int>(skin::kNewerSkinMessage.size())));
    qWarning("skin not loaded (%d): %s", code, qPrintable(error));
    Tell(QString::fromUtf8(skin::kSkinLoadFailedMessage.data(), static_cast<int>(skin::kSkinLoadFailedMessage.size())));
    return false;
}

}  // namespace fw
