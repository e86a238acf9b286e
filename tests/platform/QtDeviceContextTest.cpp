#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

#include "platform/WordBreak.h"
#include "platform/qt/QtDeviceContext.h"
#include "tests/support/QtApp.h"

using namespace platform;

namespace {

FontRequest Font(const std::string& face, int32_t height, bool bold = false) {
    FontRequest request;
    request.faceName = face;
    request.height = height;
    request.weight = bold ? 700 : 400;
    return request;
}

int CountNonWhite(const QImage& image, const QRect& area, bool inside) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (area.contains(x, y) == inside && (image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) ++count;
    return count;
}

// A 3 × 2 DIB, 24 bits, rows bottom-up and padded to 4 bytes. Top-down, its pixels are
// row 0: red, green, blue; row 1: black, white, grey.
struct TinyDib {
    uint8_t bits[2 * 12] = {
        // bottom row (top-down row 1): black, white, grey, padding
        0, 0, 0, 255, 255, 255, 128, 128, 128, 0, 0, 0,
        // top row (top-down row 0): red, green, blue in blue-green-red order, padding
        0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    DibView View() const { return {3, 2, 24, 12, bits, nullptr}; }
};
const QRgb kTinyTopDown[2][3] = {{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)},
                                 {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(128, 128, 128)}};

}  // namespace

class QtDeviceContextTest : public testing::Test {
  protected:
    void SetUp() override { test_support::EnsureQtApplication(); }
};

TEST_F(QtDeviceContextTest, TheWindowsFacesResolveToTheirMetricCompatibleFamilies) {
    // Without these families the fonts draw as boxes or wrap elsewhere, and nothing else would notice.
    QtImageDeviceContext dc(8, 8);
    const std::pair<const char*, const char*> faces[] = {{"Arial", "Liberation Sans"},
                                                         {"Times New Roman", "Liberation Serif"},
                                                         {"Courier New", "Liberation Mono"},
                                                         {"", "Liberation Sans"}};
    for (const auto& [face, family] : faces) {
        dc.SelectFont(Font(face, 15));
        EXPECT_EQ(QFontInfo(dc.Font()).family().toStdString(), family) << "face '" << face << "'";
    }
}

TEST_F(QtDeviceContextTest, PositiveHeightsAreCellHeightsAndNegativeOnesCharacterHeights) {
    QtImageDeviceContext dc(8, 8);
    for (int32_t height : {8, 12, 13, 15, 18, 20, 24, 29, 36, 40, 72}) {
        dc.SelectFont(Font("Arial", height));
        EXPECT_EQ(dc.MeasureText("").cy, height);
        // Whole-pixel fonts cannot always reach the cell exactly; the glyphs may be one pixel short.
        QFontMetrics metrics(dc.Font());
        EXPECT_LE(metrics.ascent() + metrics.descent(), height);
        EXPECT_GE(metrics.ascent() + metrics.descent(), height - 1) << "height " << height;

        dc.SelectFont(Font("Arial", -height));
        EXPECT_EQ(QFontInfo(dc.Font()).pixelSize(), height);
        // Arial's cell is about 1.12 times its em; the internal leading lies above the characters.
        const int32_t bigger = dc.MeasureText("").cy;
        EXPECT_GT(bigger, height) << "height " << -height;
        EXPECT_LE(bigger, height * 5 / 4 + 1) << "height " << -height;
    }
    dc.SelectFont(Font("Arial", 0));
    EXPECT_EQ(dc.MeasureText("").cy, 16);
    EXPECT_EQ(dc.SelectedFont(), Font("Arial", 0));
}

TEST_F(QtDeviceContextTest, HostileHeightsGiveABoundedFont) {
    QtImageDeviceContext dc(8, 8);
    dc.SelectFont(Font("Arial", INT32_MIN));
    EXPECT_GT(dc.MeasureText("x").cy, 0);
    dc.SelectFont(Font("Arial", INT32_MAX));
    EXPECT_GT(dc.MeasureText("x").cy, 0);
    EXPECT_LT(dc.MeasureText("x").cy, 10000);
}

