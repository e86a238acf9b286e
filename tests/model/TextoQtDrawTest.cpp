#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>

#include "model/Texto.h"
#include "platform/qt/QtDeviceContext.h"
#include "tests/support/QtApp.h"

namespace {

using platform::Rect;

const QRgb kBackground = qRgb(0, 0, 255);

// The rows of `image` between `top` and `bottom` (exclusive) that hold at least one pixel other than the
// background, first and last; {-1, -1} when there is none.
std::pair<int, int> InkRows(const QImage& image, int top, int bottom) {
    std::pair<int, int> rows{-1, -1};
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kBackground) {
                if (rows.first < 0) rows.first = y;
                rows.second = y;
                break;
            }
    return rows;
}

// A text drawn by the player on the real font: two lines one line height apart, the second one a single
// word too wide for the rectangle and cut by its bottom, in the text's colour on whatever lay below.
TEST(TextoQtDraw, DrawsWrappedLinesInTheirBandsInsideTheRectangleOnly) {
    test_support::EnsureQtApplication();
    platform::QtImageDeviceContext dc(240, 90);
    dc.Image().fill(kBackground);

    CTexto texto;
    texto.text = "Hola mundo\r\nWWWWWWWWWWWWWWWWWWWW";
    texto.height = 20;
    texto.colour = 0x000000FF;  // red, as the colour reference holds it
    texto.rect = Rect{20, 10, 180, 40};
    texto.Draw(dc);

    dc.SelectFont(platform::FontRequest{20, 400, false, false, 2, 2, "Arial"});
    ASSERT_EQ(QFontInfo(dc.Font()).family().toStdString(), "Liberation Sans");  // not boxes
    const int lineHeight = dc.MeasureText("").cy;
    ASSERT_EQ(lineHeight, 20);

    const QImage& image = dc.Image();
    int inside = 0, white = 0, reddest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (p == kBackground) continue;
            const bool inRect = x >= 20 && x < 180 && y >= 10 && y < 40;
            EXPECT_TRUE(inRect) << "ink outside the rectangle at " << x << "," << y;
            inside += inRect;
            white += p == qRgb(255, 255, 255);
            reddest = std::max(reddest, qRed(p) - qBlue(p));
        }
    EXPECT_GT(inside, 100);
    EXPECT_EQ(white, 0);      // the background stays transparent
    EXPECT_GT(reddest, 200);  // fully covered pixels are the text's red

    // The first line's capitals lie in its band; the second line's start exactly one line height lower
    // and run on to the rectangle's bottom, where they are cut.
    const auto first = InkRows(image, 10, 10 + lineHeight);
    const auto second = InkRows(image, 10 + lineHeight, 40);
    ASSERT_GE(first.first, 10);
    ASSERT_GE(second.first, 10 + lineHeight);
    EXPECT_EQ(second.first - first.first, lineHeight);
    EXPECT_EQ(second.second, 39);
    // The long word is not split: it runs on to the rectangle's right edge on its own line.
    bool reachesRightEdge = false;
    for (int y = second.first; y < 40; ++y) reachesRightEdge |= image.pixel(179, y) != kBackground;
    EXPECT_TRUE(reachesRightEdge);
}

}  // namespace
