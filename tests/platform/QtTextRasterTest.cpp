#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

#include "platform/Processor.h"
#include "platform/qt/QtDeviceContext.h"
#include "platform/qt/QtTextRaster.h"
#include "tests/support/QtApp.h"

using namespace platform;

namespace {

FontRequest Request(const std::string& face, int32_t height, int32_t weight = 400, bool italic = false) {
    FontRequest request;
    request.faceName = face;
    request.height = height;
    request.weight = weight;
    request.italic = italic;
    return request;
}

// A background that no two neighbouring pixels share, so that every partly covered pixel shows how it
// was blended.
QImage Patterned(int width, int height, QImage::Format format = QImage::Format_RGB32) {
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 37 + y * 11) & 255, (y * 53 + x * 3) & 255, (x * y * 7) & 255));
    return image;
}

// The first pixel where two images differ, as text; empty when they agree.
std::string FirstDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return "sizes differ";
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return "at " + std::to_string(x) + "," + std::to_string(y) + ": " +
                       std::to_string(a.pixel(x, y)) + " against " + std::to_string(b.pixel(x, y));
    return {};
}

struct Case {
    FontRequest font;
    const char* text;  // UTF-8
    QRgb colour;
};

const Case kCases[] = {
    {Request("Arial", 17), "Esto es un t\xC3\xADtulo de Lumeo: una pila de fichas de 640 \xC3\x97 480",
     qRgb(255, 255, 255)},
    {Request("Arial", 28, 700), "Bienvenidos a Lumeo", qRgb(0xF2, 0xC2, 0x30)},
    {Request("Arial", 14), "Un sprite siempre animado.", qRgb(0xDC, 0xE5, 0xF2)},
    {Request("Times New Roman", 21, 400, true),
     "AVWAY fjord \xC2\xBF"
     "Qu\xC3\xA9 tal? \xC3\x91"
     "and\xC3\xBA",
     qRgb(10, 20, 30)},
    {Request("Courier New", 12), "for (int i = 0; i < 10; ++i) { x[i] = '\\t'; }", qRgb(0x80, 0x40, 0xC0)},
    {Request("Arial", 9), "tiny text, with commas, ij and fi", qRgb(0, 0, 0)},
    {Request("Arial", 40, 900), "Wg\xC3\x81j", qRgb(0x12, 0xFE, 0x7F)},
    {Request("Arial", -23), "a negative height asks for the em", qRgb(200, 0, 0)},
};

}  // namespace

class QtTextRasterTest : public testing::Test {
  protected:
    void SetUp() override {
        test_support::EnsureQtApplication();
        text_raster::Forget();
    }

    // Draws the case at `origin` through Qt and through the raster, clipped to `clip`, on two copies of
    // `background` whose painters are moved by `shift`.
    static std::pair<QImage, QImage> BothWays(const Case& c, const QImage& background, QPoint origin,
                                              QRect clip, QPoint shift, bool* served = nullptr) {
        const QFont font = QtFontForRequest(c.font);
        const QString text = QString::fromUtf8(c.text);
        QImage byQt = background.copy(), byRaster = background.copy();
        {
            QPainter painter(&byQt);
            painter.translate(shift);
            painter.setClipRect(clip);
            painter.setFont(font);
            painter.setPen(QColor(c.colour));
            painter.drawText(origin, text);
        }
        {
            QPainter painter(&byRaster);
            painter.translate(shift);
            const bool drawn = text_raster::DrawLine(painter, font, origin, text, QColor(c.colour), clip);
            if (served) *served = drawn;
            EXPECT_TRUE(drawn) << c.text;
        }
        return {byQt, byRaster};
    }
};