TEST_F(QtDeviceContextTest, MeasuringGivesOneLinesExtent) {
    QtImageDeviceContext dc(8, 8);
    dc.SelectFont(Font("Arial", 15));
    const Size empty = dc.MeasureText("");
    EXPECT_EQ(empty.cx, 0);
    EXPECT_GT(empty.cy, 0);
    const Size word = dc.MeasureText("Hola mundo");
    EXPECT_EQ(word.cy, empty.cy);
    EXPECT_GT(word.cx, dc.MeasureText("Hola").cx);
    EXPECT_EQ(dc.MeasureText("Hola mundo").cx, word.cx);
    EXPECT_GT(dc.MeasureText("Ma\xF1"
                             "ana")
                  .cx,
              dc.MeasureText("Maana").cx);  // ñ measured as a letter

    // The bytes are Windows-1252 characters: the euro sign, the curly quotes and the dash of its upper half
    // measure as those characters, not as the control codes of the same numbers.
    const QString unicode = QString::fromUtf8("\u20AC 5 \u201Cs\u00ED\u201D \u2014 \u00F1");
    EXPECT_EQ(dc.MeasureText("\x80 5 \x93s\xED\x94 \x97 \xF1").cx,
              QFontMetrics(dc.Font()).horizontalAdvance(unicode));

    dc.SelectFont(Font("Arial", 15, true));
    EXPECT_GT(dc.MeasureText("Hola mundo").cx, word.cx);  // bold is wider
    FontRequest styled = Font("Times New Roman", 15);
    styled.italic = true;
    styled.underline = true;
    dc.SelectFont(styled);
    EXPECT_TRUE(dc.Font().italic());
    EXPECT_TRUE(dc.Font().underline());
}

// A Qt context that counts its measures and, when asked, cannot guess advances.
class CountingQtContext : public QtImageDeviceContext {
  public:
    explicit CountingQtContext(bool guesses) : QtImageDeviceContext(8, 8), guesses_(guesses) {}
    Size MeasureText(std::string_view text) override {
        ++measures;
        return QtImageDeviceContext::MeasureText(text);
    }
    double CharacterAdvance(uint8_t c) override {
        return guesses_ ? QtImageDeviceContext::CharacterAdvance(c) : -1;
    }
    int measures = 0;

  private:
    bool guesses_;
};

// With real fonts the character advances only guess where lines break: the lines are those found by
// measuring alone, in every face, size and style, at every width, for fewer measures.
TEST_F(QtDeviceContextTest, GuessedAdvancesLeaveTheLinesOfRealFontsAsMeasuringFindsThem) {
    const std::string text =
        "El t\xEDtulo explica en cada ficha qu\xE9 hacen sus botones: \x93Siguiente\x94 lleva a la ficha "
        "que sigue, \x93"
        "Anterior\x94 a la de antes, y la m\xFAsica \x97 que suena desde el principio \x97 "
        "sigue sonando. WWW iiii MMMM llll \x80 100, fin.";
    int guessed = 0, measured = 0;
    for (const FontRequest& font :
         {Font("Arial", 15), Font("Times New Roman", 22, true), Font("Courier New", 13)}) {
        for (int32_t width = 20; width <= 640; width += 7) {
            CountingQtContext guessing(true), measuring(false);
            guessing.SelectFont(font);
            measuring.SelectFont(font);
            std::vector<TextLine> a = WordBreakLayout(guessing, text, width);
            std::vector<TextLine> b = WordBreakLayout(measuring, text, width);
            ASSERT_EQ(a.size(), b.size()) << font.faceName << " at " << width;
            for (size_t i = 0; i < a.size(); ++i) {
                ASSERT_EQ(a[i].begin, b[i].begin) << font.faceName << " at " << width << ", line " << i;
                ASSERT_EQ(a[i].end, b[i].end) << font.faceName << " at " << width << ", line " << i;
            }
            guessed += guessing.measures;
            measured += measuring.measures;
        }
    }
    EXPECT_LT(guessed * 2, measured) << "the guesses spare more than half of the measures";
}

