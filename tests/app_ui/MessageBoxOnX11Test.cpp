#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "skin/SkinLibrary.h"
#include "skin/SkinMessageBox.h"

namespace fw {
namespace {

// What the X server shows where the box is: read back from the screen itself, so a box that
// only a compositor could draw (a black rectangle on bare X) is caught.
QImage OnScreen(const QWidget& w) {
    const QRect r = w.frameGeometry();
    return QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage();
}

TEST(MessageBoxOnX11, EveryBoxIsReadableWithoutACompositor) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under Xvfb with QT_QPA_PLATFORM=xcb";
    ASSERT_TRUE(StartSkin());
    const struct {
        const char* text;
        SkinMessageBox::Kind kind;
    } boxes[] = {{"服务器连接失败!!!", SkinMessageBox::Kind::Information},
                 {"与服务器断开连接", SkinMessageBox::Kind::Information},
                 {"确定退出系统？", SkinMessageBox::Kind::Question}};
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.text);
        SkinMessageBox box(nullptr, QString::fromUtf8(b.text), b.kind);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        QTest::qWait(200);
        EXPECT_EQ(box.OkButton()->text(), QStringLiteral("确定"));
        EXPECT_EQ(box.CancelButton() != nullptr, b.kind == SkinMessageBox::Kind::Question);
        if (box.CancelButton()) EXPECT_EQ(box.CancelButton()->text(), QStringLiteral("取消"));

        const QImage shot = OnScreen(box);
        ASSERT_FALSE(shot.isNull());
        // The text's own area: dark glyph pixels on a white ground.
        const QLabel* label = box.findChild<QLabel*>();
        const QRect textArea(label->mapTo(&box, QPoint(0, 0)), label->size());
        int dark = 0, white = 0, black = 0;
        for (int y = textArea.top(); y <= textArea.bottom(); ++y)
            for (int x = textArea.left(); x <= textArea.right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                if (c.lightness() < 110) ++dark;
                if (c.lightness() > 245) ++white;
                if (c.rgb() == qRgb(0, 0, 0)) ++black;
            }
        const int all = textArea.width() * textArea.height();
        EXPECT_GT(dark, 20) << "no text on screen";
        EXPECT_GT(white, all / 2) << "no light ground behind the text";
        EXPECT_LT(black, all / 10) << "a black rectangle";
        box.close();
    }
}

}  // namespace
}  // namespace fw
