// The player's own drawings: the hand over a reacting sprite and the faces of the cards list's buttons,
// with the keyboard and the accessible names those buttons keep. The Qt application of the test program
// is made by its global environment (SlideShowTest.cpp).
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QPixmap>

#include "model/Ficha.h"
#include "player/BitmapButton.h"
#include "player/Lumeo.h"
#include "player/SpriteCursor.h"
#include "tests/player/PlayerTestSupport.h"

namespace {

using namespace player_test;

QImage ImageOf(const QPixmap& pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// True when every 2 x 2 block of `image` is of one colour: a picture blown up from half its size.
bool MadeOfDoubledPixels(const QImage& image) {
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb c = image.pixel(x, y);
            if (image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c || image.pixel(x + 1, y + 1) != c)
                return false;
        }
    return true;
}

TEST(SpriteCursor, AHandOfOurOwnAtTheScreensDensity) {
    const QPixmap one = sprite_cursor::Paint(1);
    const QPixmap two = sprite_cursor::Paint(2);
    EXPECT_EQ(one.size(), QSize(32, 32));
    EXPECT_EQ(two.size(), QSize(64, 64));
    EXPECT_EQ(two.devicePixelRatio(), 2.0);
    EXPECT_EQ(two.deviceIndependentSize(), one.deviceIndependentSize());
    const QImage image = ImageOf(one);
    // The fingertip is the hot spot: just below it the finger is drawn; the corners stay clear.
    const QPoint tip = sprite_cursor::kHotSpot;
    EXPECT_GT(qAlpha(image.pixel(tip.x(), tip.y() + 2)), 200);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(31, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(0, 31)), 0);
    // White inside, a dark outline around it.
    int white = 0, dark = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAlpha(c) < 250) continue;
            if (qGray(c) > 240) ++white;
            if (qGray(c) < 60) ++dark;
        }
    EXPECT_GT(white, 150);
    EXPECT_GT(dark, 60);
    // Painted anew at twice the density, not the small one blown up.
    EXPECT_FALSE(MadeOfDoubledPixels(ImageOf(two)));
    EXPECT_EQ(qAlpha(ImageOf(two).pixel(tip.x() * 2 + 1, tip.y() * 2 + 4)), 255);
}

TEST(SpriteCursor, ThePlayerShowsItOverSpritesAndTheArrowElsewhere) {
    const QCursor& cursor = sprite_cursor::ForDensity(1.5);
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), sprite_cursor::kHotSpot);
    EXPECT_EQ(&sprite_cursor::ForDensity(1.5), &cursor);  // made once
    EXPECT_EQ(cursor.pixmap().devicePixelRatio(), 1.5);

    PlayerOptions options;
    options.credits = false;
    CPlayerApp app(options);
    app.SetCursor(PlayerCursor::sprite);
    const QCursor shown = app.ViewWidget().cursor();
    EXPECT_EQ(shown.shape(), Qt::BitmapCursor);
    EXPECT_NE(shown.shape(), Qt::PointingHandCursor);
    EXPECT_EQ(ImageOf(shown.pixmap()), ImageOf(sprite_cursor::Paint(app.ViewWidget().devicePixelRatioF())));
    app.SetCursor(PlayerCursor::normal);
    EXPECT_EQ(app.ViewWidget().cursor().shape(), Qt::ArrowCursor);
}

// How many pixels of `image` are near `colour`.
int CountNear(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 200 && std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                                           std::abs(c.blue() - colour.blue()) <
                                       60)
                ++n;
        }
    return n;
}

TEST(CardListButtons, TheFacesAreAGreenTickAndARedCrossWithTheirWordInEachState) {
    using Face = CBitmapButton::Face;
    const QColor green(30, 150, 40), red(200, 30, 30);
    const QImage si = ImageOf(CBitmapButton::PaintFace("SI", Face::normal, 1));
    const QImage no = ImageOf(CBitmapButton::PaintFace("NO", Face::normal, 1));
    EXPECT_EQ(si.size(), QSize(CBitmapButton::kFaceWidth, CBitmapButton::kFaceHeight));
    EXPECT_GT(CountNear(si, green), 30);
    EXPECT_EQ(CountNear(si, red), 0);
    EXPECT_GT(CountNear(no, red), 30);
    EXPECT_EQ(CountNear(no, green), 0);
    // Each state has a face of its own; disabled has no colour left.
    for (const char* caption : {"SI", "NO"}) {
        std::vector<QImage> faces;
        for (Face face : {Face::normal, Face::pressed, Face::focused, Face::disabled})
            faces.push_back(ImageOf(CBitmapButton::PaintFace(caption, face, 1)));
        for (size_t a = 0; a < faces.size(); ++a)
            for (size_t b = a + 1; b < faces.size(); ++b) EXPECT_NE(faces[a], faces[b]) << caption << a << b;
        EXPECT_EQ(CountNear(faces[3], green) + CountNear(faces[3], red), 0) << caption;
    }
    const QPixmap sharp = CBitmapButton::PaintFace("SI", Face::normal, 2);
    EXPECT_EQ(sharp.size(), QSize(CBitmapButton::kFaceWidth * 2, CBitmapButton::kFaceHeight * 2));
    EXPECT_FALSE(MadeOfDoubledPixels(ImageOf(sharp)));
}

struct CardListFixture {
    CardListFixture() {
        for (int i = 0; i < 4; ++i) cards.Add(std::make_unique<CFicha>());
    }
    CBitmapButton* Button(const QString& caption, CCardListDlg& dialog) {
        for (CBitmapButton* b : dialog.findChildren<CBitmapButton*>())
            if (b->text() == caption) return b;
        return nullptr;
    }
    static void Key(QWidget* to, int key, QEvent::Type type = QEvent::KeyPress) {
        QKeyEvent event(type, key, Qt::NoModifier, key == Qt::Key_Space ? " " : "");
        QApplication::sendEvent(to, &event);
    }
    CArrayFichas cards;
};

TEST(CardListButtons, TheButtonsKeepTheirNamesAndTheKeyboard) {
    CardListFixture f;
    CCardListDlg dialog(nullptr, f.cards, 2);
    CBitmapButton* yes = f.Button("SI", dialog);
    CBitmapButton* no = f.Button("NO", dialog);
    ASSERT_NE(yes, nullptr);
    ASSERT_NE(no, nullptr);
    EXPECT_EQ(yes->accessibleName(), "SI");
    EXPECT_EQ(no->accessibleName(), "NO");
    EXPECT_EQ(yes->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    EXPECT_EQ(no->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    EXPECT_TRUE(yes->isDefault());
    EXPECT_EQ(yes->CurrentFace(), CBitmapButton::Face::normal);
    no->setEnabled(false);
    EXPECT_EQ(no->CurrentFace(), CBitmapButton::Face::disabled);
    no->setEnabled(true);

    // Space on "NO" cancels.
    dialog.show();
    f.Key(no, Qt::Key_Space);
    EXPECT_EQ(no->CurrentFace(), CBitmapButton::Face::pressed);
    f.Key(no, Qt::Key_Space, QEvent::KeyRelease);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.Selection(), -1);
}

TEST(CardListButtons, EnterConfirmsTheChosenCardThroughTheDefaultButton) {
    CardListFixture f;
    CCardListDlg dialog(nullptr, f.cards, 2);
    dialog.show();
    auto* list = dialog.findChild<QListWidget*>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->currentRow(), 2);
    list->setCurrentRow(3);
    f.Key(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Selection(), 3);
}

}  // namespace