TEST_F(QtDeviceContextTest, TextIsDrawnInItsColourInsideTheClipOnly) {
    QtImageDeviceContext dc(120, 60);
    dc.SelectFont(Font("Arial", 30));
    dc.SetTextColor(0x000000FF);  // red, as 0x00BBGGRR
    dc.SetTransparentBackground(true);
    const Rect clip{10, 10, 40, 50};
    dc.DrawTextLine(10, 10, "WWWW", clip);
    const QRect area(10, 10, 30, 40);
    EXPECT_GT(CountNonWhite(dc.Image(), area, true), 30);
    EXPECT_EQ(CountNonWhite(dc.Image(), area, false), 0);
    // The most covered pixel is red.
    QRgb darkest = qRgb(255, 255, 255);
    for (int y = 10; y < 50; ++y)
        for (int x = 10; x < 40; ++x)
            if (qGreen(dc.Image().pixel(x, y)) < qGreen(darkest)) darkest = dc.Image().pixel(x, y);
    EXPECT_GT(qRed(darkest), 200);
    EXPECT_LT(qGreen(darkest), 60);
    EXPECT_LT(qBlue(darkest), 60);
}

TEST_F(QtDeviceContextTest, ABlackWStaysInItsCellAndAnEmptyClipDrawsNothing) {
    QtImageDeviceContext dc(100, 60);
    dc.SelectFont(Font("Arial", 20));
    dc.SetTextColor(0);
    dc.SetTransparentBackground(true);
    dc.DrawTextLine(20, 20, "W", Rect{0, 0, 5, 5});
    EXPECT_EQ(CountNonWhite(dc.Image(), QRect(0, 0, 100, 60), true), 0);
    dc.DrawTextLine(20, 20, "W", Rect{0, 0, 100, 60});
    const Size cell = dc.MeasureText("W");
    EXPECT_GT(CountNonWhite(dc.Image(), QRect(20, 20, cell.cx, cell.cy), true), 10);
    EXPECT_EQ(CountNonWhite(dc.Image(), QRect(20, 20, cell.cx, cell.cy), false), 0);
}

TEST_F(QtDeviceContextTest, AnOpaqueBackgroundFillsTheTextCell) {
    QtImageDeviceContext dc(60, 40);
    dc.SelectFont(Font("Arial", 16));
    dc.SetBackgroundColor(0x00FF0000);  // blue
    dc.SetTransparentBackground(false);
    dc.DrawTextLine(5, 5, "  ", Rect{0, 0, 60, 40});
    const Size cell = dc.MeasureText("  ");
    EXPECT_EQ(dc.Image().pixel(5, 5), qRgb(0, 0, 255));
    EXPECT_EQ(dc.Image().pixel(5 + cell.cx - 1, 5 + cell.cy - 1), qRgb(0, 0, 255));
    EXPECT_EQ(dc.Image().pixel(5 + cell.cx, 5), qRgb(255, 255, 255));
    EXPECT_EQ(dc.Image().pixel(5, 5 + cell.cy), qRgb(255, 255, 255));
}

TEST_F(QtDeviceContextTest, StretchDibCopiesOneToOnePixelExactly) {
    TinyDib dib;
    QtImageDeviceContext dc(10, 10);
    dc.StretchDib(dib.View(), Rect{4, 5, 7, 7}, Rect{0, 0, 3, 2});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 4 && x < 7 && y >= 5 && y < 7;
            const QRgb expected = inside ? kTinyTopDown[y - 5][x - 4] : qRgb(255, 255, 255);
            EXPECT_EQ(dc.Image().pixel(x, y), expected) << x << "," << y;
        }
}

TEST_F(QtDeviceContextTest, StretchDibDoublesWithNearestPixels) {
    TinyDib dib;
    QtImageDeviceContext dc(6, 4);
    dc.StretchDib(dib.View(), Rect{0, 0, 6, 4}, Rect{0, 0, 3, 2});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(dc.Image().pixel(x, y), kTinyTopDown[y / 2][x / 2]) << x << "," << y;
}

