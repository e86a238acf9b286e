#include "tests/editor/ViewTestSupport.h"

namespace {

using namespace view_test;

class SelectionTest : public ViewFixture {};

TEST_F(SelectionTest, APressOnATextOverASpriteSelectsTheTextAndEarlierTextsWinOverlaps) {
    CSprite* sprite = AddSprite(1, 110, 110);
    CTexto* first = AddText({100, 100, 200, 150});
    CTexto* second = AddText({120, 105, 220, 160});  // drawn on top of the first
    Show();
    Click({125, 115});  // inside both texts and the sprite
    EXPECT_EQ(view->CurrentText(), first) << "the earlier text of the array is hit, texts before sprites";
    EXPECT_TRUE(first->selected);
    EXPECT_FALSE(second->selected);
    EXPECT_FALSE(sprite->IsSelected());
    EXPECT_EQ(view->CurrentSprite(), nullptr);
    ASSERT_NE(view->Tracker(), nullptr);
    EXPECT_EQ(view->Tracker()->GetRect(), first->rect);

    Click({210, 155});  // only the second text
    EXPECT_EQ(view->CurrentText(), second);
    EXPECT_FALSE(first->selected) << "a plain press on another text deselects everything first";
    EXPECT_EQ(view->snapshots, 0) << "clicks change nothing";
}

TEST_F(SelectionTest, ASpritePressSelectsItAloneAndShiftAddsToTheSelection) {
    CSprite* a = AddSprite(1, 10, 10);
    CSprite* b = AddSprite(2, 100, 10);
    CTexto* text = AddText({300, 300, 400, 350});
    text->selected = true;
    Show();
    Click({20, 20});
    EXPECT_TRUE(a->IsSelected());
    EXPECT_FALSE(text->selected);
    EXPECT_EQ(view->CurrentSprite(), a);
    Click({110, 20}, Qt::ShiftModifier);
    EXPECT_TRUE(a->IsSelected());
    EXPECT_TRUE(b->IsSelected());
    EXPECT_EQ(view->CurrentSprite(), b);
    Click({110, 20});
    EXPECT_TRUE(a->IsSelected()) << "a press on a selected sprite keeps the selection";
    Click({600, 400});
    EXPECT_FALSE(a->IsSelected());
    EXPECT_FALSE(b->IsSelected()) << "a press on nothing deselects all";
}

TEST_F(SelectionTest, TheRubberBandSelectsWhatItTouchesNotOnlyWhatItHolds) {
    CSprite* edge = AddSprite(1, 100, 100);    // rectangle 100..120
    CSprite* corner = AddSprite(2, 150, 150);  // rectangle 150..170
    CSprite* away = AddSprite(3, 300, 300);
    CTexto* text = AddText({50, 200, 90, 230});
    Show();
    Drag({20, 20}, {101, 101});  // covers pixel (100, 100) only of the first sprite
    EXPECT_TRUE(edge->IsSelected());
    EXPECT_FALSE(corner->IsSelected());
    EXPECT_FALSE(away->IsSelected());

    Drag({200, 300}, {160, 160});  // drawn backwards, reaches into the second sprite's corner
    EXPECT_FALSE(edge->IsSelected()) << "a new band starts from an empty selection";
    EXPECT_TRUE(corner->IsSelected());

    Drag({10, 190}, {51, 201});
    EXPECT_TRUE(text->selected) << "texts meeting the band are selected too";
    Drag({10, 190}, {50, 200});
    EXPECT_FALSE(text->selected) << "a band that ends where the text begins does not meet it";
    EXPECT_FALSE(view->RubberBand().has_value());
}

TEST_F(SelectionTest, ABandOverProxiesMarksTheirPictureAndTheVideo) {
    CSprite* picture = AddPicture(100, 100);
    CSprite* video = AddVideo(300, 100);
    Show();
    Drag({90, 90}, {310, 110});
    EXPECT_TRUE(picture->IsSelected());
    EXPECT_TRUE(video->IsSelected());
    EXPECT_TRUE(Card().PictureAt(0)->selected);
    EXPECT_EQ(Card().video.runtimeWord, 1u);
    Click({600, 450});
    EXPECT_FALSE(Card().PictureAt(0)->selected) << "deselect all clears the records' marks with the proxies";
    EXPECT_EQ(Card().video.runtimeWord, 0u);
}

TEST_F(SelectionTest, AClickOnASelectedSpriteKeepsTheWholeSelectionAndTakesNoSnapshot) {
    CSprite* a = AddSprite(1, 10, 10);
    CSprite* b = AddSprite(2, 50, 10);
    CSprite* c = AddSprite(3, 90, 10);
    Show();
    Drag({0, 0}, {200, 40});
    ASSERT_EQ(view->CountSelectedSprites(), 3);
    doc.SetModifiedFlag(false);
    Click({60, 20});
    EXPECT_EQ(view->CountSelectedSprites(), 3);
    EXPECT_EQ(view->snapshots, 0);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(TopLeft(*b), (Point{50, 10}));

    // The same press with movement drags all three together, in one undo step.
    Drag({60, 20}, {75, 32});
    EXPECT_EQ(TopLeft(*a), (Point{25, 22}));
    EXPECT_EQ(TopLeft(*b), (Point{65, 22}));
    EXPECT_EQ(TopLeft(*c), (Point{105, 22}));
    EXPECT_EQ(view->snapshots, 1) << "only the first movement takes the step";
    EXPECT_EQ(doc.UndoText(), "Undo Move");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(view->CountSelectedSprites(), 3);
}

TEST_F(SelectionTest, DraggingAMixedSelectionKeepsPicturesAndTheVideoWhereTheirProxiesAre) {
    CSprite* sprite = AddSprite(1, 10, 10);
    CSprite* picture = AddPicture(100, 100);
    CSprite* video = AddVideo(200, 200);
    CTexto* text = AddText({300, 50, 360, 80});
    Show();
    Drag({5, 5}, {400, 300});
    ASSERT_EQ(view->CountSelectedSprites(), 3);
    ASSERT_EQ(view->CountSelectedTexts(), 1);

    Drag({110, 110}, {117, 90});  // grabbed by the picture: everything moves by (7, -20)
    EXPECT_EQ(TopLeft(*sprite), (Point{17, -10}));
    EXPECT_EQ(TopLeft(*picture), (Point{107, 80}));
    EXPECT_EQ(TopLeft(*video), (Point{207, 180}));
    EXPECT_EQ(text->rect, (Rect{307, 30, 367, 60})) << "texts move with their size kept";
    EXPECT_EQ(Card().PictureAt(0)->x, 107);
    EXPECT_EQ(Card().PictureAt(0)->y, 80);
    EXPECT_EQ(Card().video.x, 207) << "not only the pressed proxy: every moved record follows";
    EXPECT_EQ(Card().video.y, 180);
    EXPECT_EQ(view->snapshots, 1);
}

TEST_F(SelectionTest, AShiftPressOnATextAddsItAndDragsTheSelectionAsOneUndoStep) {
    CSprite* sprite = AddSprite(1, 10, 10);
    CTexto* text = AddText({100, 100, 150, 130});
    Show();
    Click({20, 20});
    Press({110, 110}, Qt::ShiftModifier);
    EXPECT_TRUE(text->selected);
    EXPECT_EQ(view->CurrentText(), nullptr);
    EXPECT_TRUE(view->IsDragging());
    MoveTo({115, 112}, Qt::LeftButton, Qt::ShiftModifier);
    Release({115, 112}, Qt::ShiftModifier);
    EXPECT_EQ(text->rect, (Rect{105, 102, 155, 132}));
    EXPECT_EQ(TopLeft(*sprite), (Point{15, 12}));
    EXPECT_EQ(view->snapshots, 1) << "a Shift drag can be undone like any other";
}

TEST_F(SelectionTest, ASingleSelectedTextThatIsNotCurrentFollowsThePointerWithoutJumping) {
    CTexto* text = AddText({100, 100, 150, 130});
    Show();
    Drag({90, 90}, {120, 120});  // selects the text by band: selected, not current
    ASSERT_TRUE(text->selected);
    ASSERT_EQ(view->CurrentText(), nullptr);
    Drag({110, 110}, {113, 114});
    EXPECT_EQ(text->rect, (Rect{103, 104, 153, 134}));
}

TEST_F(SelectionTest, UndoAfterADragBringsBackThePlacesAndTheViewForgetsWhatWentAway) {
    CSprite* sprite = AddSprite(1, 10, 10);
    Show();
    Click({20, 20});
    Drag({20, 20}, {60, 70});
    ASSERT_EQ(TopLeft(*sprite), (Point{50, 60}));
    ASSERT_TRUE(doc.Undo());
    ASSERT_EQ(Sprites().GetCount(), 1u);
    EXPECT_EQ(TopLeft(*Sprites().GetAt(0)), (Point{10, 10}))
        << "the step holds the state from before the drag";
    EXPECT_EQ(view->CurrentSprite(), nullptr) << "the sprite the view knew is gone with the undo";
    Click({20, 20});
    EXPECT_EQ(view->CurrentSprite(), Sprites().GetAt(0));
}

TEST_F(SelectionTest, TheTrackerMovesAndResizesTheCurrentTextWithOneStepAndAMinimumSize) {
    CTexto* text = AddText({100, 100, 200, 160});
    Show();
    Click({150, 130});
    ASSERT_EQ(view->CurrentText(), text);
    EXPECT_EQ(view->snapshots, 0) << "a press and release without movement changes nothing";

    Drag({150, 130}, {160, 120});  // the inside moves the text
    EXPECT_EQ(text->rect, (Rect{110, 90, 210, 150}));
    EXPECT_EQ(view->snapshots, 1);
    EXPECT_EQ(view->lastStep, "Move") << "the size stayed";

    Drag({208, 148}, {230, 170});  // the bottom-right handle (inside, 3 pixels)
    EXPECT_EQ(text->rect, (Rect{110, 90, 232, 172}));
    EXPECT_EQ(view->snapshots, 2);
    EXPECT_EQ(doc.UndoText(), "Undo Resize");

    Drag({230, 170}, {0, 0});  // pulled past the opposite corner: 8 x 8 at least
    EXPECT_EQ(text->rect, (Rect{110, 90, 118, 98}));
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(SelectionTest, EscapeGivesUpATrackerMoveAndABand) {
    CTexto* text = AddText({100, 100, 200, 160});
    CSprite* sprite = AddSprite(1, 300, 300);
    Show();
    Press({150, 130});
    MoveTo({190, 170});
    Key(Qt::Key_Escape);
    Release({190, 170});
    EXPECT_EQ(text->rect, (Rect{100, 100, 200, 160}));
    EXPECT_EQ(view->Tracker()->GetRect(), text->rect);
    EXPECT_EQ(view->snapshots, 0);

    Press({250, 250});
    MoveTo({310, 310});
    Key(Qt::Key_Escape);
    Release({310, 310});
    EXPECT_FALSE(sprite->IsSelected());
    EXPECT_FALSE(view->RubberBand().has_value());
}

TEST_F(SelectionTest, TheTextTrackerRunsFromThePressOnAnUnselectedText) {
    CTexto* text = AddText({100, 100, 200, 160});
    Show();
    Drag({150, 130}, {155, 140});
    EXPECT_EQ(view->CurrentText(), text);
    EXPECT_EQ(text->rect, (Rect{105, 110, 205, 170}));
}

TEST_F(SelectionTest, ScrolledViewsHitInCardCoordinates) {
    CSprite* sprite = AddSprite(1, 300, 200);
    host->resize(200, 150);
    Show();
    EXPECT_TRUE(host->HorizontalBar().isVisible());
    EXPECT_TRUE(host->VerticalBar().isVisible());
    host->HorizontalBar().setValue(250);
    host->VerticalBar().setValue(160);
    EXPECT_EQ(host->Widget().ScrollPosition(), (Point{250, 160}));
    Click({60, 50});  // card (310, 210)
    EXPECT_TRUE(sprite->IsSelected());
    MoveTo({61, 52}, Qt::NoButton);
    EXPECT_EQ(view->PositionPaneText(), "Pos X: 311, Pos Y: 212");
    host->resize(640, 480);
    QCoreApplication::processEvents();
    EXPECT_FALSE(host->HorizontalBar().isVisible()) << "a card that fits needs no scroll bars";
}

TEST_F(SelectionTest, TheStatusPanesNameTheCardAndThePointer) {
    doc.GetCards().Add(std::make_unique<CFicha>());
    doc.GetCards().Add(std::make_unique<CFicha>());
    doc.NextCard();
    Show();
    EXPECT_EQ(view->CardPaneText(), "Ficha: 2 de 3");
    MoveTo({17, 33}, Qt::NoButton);
    EXPECT_EQ(view->PositionPaneText(), "Pos X: 17, Pos Y: 33");
    doc.GetCards().DeleteAll();
    EXPECT_EQ(view->CardPaneText(), "") << "no current card, no text";
}

}  // namespace
