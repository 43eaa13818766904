// Draws the bitmaps of the program's skin into a folder: 24-bit BMPs, small ones stretched by
// the skin's nine-grid points. Run with --out res/images after changing the look.
#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <cmath>
#include <functional>

namespace {

// One accent colour and its shades; the rest is neutral.
const QColor kAccent(0x1F, 0x6F, 0xB2);
const QColor kAccentLight(0x4A, 0x90, 0xD0);
const QColor kAccentDark(0x17, 0x57, 0x8D);
const QColor kBandTop(0x1A, 0x5A, 0x96);
const QColor kBandBottom(0x24, 0x74, 0xB8);
const QColor kBody(0xEE, 0xF1, 0xF5);
const QColor kBorder(0xC9, 0xD1, 0xDB);
const QColor kBorderSoft(0xDD, 0xE3, 0xEA);
const QColor kText(0x38, 0x38, 0x38);
const QColor kDisabledFill(0xF2, 0xF3, 0xF5);
const QColor kDisabledLine(0xD5, 0xD8, 0xDC);
const QColor kMask(0xFF, 0x00, 0xFF);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kDanger(0xE0, 0x43, 0x43);

QString g_out;
int g_count = 0;

QColor Mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

// The title band shares one gradient everywhere so pieces drawn apart line up.
QColor Band(int y) { return Mix(kBandTop, kBandBottom, std::clamp(y / 61.0, 0.0, 1.0)); }

void FillBand(QPainter& p, const QRect& r, int bandY0) {
    for (int y = r.top(); y <= r.bottom(); ++y) p.fillRect(QRect(r.left(), y, r.width(), 1), Band(bandY0 + y - r.top()));
}

void Save(const QImage& img, const QString& name) {
    QImage out = img.convertToFormat(QImage::Format_RGB888);
    const QString path = QDir(g_out).filePath(name);
    if (!out.save(path, "BMP")) {
        QTextStream(stderr) << "cannot write " << path << "\n";
        std::exit(1);
    }
    ++g_count;
}

QImage Canvas(int w, int h, const QColor& fill) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(fill);
    return img;
}

using StateDraw = std::function<void(QPainter&, const QRect&, int state)>;

// A strip of equal parts, one per state, left to right.
void Strip(const QString& name, int partW, int h, int parts, const QColor& bg, const StateDraw& draw) {
    QImage img = Canvas(partW * parts, h, bg);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < parts; ++i) {
        p.save();
        draw(p, QRect(i * partW, 0, partW, h), i);
        p.restore();
    }
    p.end();
    Save(img, name);
}

void RoundBox(QPainter& p, const QRectF& r, double radius, const QColor& fill, const QColor& line) {
    p.setPen(line.isValid() ? QPen(line, 1) : Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

// Windows and bars ---------------------------------------------------------------------------

void MainBackground() {
    QImage img = Canvas(80, 100, kBody);
    QPainter p(&img);
    FillBand(p, QRect(0, 0, 80, 62), 0);
    p.fillRect(QRect(0, 62, 80, 1), kAccentDark);
    p.setRenderHint(QPainter::Antialiasing);
    // The mark: a white rounded square with a bus front in the accent colour.
    RoundBox(p, QRectF(10, 4, 22, 20), 4, kWhite, QColor());
    p.setBrush(kAccent);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(14, 7, 14, 10), 2, 2);
    p.setBrush(kWhite);
    p.drawRect(QRectF(15.5, 8.5, 11, 4));
    p.setBrush(kAccent);
    p.drawEllipse(QRectF(15, 17.5, 4, 4));
    p.drawEllipse(QRectF(23, 17.5, 4, 4));
    p.end();
    Save(img, "main_bg.bmp");
}

void PageBackground() {
    QImage img = Canvas(20, 20, kWhite);
    QPainter p(&img);
    p.setPen(kBorderSoft);
    p.drawRect(0, 0, 19, 19);
    p.end();
    Save(img, "page_bg.bmp");
}

void BarBackground() {
    QImage img = Canvas(20, 33, kWhite);
    QPainter p(&img);
    p.fillRect(QRect(0, 32, 20, 1), kBorder);
    p.end();
    Save(img, "submenu_bg.bmp");
}

// A dialog: band on top, white body, rounded corners cut out with the mask colour.
void DialogBackground(const QString& name, int w, int h, int band) {
    QImage img = Canvas(w, h, kMask);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(0, 0, w, h), 6, 6);
    p.setClipPath(shape);
    p.fillRect(QRect(0, 0, w, h), kWhite);
    FillBand(p, QRect(0, 0, w, band), 0);
    p.setClipping(false);
    p.setPen(kBorder);
    p.setBrush(Qt::NoBrush);
    p.drawLine(0, band, 0, h - 7);
    p.drawLine(w - 1, band, w - 1, h - 7);
    p.drawLine(6, h - 1, w - 7, h - 1);
    p.end();
    Save(img, name);
}