TEST_F(QtDeviceContextTest, StretchDibTakesASourceRectangleAndEightBitTables) {
    // 8 bits: indices 0, 1 on the top row and 2, 3 on the bottom; the table gives red, green, blue, yellow.
    uint8_t bits[2 * 4] = {2, 3, 0, 0, 0, 1, 0, 0};
    uint8_t table[256 * 4] = {};
    const uint8_t colours[4][4] = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {0, 255, 255, 0}};
    std::memcpy(table, colours, sizeof colours);
    DibView view{2, 2, 8, 4, bits, table};
    QtImageDeviceContext dc(4, 4);
    dc.StretchDib(view, Rect{0, 0, 2, 2}, Rect{1, 0, 2, 2});  // the right column, doubled across
    EXPECT_EQ(dc.Image().pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(dc.Image().pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(dc.Image().pixel(0, 1), qRgb(255, 255, 0));
    EXPECT_EQ(dc.Image().pixel(2, 0), qRgb(255, 255, 255));

    const QImage image = DibViewToQImage(view);
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 1), qRgb(255, 255, 0));
    TinyDib tiny;
    EXPECT_EQ(DibViewToQImage(tiny.View()).pixel(2, 1), kTinyTopDown[1][2]);
}

TEST_F(QtDeviceContextTest, StretchDibAtItsOwnSizeCopiesEightBitRowsFromAnyPartOfTheDib) {
    // 3 x 2, 8 bits, rows padded to 4: top row indices 3, 2, 1; bottom row 0, 1, 2.
    uint8_t bits[2 * 4] = {0, 1, 2, 0, 3, 2, 1, 0};
    uint8_t table[256 * 4] = {};
    const uint8_t colours[4][4] = {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {0, 255, 255, 0}};
    std::memcpy(table, colours, sizeof colours);
    const DibView view{3, 2, 8, 4, bits, table};
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255),
               yellow = qRgb(255, 255, 0), white = qRgb(255, 255, 255);
    QtImageDeviceContext dc(5, 3);
    dc.StretchDib(view, Rect{1, 1, 3, 3}, Rect{1, 0, 3, 2});  // the right two columns
    EXPECT_EQ(dc.Image().pixel(1, 1), blue);
    EXPECT_EQ(dc.Image().pixel(2, 1), green);
    EXPECT_EQ(dc.Image().pixel(1, 2), green);
    EXPECT_EQ(dc.Image().pixel(2, 2), blue);
    EXPECT_EQ(dc.Image().pixel(0, 1), white);
    EXPECT_EQ(dc.Image().pixel(3, 1), white);
    EXPECT_EQ(dc.Image().pixel(1, 0), white);
    // The whole DIB, then a part reaching below it: the row past its bottom keeps what was there.
    QtImageDeviceContext whole(3, 3);
    whole.StretchDib(view, Rect{0, 0, 3, 2}, Rect{0, 0, 3, 2});
    EXPECT_EQ(whole.Image().pixel(0, 0), yellow);
    EXPECT_EQ(whole.Image().pixel(2, 1), blue);
    whole.StretchDib(view, Rect{0, 1, 3, 3}, Rect{0, 1, 3, 3});
    EXPECT_EQ(whole.Image().pixel(0, 1), red);
    EXPECT_EQ(whole.Image().pixel(2, 1), blue);
    EXPECT_EQ(whole.Image().pixel(0, 2), white);
}

