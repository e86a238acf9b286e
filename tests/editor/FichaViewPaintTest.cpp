#include "editor/CommandIds.h"
#include "tests/editor/ViewTestSupport.h"

namespace {

using namespace view_test;

constexpr QRgb kBackground = qRgb(40, 90, 160);
constexpr QRgb kSpriteOne = 0xFF000000u | doc_test::SpriteColour(1, 0);  // MakeSprite's colour for number 1

class PaintTest : public ViewFixture {
  protected:
    void PaintBackground() {
        CDIB* background = doc.GetBackground();
        for (int y = 0; y < background->GetHeight(); ++y)
            for (int x = 0; x < background->GetWidth(); ++x) {
                uint8_t* p = background->GetPixelAddress(x, y);
                p[0] = qBlue(kBackground), p[1] = qGreen(kBackground), p[2] = qRed(kBackground);
            }
        view->Refresh();
    }
    QImage Shot() {
        QCoreApplication::processEvents();
        return Widget().grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The distinct colours of a row of widget pixels from x0 to x1 (exclusive).
    static std::set<QRgb> RowColours(const QImage& image, int y, int x0, int x1) {
        std::set<QRgb> colours;
        for (int x = x0; x < x1; ++x) colours.insert(image.pixel(x, y) & 0xFFFFFF);
        return colours;
    }
};

TEST_F(PaintTest, SelectedSpritesGetADottedFrameAndTheCurrentTextItsTracker) {
    AddSprite(1, 100, 100);
    AddSprite(1, 300, 100);
    CTexto* text = AddText({200, 200, 300, 240}, "Hola");
    text->colour = 0x00FFFFFF;
    Show();
    PaintBackground();
    Click({110, 110});
    QImage shot = Shot();
    const std::set<QRgb> frame = RowColours(shot, 100, 100, 120);
    EXPECT_TRUE(frame.count(qRgb(0, 0, 0) & 0xFFFFFF)) << "the dotted frame lies on the selected sprite";
    EXPECT_TRUE(frame.count(qRgb(255, 255, 255) & 0xFFFFFF));
    EXPECT_EQ(shot.pixel(110, 110), kSpriteOne) << "inside, the sprite shows";
    EXPECT_EQ(RowColours(shot, 100, 300, 320), (std::set<QRgb>{kSpriteOne & 0xFFFFFF}))
        << "unselected: no frame";
    int white = 0;
    for (int y = 200; y < 240; ++y) white += RowColours(shot, y, 200, 300).count(0xFFFFFF);
    EXPECT_GT(white, 0) << "the text is drawn over the scene";

    Click({250, 220});
    shot = Shot();
    EXPECT_EQ(shot.pixel(201, 201) & 0xFFFFFF, 0u) << "a handle inside the text's corner";
    int hatched = 0;
    for (int y = 210; y < 230; ++y) hatched += RowColours(shot, y, 197, 200).count(0);
    EXPECT_GT(hatched, 0) << "the hatched border outside the text";
    EXPECT_EQ(shot.pixel(195, 220), kBackground) << "nothing beyond the border";
    int rim = 0;
    for (int y = 210; y < 230; ++y) rim += RowColours(shot, y, 197, 200).count(0xFFFFFF);
    EXPECT_GT(rim, 0) << "the hatching lies on white, so that it shows on a black card too";
    EXPECT_EQ(RowColours(shot, 100, 100, 120), (std::set<QRgb>{kSpriteOne & 0xFFFFFF}))
        << "the sprite's frame went with its selection";
}

TEST_F(PaintTest, TheRubberBandAndTheGridAreDrawnWhileTheyAreOn) {
    Show();
    PaintBackground();
    Press({50, 50});
    MoveTo({150, 120});
    QImage shot = Shot();
    EXPECT_TRUE(RowColours(shot, 50, 60, 140).count(0)) << "the band's dotted outline";
    Release({150, 120});
    EXPECT_EQ(Shot().pixel(100, 50), kBackground) << "gone with the button";

    view->RunCommand(cmd::kViewGrid);
    shot = Shot();
    EXPECT_EQ(shot.pixel(16, 24), qRgb(128, 128, 128));
    EXPECT_EQ(shot.pixel(17, 24), kBackground);
    view->RunCommand(cmd::kViewGrid);
    EXPECT_EQ(Shot().pixel(16, 24), kBackground);
}

TEST_F(PaintTest, BeyondTheCardTheWindowShowsItsOwnBackground) {
    host->resize(700, 520);
    Show();
    PaintBackground();
    const QImage shot = Shot();
    ASSERT_GE(shot.width(), 680);
    const QRgb window = Widget().palette().color(QPalette::Window).rgb() & 0xFFFFFF;
    EXPECT_EQ(shot.pixel(639, 10), kBackground) << "the card's last column";
    EXPECT_EQ(shot.pixel(645, 10) & 0xFFFFFF, window) << "not black beside the card";
    EXPECT_EQ(shot.pixel(10, 485) & 0xFFFFFF, window) << "nor below it";
}

TEST_F(PaintTest, AnotherViewOfTheDocumentFollowsADragInThisOne) {
    RecordingRouter otherRouter;
    CFichaViewHost other(doc, nullptr, otherRouter);
    AddSprite(1, 10, 10);
    other.View().Refresh();
    Show();
    Click({20, 20});
    Drag({20, 20}, {220, 120});
    const uint8_t* p = other.View().GetBuffer()->GetPixelAddress(215, 115);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(qRgb(p[2], p[1], p[0]), kSpriteOne) << "the other window shows the sprite where it went";
    p = other.View().GetBuffer()->GetPixelAddress(15, 15);
    EXPECT_EQ(qRgb(p[2], p[1], p[0]), qRgb(0, 0, 0)) << "and not where it was";
}

}  // namespace