TEST_F(QtTextRasterTest, LinesComeOutAsQtDrawsThemInEveryFontSizeAndPlace) {
    const QImage background = Patterned(720, 90);
    for (const Case& c : kCases) {
        // Whole and broken positions of the line's start are the same pixels to Qt as to the raster;
        // each start is drawn twice so that the second one finds its glyphs kept.
        for (const QPoint origin : {QPoint(4, 50), QPoint(5, 51), QPoint(4, 50), QPoint(-3, 60)}) {
            const auto [byQt, byRaster] = BothWays(c, background, origin, background.rect(), QPoint());
            EXPECT_EQ(FirstDifference(byQt, byRaster), "")
                << c.text << " at " << origin.x() << "," << origin.y();
        }
    }
}

TEST_F(QtTextRasterTest, ClipsAndMovedPaintersCutTheLineWhereQtCutsIt) {
    const QImage background = Patterned(400, 80);
    const Case& c = kCases[3];
    const QRect clips[] = {QRect(0, 0, 400, 80),    QRect(30, 31, 61, 12),    QRect(35, 0, 1, 80),
                           QRect(300, 0, 500, 500), QRect(-50, -50, 60, 200), QRect(0, 0, 0, 0)};
    for (const QRect& clip : clips)
        for (const QPoint shift : {QPoint(), QPoint(17, -9), QPoint(-40, 3)}) {
            const auto [byQt, byRaster] = BothWays(c, background, QPoint(10, 45), clip, shift);
            EXPECT_EQ(FirstDifference(byQt, byRaster), "")
                << "clip " << clip.x() << "," << clip.y() << " " << clip.width() << "x" << clip.height()
                << " shift " << shift.x() << "," << shift.y();
        }
}

TEST_F(QtTextRasterTest, APremultipliedImageTakesTheLineAsQtWouldAndOthersAreLeftToQt) {
    const Case& c = kCases[0];
    const QImage premultiplied = Patterned(640, 60, QImage::Format_ARGB32_Premultiplied);
    const auto [byQt, byRaster] = BothWays(c, premultiplied, QPoint(2, 40), premultiplied.rect(), QPoint());
    EXPECT_EQ(FirstDifference(byQt, byRaster), "");

    const QFont font = QtFontForRequest(c.font);
    const QString text = QString::fromUtf8(c.text);
    auto refused = [&](QImage image, const std::function<void(QPainter&)>& set) {
        QPainter painter(&image);
        set(painter);
        return !text_raster::DrawLine(painter, font, QPoint(2, 40), text, Qt::white, image.rect());
    };
    auto plain = [](QPainter&) {};
    EXPECT_TRUE(refused(Patterned(640, 60, QImage::Format_ARGB32), plain));
    EXPECT_TRUE(refused(Patterned(640, 60, QImage::Format_RGB888), plain));
    EXPECT_TRUE(refused(Patterned(640, 60), [](QPainter& p) { p.scale(2, 2); }));
    EXPECT_TRUE(refused(Patterned(640, 60), [](QPainter& p) { p.translate(0.5, 0); }));
    EXPECT_TRUE(refused(Patterned(640, 60), [](QPainter& p) { p.setOpacity(0.5); }));
    EXPECT_TRUE(refused(Patterned(640, 60),
                        [](QPainter& p) { p.setCompositionMode(QPainter::CompositionMode_Xor); }));
    EXPECT_TRUE(refused(Patterned(640, 60), [](QPainter& p) {
        p.setClipRegion(QRegion(0, 0, 10, 10) + QRegion(20, 20, 10, 10));
    }));
    // A translucent pen and a decorated font are Qt's to draw as well.
    QImage image = Patterned(640, 60);
    QPainter painter(&image);
    EXPECT_FALSE(
        text_raster::DrawLine(painter, font, QPoint(2, 40), text, QColor(255, 0, 0, 128), image.rect()));
    QFont underlined = font;
    underlined.setUnderline(true);
    EXPECT_FALSE(text_raster::DrawLine(painter, underlined, QPoint(2, 40), text, Qt::red, image.rect()));
}