TEST_F(QtDeviceContextTest, StretchDibClipsAndRefusesMalformedViews) {
    TinyDib dib;
    QtImageDeviceContext dc(4, 4);
    // Half off the image to the left and top: the visible part still samples the right pixels.
    dc.StretchDib(dib.View(), Rect{-3, -2, 3, 2}, Rect{0, 0, 3, 2});
    EXPECT_EQ(dc.Image().pixel(0, 0), kTinyTopDown[1][1]);
    EXPECT_EQ(dc.Image().pixel(2, 1), kTinyTopDown[1][2]);
    EXPECT_EQ(dc.Image().pixel(3, 3), qRgb(255, 255, 255));
    // A source reaching past the DIB leaves the destination alone there.
    QtImageDeviceContext other(4, 1);
    other.StretchDib(dib.View(), Rect{0, 0, 4, 1}, Rect{1, 0, 5, 1});
    EXPECT_EQ(other.Image().pixel(0, 0), kTinyTopDown[0][1]);
    EXPECT_EQ(other.Image().pixel(1, 0), kTinyTopDown[0][2]);
    EXPECT_EQ(other.Image().pixel(2, 0), qRgb(255, 255, 255));
    // A huge destination costs no more than the image.
    other.StretchDib(dib.View(), Rect{0, 0, 1 << 30, 1 << 30}, Rect{0, 0, 3, 2});
    EXPECT_EQ(other.Image().pixel(3, 0), kTinyTopDown[0][0]);

    QtImageDeviceContext blank(4, 4);
    DibView lying = dib.View();
    lying.stride = 4;  // shorter than a row
    blank.StretchDib(lying, Rect{0, 0, 4, 4}, Rect{0, 0, 3, 2});
    DibView noTable{2, 2, 8, 4, dib.bits, nullptr};
    blank.StretchDib(noTable, Rect{0, 0, 4, 4}, Rect{0, 0, 2, 2});
    DibView fourBits{2, 2, 4, 4, dib.bits, nullptr};
    blank.StretchDib(fourBits, Rect{0, 0, 4, 4}, Rect{0, 0, 2, 2});
    EXPECT_EQ(CountNonWhite(blank.Image(), QRect(0, 0, 4, 4), true), 0);
    EXPECT_TRUE(DibViewToQImage(lying).isNull());
    EXPECT_TRUE(DibViewToQImage(DibView{}).isNull());
}

TEST_F(QtDeviceContextTest, DrawsThroughABorrowedPainterWithItsOffset) {
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.translate(5, 5);
        QtDeviceContext dc(painter);
        EXPECT_EQ(dc.ClipBox(), (Rect{-5, -5, 15, 15}));
        TinyDib dib;
        dc.StretchDib(dib.View(), Rect{0, 0, 3, 2}, Rect{0, 0, 3, 2});
    }
    EXPECT_EQ(image.pixel(5, 5), kTinyTopDown[0][0]);
    EXPECT_EQ(image.pixel(7, 6), kTinyTopDown[1][2]);
    EXPECT_EQ(image.pixel(4, 4), qRgb(255, 255, 255));
}

TEST_F(QtDeviceContextTest, TheScreenFactoryMeasuresLikeAnImageContext) {
    QtScreenContextFactory factory;
    SetScreenContextFactory(&factory);
    auto screen = ScreenContexts().CreateScreenContext();
    SetScreenContextFactory(nullptr);
    ASSERT_TRUE(screen);
    screen->SelectFont(Font("Arial", 15));
    QtImageDeviceContext image(8, 8);
    image.SelectFont(Font("Arial", 15));
    EXPECT_EQ(screen->MeasureText("Texto de prueba"), image.MeasureText("Texto de prueba"));
    EXPECT_NE(screen->MeasureText("Texto de prueba").cx, 15 * 10);  // not the fake's metrics
}

// The card's rows reach the window's image through CopyDibInto, several pixels at a time where the
// processor allows: every width, every left edge, and the last row of a DIB whose rows end exactly at
// the end of its memory give each pixel as one at a time would.
TEST_F(QtDeviceContextTest, CopyDibIntoGivesEveryPixelAtEveryWidthAndEdge) {
    for (int32_t width : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 17, 18, 19, 26, 27, 33, 640}) {
        const int32_t height = 3;
        const int32_t stride = (3 * width + 3) / 4 * 4;
        // The last row is made to end where the memory ends: nothing may be read past it.
        std::vector<uint8_t> bits(static_cast<size_t>(stride) * (height - 1) + 3 * width);
        for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<uint8_t>(i * 7 + 1);
        const DibView view{width, height, 24, stride, bits.data(), nullptr};
        for (int32_t left : {0, 1, width / 2, width - 1}) {
            if (left < 0 || left >= width) continue;
            const Rect source{left, 0, width, height};
            QImage image(source.Width(), height, QImage::Format_RGB32);
            ASSERT_TRUE(CopyDibInto(view, source, image));
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < source.Width(); ++x) {
                    const uint8_t* p = bits.data() + (height - 1 - y) * stride + 3 * (left + x);
                    ASSERT_EQ(image.pixel(x, y), qRgb(p[2], p[1], p[0]))
                        << "width " << width << ", left " << left << ", at " << x << "," << y;
                }
        }
    }
}