void LoadBackground() {
    QImage img = Canvas(40, 40, kWhite);
    QPainter p(&img);
    p.fillRect(QRect(0, 0, 40, 4), kAccent);
    p.setPen(kBorder);
    p.drawLine(0, 4, 0, 39);
    p.drawLine(39, 4, 39, 39);
    p.drawLine(0, 39, 39, 39);
    p.end();
    Save(img, "load_bg.bmp");
}

// System boxes on the band ---------------------------------------------------------------------

enum class BoxGlyph { Minimize, Maximize, Close };

void SystemBox(const QString& name, BoxGlyph glyph) {
    const bool close = glyph == BoxGlyph::Close;
    Strip(name, 42, 25, 4, kWhite, [close, glyph](QPainter& p, const QRect& r, int s) {
        FillBand(p, r, 0);
        if (s == 1) p.fillRect(r, close ? kDanger : QColor(255, 255, 255, 40));
        if (s == 2) p.fillRect(r, close ? kDanger.darker(120) : QColor(0, 0, 0, 50));
        QPen pen(s == 3 ? QColor(255, 255, 255, 110) : kWhite, 1.6);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        const QPointF c = QRectF(r).center();
        if (close) {
            p.drawLine(c + QPointF(-5, -5), c + QPointF(5, 5));
            p.drawLine(c + QPointF(-5, 5), c + QPointF(5, -5));
        } else if (glyph == BoxGlyph::Maximize) {
            p.drawRect(QRectF(c.x() - 5, c.y() - 4.5, 10, 9));
        } else {
            p.drawLine(c + QPointF(-5, 0.5), c + QPointF(5, 0.5));
        }
    });
}

// The band under the menu that tells of a lost connection: pale amber, a darker line below.
void NoticeBand() {
    QImage img = Canvas(21, 21, QColor(0xFF, 0xF4, 0xD6));
    QPainter p(&img);
    p.fillRect(QRect(0, 20, 21, 1), QColor(0xE8, 0xC8, 0x70));
    p.end();
    Save(img, "notice_bg.bmp");
}

// Round icon buttons on the band, 28x28 at y = 31.
void BandIcon(const QString& name, const std::function<void(QPainter&, QPointF)>& glyph) {
    Strip(name, 28, 28, 4, kWhite, [&](QPainter& p, const QRect& r, int s) {
        FillBand(p, r, 31);
        if (s == 1 || s == 2) {
            p.setPen(Qt::NoPen);
            p.setBrush(s == 1 ? QColor(255, 255, 255, 45) : QColor(0, 0, 0, 50));
            p.drawEllipse(QRectF(r).adjusted(1, 1, -1, -1));
        }
        QPen pen(s == 3 ? QColor(255, 255, 255, 110) : kWhite, 1.8);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        glyph(p, QRectF(r).center());
    });
}

// Tabs ----------------------------------------------------------------------------------------

// Main menu: eight 120x34 parts over the band (rows 28..61); ticked tabs carry a white bar.
void MenuTabs() {
    Strip("tab_menu.bmp", 120, 34, 8, kWhite, [](QPainter& p, const QRect& r, int s) {
        FillBand(p, r, 28);
        const bool ticked = s >= 4;
        const int st = s % 4;
        if (ticked) p.fillRect(r, QColor(255, 255, 255, 38));
        if (st == 1) p.fillRect(r, QColor(255, 255, 255, 28));
        if (st == 2) p.fillRect(r, QColor(0, 0, 0, 40));
        if (ticked) p.fillRect(QRect(r.left() + 14, r.bottom() - 3, r.width() - 28, 4), kWhite);
    });
}

// Sub-menu bars: white, the ticked tab underlined in the accent colour.
void SubTabs() {
    Strip("tab_sub.bmp", 120, 33, 8, kWhite, [](QPainter& p, const QRect& r, int s) {
        const bool ticked = s >= 4;
        const int st = s % 4;
        if (st == 1) p.fillRect(r, QColor(0xF3, 0xF7, 0xFC));
        if (st == 2) p.fillRect(r, QColor(0xE6, 0xEE, 0xF7));
        if (ticked) p.fillRect(QRect(r.left(), r.top(), r.width(), r.height() - 1), QColor(0xEA, 0xF2, 0xFB));
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), kBorder);
        if (ticked) p.fillRect(QRect(r.left() + 10, r.bottom() - 2, r.width() - 20, 3), kAccent);
    });
}