TEST_F(QtTextRasterTest, LinesOutsideTheTitlesCodePageAndFontsThatJoinLettersAreLeftToQt) {
    const QFont font = QtFontForRequest(Request("Arial", 17));
    const QImage background = Patterned(300, 40);
    auto served = [&](const QFont& f, const char* utf8) {
        QImage image = background.copy();
        QPainter painter(&image);
        const bool drawn = text_raster::DrawLine(painter, f, QPoint(2, 30), QString::fromUtf8(utf8),
                                                 Qt::white, image.rect());
        painter.end();
        // Refused, it has drawn nothing.
        if (!drawn) {
            EXPECT_EQ(image, background) << utf8;
        }
        return drawn;
    };
    EXPECT_TRUE(served(font, "abc \xE2\x82\xAC \xC5\x93"));  // the euro and oe signs are in the code page
    EXPECT_FALSE(served(font, "abc \xE2\x98\x83"));          // a snowman is not
    EXPECT_FALSE(served(font, "abc \xE6\xBC\xA2"));
    EXPECT_FALSE(served(font, "tab\tstop"));
    EXPECT_FALSE(served(font, "soft\xC2\xADhyphen"));  // Qt hides it
    // Qt joins "fi" into one glyph in a font with ligatures: such a font is not served at all.
    QFont joining(QStringLiteral("DejaVu Sans"));
    joining.setPixelSize(17);
    joining.setKerning(false);
    QTextLayout layout(QStringLiteral("fi"), joining);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    if (layout.glyphRuns().value(0).glyphIndexes().size() == 1) {
        EXPECT_FALSE(served(joining, "plain text"));
    }
    // Nor one that kerns.
    QFont kerning = font;
    kerning.setKerning(true);
    EXPECT_FALSE(served(kerning, "AVAW"));
}

TEST_F(QtTextRasterTest, TheDeviceContextOfAPainterDrawsTransparentLinesAsQtWould) {
    // Through the device context as the views draw texts: the same pixels whichever way the line goes.
    const QImage background = Patterned(500, 60);
    QImage viaContext = background.copy(), viaDevice = background.copy();
    auto drawLine = [](QtDeviceContext&& dc) {
        dc.SelectFont(Request("Arial", 17));
        dc.SetTransparentBackground(true);
        dc.SetTextColor(0x00C08040);
        dc.DrawTextLine(12, 10,
                        "Ficha siguiente \xAB"
                        "cap\xEDtulo\xBB",
                        Rect{20, 5, 380, 50});
    };
    {
        QPainter painter(&viaContext);
        drawLine(QtDeviceContext(painter));
    }
    // A context on the device itself opens a painter per line and draws through Qt.
    drawLine(QtDeviceContext(static_cast<QPaintDevice&>(viaDevice)));
    EXPECT_NE(viaContext, background);
    EXPECT_EQ(FirstDifference(viaContext, viaDevice), "");
}

TEST_F(QtTextRasterTest, LinesMeasureAsQtMeasuresThem) {
    // Through the device context, as the layout of texts measures them, and straight: every case's font,
    // whole lines and their beginnings, the empty line, and lines that are Qt's to measure.
    for (const Case& c : kCases) {
        QtImageDeviceContext dc(8, 8);
        dc.SelectFont(c.font);
        const QFont font = QtFontForRequest(c.font);
        const QFontMetrics metrics(font);
        const QString text = QString::fromUtf8(c.text);
        for (qsizetype n = 0; n <= text.size(); ++n) {
            const QString part = text.left(n);
            EXPECT_EQ(dc.MeasureText(part.toLatin1().toStdString()).cx, metrics.horizontalAdvance(part))
                << c.text << " up to " << n;
            if (const std::optional<int> width = text_raster::Width(font, part)) {
                EXPECT_EQ(*width, metrics.horizontalAdvance(part)) << c.text << " up to " << n;
            }
        }
    }
    const QFont font = QtFontForRequest(Request("Arial", 17));
    EXPECT_EQ(text_raster::Width(font, QString()), 0);
    EXPECT_EQ(text_raster::Width(font, QStringLiteral("Ficha")),
              QFontMetrics(font).horizontalAdvance("Ficha"));
    EXPECT_FALSE(text_raster::Width(font, QString::fromUtf8("abc \xE2\x98\x83")));
    EXPECT_FALSE(text_raster::Width(font, QStringLiteral("tab\tstop")));
}

