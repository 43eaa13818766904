// fenwarde-skin-shot: renders a window of the skin, with its controls, to a PNG file without a
// screen. For reviewing the skin and for the tests.
//
//   fenwarde-skin-shot --window IDW_LOGIN --out login.png
//   fenwarde-skin-shot --all --out-dir shots/        (every window, one PNG each)
#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include "skin/CUIWnd.h"
#include "skin/SkinControls.h"
#include "skin/SkinLibrary.h"

namespace {

QTextStream& Err() {
    static QTextStream err(stderr);
    return err;
}

// A little plausible content so lists, combo boxes and the pager show how they look in use.
void FillSample(fw::CUIWnd& w) {
    const QVector<QImage> rowImages{fw::SkinLibrary::Bitmap(132), fw::SkinLibrary::Bitmap(131)};
    for (const auto& child : w.Children()) {
        if (auto* list = qobject_cast<fw::SkinListCtrl*>(child.widget)) {
            list->setHeaderLabels({QString::fromUtf8("线路名称"), QString::fromUtf8("沿途站点"),
                                   QString::fromUtf8("全长"), QString::fromUtf8("总耗时"), QString::fromUtf8("操作")});
            list->setColumnWidth(0, 200);
            list->setColumnWidth(1, std::max(200, list->viewport()->width() - 500));
            for (int c = 2; c < 5; ++c) list->setColumnWidth(c, 100);
            list->SetImageList(rowImages);
            const char* stations[] = {"火车站 — 人民广场 — 市政府 — 体育中心 — 新城客运站",
                                      "东湖公园 — 解放路 — 中心医院 — 科技园",
                                      "北站 — 文化宫 — 滨江路 — 大学城 — 南湖"};
            for (int r = 0; r < 14; ++r) {
                auto* item = new QTreeWidgetItem(list, {QString::fromUtf8("%1路").arg(10 + r * 7),
                                                        QString::fromUtf8(stations[r % 3]),
                                                        QString::number(12.4 + r * 3.1, 'f', 2),
                                                        QStringLiteral("00:%1").arg(35 + r * 2), QString()});
                list->SetItemImage(item, r % 4 == 1 ? 1 : 0);
            }
            list->setCurrentItem(list->topLevelItem(1));
        } else if (auto* combo = qobject_cast<QComboBox*>(child.widget)) {
            combo->addItem(QString::fromUtf8(child.def->idName.find("GONGSI") != std::string::npos ? "第一公交公司"
                                                                                                 : "浙A·12345"));
        } else if (auto* dt = qobject_cast<QDateTimeEdit*>(child.widget)) {
            // The report window shows whole date-times in its pickers.
            if (child.def->idName.find("STAT") != std::string::npos) dt->setDisplayFormat("yyyy-MM-dd HH:mm:ss");
            dt->setDateTime(QDateTime(QDate(2014, 8, 25), QTime(5, 0)));
        } else if (auto* progress = qobject_cast<QProgressBar*>(child.widget)) {
            progress->setValue(60);
        } else if (child.def->idName == "IDC_STA_LX_GL_FENYE_YESHU2") {
            qobject_cast<QLabel*>(child.widget)->setText(QStringLiteral("1"));
        } else if (child.def->idName == "IDC_STA_LX_GL_FENYE_JILUSHU") {
            qobject_cast<QLabel*>(child.widget)->setText(QStringLiteral("14"));
        } else if (child.def->idName == "IDC_EDT_LX_GL_FENYE_INPUT") {
            qobject_cast<QLineEdit*>(child.widget)->setText(QStringLiteral("1"));
        } else if (child.def->idName == "IDC_EDT_SERVER") {
            qobject_cast<QLineEdit*>(child.widget)->setText(QStringLiteral("127.0.0.1"));
        } else if (child.def->idName == "IDC_EDT_LOGIN_NAME") {
            qobject_cast<QLineEdit*>(child.widget)->setText(QString::fromUtf8("调度员"));
        } else if (child.def->idName == "IDC_EDT_LOGIN_PASSWORD") {
            qobject_cast<QLineEdit*>(child.widget)->setText(QStringLiteral("secret"));
        }
    }
    // The first radio of each window ticked, as the windows do at start.
    for (const auto& child : w.Children())
        if (auto* radio = qobject_cast<QRadioButton*>(child.widget); radio && !radio->isHidden()) {
            radio->setChecked(true);
            break;
        }
}

bool Shoot(const QString& name, const QString& out, bool sample, qint64* buildMs = nullptr) {
    const auto number = fw::SkinLibrary::Instance().Model().ids.NumberOf(name.toStdString());
    if (!number || !fw::SkinLibrary::Instance().Model().FindWindow(*number)) {
        Err() << "no window " << name << " in the skin\n";
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    fw::CUIWnd w;
    w.SetSkinWindowId(*number);
    if (!w.Create(nullptr, false)) {
        Err() << "window " << name << " could not be built\n";
        return false;
    }
    if (buildMs) *buildMs = timer.elapsed();
    w.setAttribute(Qt::WA_DontShowOnScreen);
    w.show();
    QApplication::processEvents();
    if (sample) FillSample(w);
    QApplication::processEvents();
    QImage shot = w.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    if (!w.mask().isEmpty()) {
        // Outside the window's region is transparent, as on screen.
        QImage clipped(shot.size(), QImage::Format_ARGB32);
        clipped.fill(Qt::transparent);
        QPainter p(&clipped);
        p.setClipRegion(w.mask());
        p.drawImage(0, 0, shot);
        p.end();
        shot = clipped;
    }
    if (!shot.save(out, "PNG")) {
        Err() << "cannot write " << out << "\n";
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Renders windows of the Fen_warde skin to PNG files.");
    parser.addHelpOption();
    parser.addOption({"window", "Skin window to render (an IDW_ name).", "IDW_NAME"});
    parser.addOption({"out", "PNG file to write.", "FILE.png"});
    parser.addOption({"all", "Render every window of the skin."});
    parser.addOption({"out-dir", "Folder for --all (default: current folder).", "DIR", "."});
    parser.addOption({"skin", "Render the skin in this folder instead of the built-in one.", "DIR"});
    parser.addOption({"empty", "Leave lists and fields empty (no sample content)."});
    parser.process(app);

    QElapsedTimer timer;
    timer.start();
    QString error;
    auto& lib = fw::SkinLibrary::Instance();
    const int code = parser.isSet("skin") ? lib.LoadFromDirectory(parser.value("skin"), &error) : lib.Load(&error);
    if (code != 0) {
        Err() << "skin not loaded (" << code << "): " << error << "\n";
        return 2;
    }
    const qint64 loadMs = timer.elapsed();
    const bool sample = !parser.isSet("empty");
    fw::SkinBrowser::SetViewsEnabled(false);

    if (parser.isSet("all")) {
        const QDir dir(parser.value("out-dir"));
        if (!QDir().mkpath(dir.absolutePath())) {
            Err() << "cannot create " << dir.absolutePath() << "\n";
            return 1;
        }
        bool ok = true;
        for (const auto& w : lib.Model().windows) {
            const QString name = QString::fromStdString(w.idName);
            const QString file = dir.filePath(name + ".png");
            qint64 buildMs = 0;
            ok = Shoot(name, file, sample, &buildMs) && ok;
            QTextStream(stdout) << file << " (built in " << buildMs << " ms)\n";
        }
        QTextStream(stdout) << "skin loaded in " << loadMs << " ms\n";
        return ok ? 0 : 1;
    }
    if (!parser.isSet("window") || !parser.isSet("out")) {
        Err() << "give --window IDW_NAME --out FILE.png, or --all\n";
        return 1;
    }
    return Shoot(parser.value("window"), parser.value("out"), sample) ? 0 : 1;
}