// Check boxes and radio buttons: 16x16, eight states.
void Marks() {
    Strip("check.bmp", 16, 16, 8, kWhite, [](QPainter& p, const QRect& r, int s) {
        const bool ticked = s >= 4;
        const int st = s % 4;
        const QRectF box = QRectF(r).adjusted(1, 1, -1, -1);
        QColor line = st == 3 ? kDisabledLine : (st == 0 ? kBorder.darker(110) : kAccent);
        QColor fill = st == 3 ? kDisabledFill : kWhite;
        if (ticked && st != 3) fill = st == 2 ? kAccentDark : (st == 1 ? kAccentLight : kAccent);
        if (ticked && st != 3) line = fill;
        RoundBox(p, box, 2.5, fill, line);
        if (ticked) {
            QPen pen(st == 3 ? QColor(0xA0, 0xA0, 0xA0) : kWhite, 1.8);
            pen.setCapStyle(Qt::RoundCap);
            pen.setJoinStyle(Qt::RoundJoin);
            p.setPen(pen);
            const QPointF o = box.topLeft();
            p.drawPolyline(QPolygonF({o + QPointF(3.2, 7.2), o + QPointF(6, 10), o + QPointF(10.8, 4.2)}));
        }
    });
    Strip("radio.bmp", 16, 16, 8, kWhite, [](QPainter& p, const QRect& r, int s) {
        const bool ticked = s >= 4;
        const int st = s % 4;
        const QRectF ring = QRectF(r).adjusted(1, 1, -1, -1);
        const QColor line = st == 3 ? kDisabledLine : (st == 0 && !ticked ? kBorder.darker(110) : kAccent);
        p.setPen(QPen(line, 1.2));
        p.setBrush(st == 3 ? kDisabledFill : kWhite);
        p.drawEllipse(ring.adjusted(0.5, 0.5, -0.5, -0.5));
        if (ticked) {
            p.setPen(Qt::NoPen);
            p.setBrush(st == 3 ? QColor(0xB0, 0xB0, 0xB0) : (st == 2 ? kAccentDark : kAccent));
            p.drawEllipse(QRectF(ring.center() - QPointF(3.5, 3.5), QSizeF(7, 7)));
        }
    });
}

// Push buttons, edits and pickers -------------------------------------------------------------

void Buttons() {
    Strip("btn_primary.bmp", 20, 28, 4, kWhite, [](QPainter& p, const QRect& r, int s) {
        const QColor fills[4] = {kAccent, kAccentLight, kAccentDark, QColor(0xB9, 0xC6, 0xD3)};
        RoundBox(p, QRectF(r), 3, fills[s], QColor());
    });
    Strip("btn_normal.bmp", 20, 28, 4, kWhite, [](QPainter& p, const QRect& r, int s) {
        const QColor fills[4] = {kWhite, QColor(0xF1, 0xF6, 0xFC), QColor(0xE1, 0xEB, 0xF6), kDisabledFill};
        const QColor lines[4] = {kBorder, kAccentLight, kAccent, kDisabledLine};
        RoundBox(p, QRectF(r), 3, fills[s], lines[s]);
    });
}

void Fields() {
    const QColor lines[4] = {kBorder, kAccentLight, kAccent, kDisabledLine};
    const QColor fills[4] = {kWhite, kWhite, kWhite, kDisabledFill};
    Strip("edit.bmp", 20, 28, 4, kWhite, [&](QPainter& p, const QRect& r, int s) {
        RoundBox(p, QRectF(r), 2, fills[s], lines[s]);
    });
    // Combo box and date picker: the button part is the right 24 pixels.
    auto picker = [&](const QString& name, bool calendar) {
        Strip(name, 44, 28, 4, kWhite, [&, calendar](QPainter& p, const QRect& r, int s) {
            RoundBox(p, QRectF(r), 2, fills[s], lines[s]);
            p.setPen(QPen(kBorderSoft, 1));
            p.drawLine(QPointF(r.right() - 23.5, r.top() + 5), QPointF(r.right() - 23.5, r.bottom() - 5));
            const QColor glyph = s == 3 ? QColor(0xB0, 0xB0, 0xB0) : (s == 0 ? QColor(0x6A, 0x74, 0x80) : kAccent);
            const QPointF c(r.right() - 11.5, r.center().y() + 0.5);
            if (calendar) {
                p.setPen(QPen(glyph, 1.2));
                p.setBrush(Qt::NoBrush);
                p.drawRoundedRect(QRectF(c.x() - 6, c.y() - 5, 12, 11), 1.5, 1.5);
                p.drawLine(QPointF(c.x() - 6, c.y() - 2), QPointF(c.x() + 6, c.y() - 2));
                p.drawLine(QPointF(c.x() - 3, c.y() - 7), QPointF(c.x() - 3, c.y() - 4));
                p.drawLine(QPointF(c.x() + 3, c.y() - 7), QPointF(c.x() + 3, c.y() - 4));
            } else {
                p.setPen(Qt::NoPen);
                p.setBrush(glyph);
                p.drawPolygon(QPolygonF({c + QPointF(-4.5, -2), c + QPointF(4.5, -2), c + QPointF(0, 3)}));
            }
        });
    };
    picker("combo.bmp", false);
    picker("datetime.bmp", true);
}

