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

// What the X server shows where the box's text is, read back from the screen itself: a box that
// only a compositor could draw shows as a black rectangle on bare X. The buttons speak Chinese.
TEST(MessageBoxOnX11, EveryBoxIsReadableWithoutACompositor) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under Xvfb with QT_QPA_PLATFORM=xcb";
    ASSERT_TRUE(StartSkin());
    SkinMessageBox box(nullptr, QStringLiteral("确定退出系统？"), SkinMessageBox::Kind::Question);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::qWait(200);
    EXPECT_EQ(QStringList({box.OkButton()->text(), box.CancelButton()->text()}), QStringList({"确定", "取消"}));

    const QLabel* label = box.findChild<QLabel*>();
    const QRect area(label->mapToGlobal(QPoint(0, 0)), label->size());
    const QImage shot =
        QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
    ASSERT_FALSE(shot.isNull());
    // Dark glyph pixels on a white ground.
    int dark = 0, white = 0, black = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            dark += c.lightness() < 110;
            white += c.lightness() > 245;
            black += c.rgb() == qRgb(0, 0, 0);
        }
    const int all = shot.width() * shot.height();
    EXPECT_GT(dark, 20) << "no text on screen";
    EXPECT_GT(white, all / 2) << "no light ground behind the text";
    EXPECT_LT(black, all / 10) << "a black rectangle";
}

}  // namespace
}  // namespace fw