TEST_F(QtTextRasterTest, AFontThatHasKeptTooMuchStartsOverAndStillDrawsAsQt) {
    // A font keeps a bounded number of glyph masks and bytes of coverage; past either it starts over,
    // in the middle of a line, and the line still comes out as Qt draws it.
    const QImage background = Patterned(720, 90);
    for (const auto& [masks, bytes] : {std::pair<size_t, size_t>{24, size_t{1} << 30}, {100000, 2000}}) {
        text_raster::detail::SetKeepLimits(masks, bytes);
        text_raster::Forget();
        for (const Case& c : kCases) {
            for (const QPoint origin : {QPoint(4, 50), QPoint(4, 50)}) {
                const auto [byQt, byRaster] = BothWays(c, background, origin, background.rect(), QPoint());
                EXPECT_EQ(FirstDifference(byQt, byRaster), "")
                    << c.text << " keeping " << masks << ", " << bytes;
            }
        }
    }
    text_raster::detail::SetKeepLimits(16384, size_t{8} << 20);
}

TEST(QtTextRasterBlend, EveryWayOfBlendingARowGivesThePlainWaysPixels) {
    // Random pixels and coverage, with runs of none and of full coverage, over every length and start
    // that the wide loops split into pieces and a rest.
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 300; ++round) {
        const int count = round % 41;
        std::vector<uint8_t> cover(count);
        for (uint8_t& c : cover) {
            const uint32_t r = next() >> 24;
            c = r < 60 ? 0 : r < 90 ? 255 : static_cast<uint8_t>(next() >> 24);
        }
        std::vector<uint32_t> pixels(count);
        for (uint32_t& p : pixels) p = next() | (round % 2 ? 0xFF000000u : 0);
        const uint32_t colour = next() | 0xFF000000u;
        std::vector<uint32_t> plain = pixels;
        text_raster::detail::BlendRowPlain(plain.data(), cover.data(), count, colour);
#if defined(__x86_64__)
        std::vector<uint32_t> narrow = pixels;
        text_raster::detail::BlendRowSse2(narrow.data(), cover.data(), count, colour);
        EXPECT_EQ(narrow, plain) << "round " << round;
        if (platform::CanUseWideVectors()) {
            // With no room past the row, and with room for whole pieces past it: the pixels past it
            // come back as they were.
            std::vector<uint32_t> wide = pixels;
            text_raster::detail::BlendRowAvx2(wide.data(), cover.data(), count, colour, count);
            EXPECT_EQ(wide, plain) << "round " << round;
            std::vector<uint32_t> roomy = pixels, roomyPlain = plain;
            for (int extra = 0; extra < 8; ++extra) {
                roomy.push_back(next());
                roomyPlain.push_back(roomy.back());
            }
            text_raster::detail::BlendRowAvx2(roomy.data(), cover.data(), count, colour,
                                              static_cast<int>(roomy.size()));
            EXPECT_EQ(roomy, roomyPlain) << "round " << round;
            // Three rows at once, rows of pixels and of coverage each a little longer than the piece.
            const size_t pixelStride = count + 5, coverStride = count + 2;
            std::vector<uint32_t> block(3 * pixelStride), blockPlain;
            std::vector<uint8_t> covers(3 * coverStride);
            for (uint32_t& p : block) p = next() | 0xFF000000u;
            for (uint8_t& c : covers) c = static_cast<uint8_t>(next() >> 24);
            blockPlain = block;
            for (size_t r = 0; r < 3; ++r)
                text_raster::detail::BlendRowPlain(blockPlain.data() + r * pixelStride,
                                                   covers.data() + r * coverStride, count, colour);
            text_raster::detail::BlendRowsAvx2(block.data(), pixelStride, covers.data(), coverStride, count,
                                               3, colour, count);
            EXPECT_EQ(block, blockPlain) << "round " << round;
        }
#endif
    }
}