// Pager ---------------------------------------------------------------------------------------

void Pager() {
    auto pagerButton = [](const QString& name, int w, const std::function<void(QPainter&, QPointF, QColor)>& glyph) {
        Strip(name, w, 23, 4, kWhite, [&](QPainter& p, const QRect& r, int s) {
            const QColor fills[4] = {kWhite, QColor(0xF1, 0xF6, 0xFC), QColor(0xE1, 0xEB, 0xF6), kDisabledFill};
            const QColor lines[4] = {kBorder, kAccentLight, kAccent, kDisabledLine};
            RoundBox(p, QRectF(r), 2.5, fills[s], lines[s]);
            const QColor ink = s == 3 ? QColor(0xB8, 0xBD, 0xC4) : (s == 0 ? QColor(0x55, 0x60, 0x6E) : kAccent);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            if (glyph) glyph(p, QRectF(r).center() + QPointF(0.5, 0.5), ink);
        });
    };
    auto left = [](QPainter& p, QPointF c) { p.drawPolygon(QPolygonF({c + QPointF(2.5, -4.5), c + QPointF(2.5, 4.5), c + QPointF(-3, 0)})); };
    auto right = [](QPainter& p, QPointF c) { p.drawPolygon(QPolygonF({c + QPointF(-2.5, -4.5), c + QPointF(-2.5, 4.5), c + QPointF(3, 0)})); };
    pagerButton("fenye_shouye.bmp", 28, [&](QPainter& p, QPointF c, QColor ink) {
        p.fillRect(QRectF(c.x() - 5, c.y() - 4.5, 1.6, 9), ink);
        left(p, c + QPointF(1.5, 0));
    });
    pagerButton("fenye_qian.bmp", 28, [&](QPainter& p, QPointF c, QColor) { left(p, c); });
    pagerButton("fenye_next.bmp", 28, [&](QPainter& p, QPointF c, QColor) { right(p, c); });
    pagerButton("fenye_moye.bmp", 28, [&](QPainter& p, QPointF c, QColor ink) {
        p.fillRect(QRectF(c.x() + 3.4, c.y() - 4.5, 1.6, 9), ink);
        right(p, c - QPointF(1.5, 0));
    });
    pagerButton("fenye_tiaozhuan.bmp", 20, nullptr);

    QImage line = Canvas(2, 23, kWhite);
    QPainter lp(&line);
    lp.fillRect(QRect(0, 3, 1, 17), kBorder);
    lp.end();
    Save(line, "fenye.bmp");

    QImage bg = Canvas(20, 23, kWhite);
    QPainter bp(&bg);
    bp.setRenderHint(QPainter::Antialiasing);
    RoundBox(bp, QRectF(0, 0, 20, 23), 3, QColor(0xF7, 0xF9, 0xFB), kBorderSoft);
    bp.end();
    Save(bg, "fenye_bg.bmp");
}

// Lists ---------------------------------------------------------------------------------------

