// Draws the program's icon, the front of a bus on the skin's blue, as PNGs of the sizes the
// hicolor theme asks for. Run with --out res/icons after changing it.
#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

namespace {

// The skin's accent and its band (tools/skinimages), an amber for the lights.
const QColor kBandTop(0x1A, 0x5A, 0x96);
const QColor kAccentLight(0x4A, 0x90, 0xD0);
const QColor kGlass(0x17, 0x4A, 0x7C);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kShade(0xD6, 0xE2, 0xEE);
const QColor kLight(0xF5, 0xB3, 0x01);
const QColor kTyre(0x23, 0x2B, 0x35);

// Drawn on a 256 grid and scaled, so every size is the same picture.
QImage Draw(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    p.setPen(Qt::NoPen);

    // The tile: a rounded square, lighter at the top.
    QLinearGradient tile(0, 8, 0, 248);
    tile.setColorAt(0, kAccentLight);
    tile.setColorAt(1, kBandTop);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 52, 52);

    // Tyres under the body, then the body with its mirrors.
    p.setBrush(kTyre);
    p.drawRoundedRect(QRectF(70, 186, 34, 38), 8, 8);
    p.drawRoundedRect(QRectF(152, 186, 34, 38), 8, 8);
    p.setBrush(kWhite);
    p.drawRoundedRect(QRectF(56, 36, 144, 166), 26, 26);
    p.drawRoundedRect(QRectF(38, 78, 14, 34), 6, 6);
    p.drawRoundedRect(QRectF(204, 78, 14, 34), 6, 6);
    p.drawRect(QRectF(48, 84, 10, 6));
    p.drawRect(QRectF(198, 84, 10, 6));

    // The route sign, the windscreen and the bumper.
    p.setBrush(kShade);
    p.drawRoundedRect(QRectF(84, 48, 88, 16), 5, 5);
    p.setBrush(kGlass);
    QPainterPath glass;
    glass.addRoundedRect(QRectF(70, 74, 116, 66), 12, 12);
    p.drawPath(glass);
    p.setBrush(kShade);
    p.drawRoundedRect(QRectF(56, 176, 144, 14), 6, 6);

    // A sheen across the windscreen, and the two lights.
    p.setClipPath(glass);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawPolygon(QPolygonF({QPointF(70, 140), QPointF(150, 74), QPointF(186, 74), QPointF(106, 140)}));
    p.setClipping(false);
    p.setBrush(kLight);
    p.drawEllipse(QPointF(86, 158), 11, 11);
    p.drawEllipse(QPointF(170, 158), 11, 11);
    p.setBrush(kShade);
    p.drawRoundedRect(QRectF(108, 152, 40, 12), 4, 4);
    p.end();
    return img;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Draws the program's icon.");
    parser.addHelpOption();
    parser.addOption({"out", "Folder to write fenwarde-<size>.png into.", "dir", "res/icons"});
    parser.process(app);
    const QString out = parser.value("out");
    if (!QDir().mkpath(out)) {
        QTextStream(stderr) << "cannot create " << out << "\n";
        return 1;
    }
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString path = QDir(out).filePath(QStringLiteral("fenwarde-%1.png").arg(size));
        if (!Draw(size).save(path, "PNG")) {
            QTextStream(stderr) << "cannot write " << path << "\n";
            return 1;
        }
    }
    QTextStream(stdout) << "icons written to " << out << "\n";
    return 0;
}