void ListParts() {
    Strip("table_header_bg.bmp", 20, 34, 4, kWhite, [](QPainter& p, const QRect& r, int s) {
        const QColor fills[4] = {QColor(0xF0, 0xF4, 0xF9), QColor(0xE6, 0xEE, 0xF7), QColor(0xDA, 0xE6, 0xF3),
                                 QColor(0xF4, 0xF5, 0xF6)};
        p.fillRect(r, fills[s]);
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), kBorder);
        p.fillRect(QRect(r.right(), r.top() + 8, 1, r.height() - 16), kBorder);
    });
    QImage listBg = Canvas(20, 20, kWhite);
    QPainter lp(&listBg);
    lp.setPen(kBorderSoft);
    lp.drawRect(0, 0, 19, 19);
    lp.end();
    Save(listBg, "list_bg.bmp");

    // Scroll bars: a pale track and a rounded thumb in three states.
    auto bar = [](const QString& prefix, bool vertical) {
        const int w = vertical ? 12 : 40, h = vertical ? 40 : 12;
        QImage track = Canvas(w, h, QColor(0xF4, 0xF6, 0xF9));
        Save(track, prefix + "_bk.bmp");
        const QColor thumbs[3] = {QColor(0xC3, 0xCC, 0xD6), QColor(0x9F, 0xB4, 0xCA), kAccentLight};
        const char* names[3] = {"_thumb_n.bmp", "_thumb_h.bmp", "_thumb_s.bmp"};
        for (int i = 0; i < 3; ++i) {
            QImage t = Canvas(w, h, QColor(0xF4, 0xF6, 0xF9));
            QPainter p(&t);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(thumbs[i]);
            p.drawRoundedRect(QRectF(2, 2, w - 4, h - 4), 4, 4);
            p.end();
            Save(t, prefix + names[i]);
        }
    };
    bar("sb_hor", false);
    bar("sb_ver", true);
}

void Progress() {
    QImage bg = Canvas(20, 16, kWhite);
    QPainter p(&bg);
    p.setRenderHint(QPainter::Antialiasing);
    RoundBox(p, QRectF(0, 0, 20, 16), 4, QColor(0xE8, 0xED, 0xF3), kBorderSoft);
    p.end();
    Save(bg, "progress_bg.bmp");
    QImage thumb = Canvas(20, 16, QColor(0xE8, 0xED, 0xF3));
    QPainter t(&thumb);
    t.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 16);
    g.setColorAt(0, kAccentLight);
    g.setColorAt(1, kAccent);
    t.setPen(Qt::NoPen);
    t.setBrush(g);
    t.drawRoundedRect(QRectF(0, 0, 20, 16), 4, 4);
    t.end();
    Save(thumb, "progress_thumb.bmp");
}

// The main window's row images: 132 an empty box, 131 a ticked one, 133 a blank strip. Black is
// their mask colour.
void RowImages() {
    for (int ticked = 0; ticked < 2; ++ticked) {
        QImage img = Canvas(15, 33, Qt::black);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF box(1, 10, 13, 13);
        RoundBox(p, box, 2, ticked ? kAccent : kWhite, ticked ? kAccent : kBorder.darker(115));
        if (ticked) {
            QPen pen(kWhite, 1.7);
            pen.setCapStyle(Qt::RoundCap);
            p.setPen(pen);
            p.drawPolyline(QPolygonF({QPointF(4, 16.5), QPointF(6.6, 19.2), QPointF(11, 13.8)}));
        }
        p.end();
        Save(img, ticked ? "131.bmp" : "132.bmp");
    }
    Save(Canvas(1, 33, Qt::black), "133.bmp");
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Draws the skin's bitmaps.");
    parser.addHelpOption();
    parser.addOption({"out", "Folder to write the bitmaps into.", "dir", "res/images"});
    parser.process(app);
    g_out = parser.value("out");
    if (!QDir().mkpath(g_out)) {
        QTextStream(stderr) << "cannot create " << g_out << "\n";
        return 1;
    }

    MainBackground();
    PageBackground();
    BarBackground();
    DialogBackground("login_bg.bmp", 40, 80, 60);
    DialogBackground("setting_bg.bmp", 40, 60, 40);
    LoadBackground();
    SystemBox("close.bmp", BoxGlyph::Close);
    SystemBox("min.bmp", BoxGlyph::Minimize);
    SystemBox("max.bmp", BoxGlyph::Maximize);
    NoticeBand();
    BandIcon("setting.bmp", [](QPainter& p, QPointF c) {
        p.drawEllipse(c, 3.2, 3.2);
        for (int i = 0; i < 8; ++i) {
            const double a = i * M_PI / 4;
            p.drawLine(c + QPointF(std::cos(a) * 5.6, std::sin(a) * 5.6), c + QPointF(std::cos(a) * 7.6, std::sin(a) * 7.6));
        }
        p.drawEllipse(c, 5.6, 5.6);
    });
    BandIcon("logout.bmp", [](QPainter& p, QPointF c) {
        p.drawArc(QRectF(c.x() - 6.5, c.y() - 5.5, 13, 13), 120 * 16, 300 * 16);
        p.drawLine(c + QPointF(0, -7.5), c + QPointF(0, -1));
    });
    MenuTabs();
    SubTabs();
    Marks();
    Buttons();
    Fields();
    Pager();
    ListParts();
    Progress();
    RowImages();
    QTextStream(stdout) << g_count << " bitmaps written to " << g_out << "\n";
    return 0;
}
