#include "editor/CommandIds.h"
#include "tests/editor/ViewTestSupport.h"

namespace {

using namespace view_test;

class ArrangeTest : public ViewFixture {
  protected:
    void SelectAll() {
        for (CSprite* s : Sprites()) view->SelectSprite(*s, true);
        for (CTexto* t : Card().texts) t->selected = true;
    }
    bool Enabled(int id) {
        CommandTarget::State state;
        EXPECT_TRUE(view->CommandState(id, state)) << id;
        return state.enabled;
    }
    bool Checked(int id) {
        CommandTarget::State state;
        view->CommandState(id, state);
        return state.checked;
    }
};

TEST_F(ArrangeTest, AlignUpTakesTheSmallestTopStartingFrom2000) {
    CTexto* a = AddText({10, 50, 60, 80});
    CTexto* b = AddText({100, 30, 130, 90});
    SelectAll();
    ASSERT_TRUE(view->RunCommand(cmd::kAlignUp));
    EXPECT_EQ(a->rect, (Rect{10, 30, 60, 60})) << "texts only: the smallest top among them, size kept";
    EXPECT_EQ(b->rect, (Rect{100, 30, 130, 90}));
    EXPECT_EQ(view->snapshots, 1);
    EXPECT_EQ(doc.UndoText(), "Undo Align up") << "the Edit menu names the step";
    EXPECT_TRUE(doc.IsModified());

    a->MoveTo(10, 2100);
    b->MoveTo(100, 2500);
    CSprite* s = AddSprite(1, 7, 3000);
    view->SelectSprite(*s, true);
    view->RunCommand(cmd::kAlignUp);
    EXPECT_EQ(a->rect.top, 2000) << "no top of 2000 or more sets the reference";
    EXPECT_EQ(b->rect.top, 2000);
    EXPECT_EQ(TopLeft(*s), (Point{7, 2000}));
}

TEST_F(ArrangeTest, AlignLeftMovesSpritesAndTextsAlongXOnly) {
    CSprite* s = AddSprite(1, 40, 5);
    CTexto* t = AddText({25, 70, 75, 90});
    SelectAll();
    view->RunCommand(cmd::kAlignLeft);
    EXPECT_EQ(TopLeft(*s), (Point{25, 5}));
    EXPECT_EQ(t->rect, (Rect{25, 70, 75, 90}));
}

TEST_F(ArrangeTest, AlignDownAndRightPutEveryFarEdgeOnTheLargestOne) {
    CSprite* s = AddSprite(1, 40, 5, 50, 20, 10);  // bottom 15, right 60
    CTexto* t = AddText({25, 70, 75, 90});         // bottom 90, right 75
    CSprite* picture = AddPicture(300, 10);        // 20 x 20: bottom 30, right 320
    SelectAll();
    view->RunCommand(cmd::kAlignDown);
    EXPECT_EQ(TopLeft(*s), (Point{40, 80}));
    EXPECT_EQ(t->rect, (Rect{25, 70, 75, 90}));
    EXPECT_EQ(TopLeft(*picture), (Point{300, 70}));
    EXPECT_EQ(Card().PictureAt(0)->y, 70) << "the picture stays where its proxy went";
    view->RunCommand(cmd::kAlignRight);
    EXPECT_EQ(TopLeft(*s), (Point{300, 80}));
    EXPECT_EQ(t->rect, (Rect{270, 70, 320, 90}));
    EXPECT_EQ(TopLeft(*picture), (Point{300, 70}));
    EXPECT_EQ(view->snapshots, 2);
    EXPECT_EQ(doc.UndoText(), "Undo Align right");
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.UndoText(), "Undo Align down");
}

TEST_F(ArrangeTest, SpaceEvenlyDownFollowsTheListOrderAndIsAStepOfItsOwn) {
    // Visited from the rear-most (largest plane) to the front-most.
    CSprite* first = AddSprite(1, 5, 10, 30);
    CSprite* second = AddSprite(2, 6, 50, 20);
    CSprite* third = AddSprite(3, 7, 100, 10);
    SelectAll();
    view->RunCommand(cmd::kSpaceEvenlyDown);
    EXPECT_EQ(TopLeft(*first), (Point{5, 10}));
    EXPECT_EQ(TopLeft(*second), (Point{6, 55})) << "step (100 - 10) / 2 = 45";
    EXPECT_EQ(TopLeft(*third), (Point{7, 100}));
    EXPECT_EQ(view->snapshots, 1);
    EXPECT_EQ(doc.UndoText(), "Undo Space evenly down");

    first->SetPosition(5, 100);
    second->SetPosition(6, 10);
    third->SetPosition(7, 50);
    view->RunCommand(cmd::kSpaceEvenlyDown);
    EXPECT_EQ(first->GetY(), 10) << "the first visited goes to the smallest top, whatever its place";
    EXPECT_EQ(second->GetY(), 55);
    EXPECT_EQ(third->GetY(), 100);

    ASSERT_TRUE(doc.Undo());
    ASSERT_NE(doc.GetSpriteList().FindByNumber(1), nullptr);
    EXPECT_EQ(doc.GetSpriteList().FindByNumber(1)->GetY(), 100) << "undo takes back the spacing, and only it";
    ASSERT_TRUE(doc.Redo());
    ASSERT_NE(doc.GetSpriteList().FindByNumber(1), nullptr);
    EXPECT_EQ(doc.GetSpriteList().FindByNumber(1)->GetY(), 10) << "redo puts it back";
}

TEST_F(ArrangeTest, SpaceEvenlyTruncatesTheStepAndLeavesTextsAlone) {
    CSprite* a = AddSprite(1, 0, 1, 30);
    CSprite* b = AddSprite(2, 0, 2, 20);
    CSprite* c = AddSprite(3, 7, 3, 10);
    CTexto* t = AddText({1, 1, 20, 20});
    SelectAll();
    view->RunCommand(cmd::kSpaceEvenlyAcross);
    EXPECT_EQ(a->GetX(), 0);
    EXPECT_EQ(b->GetX(), 3) << "(7 - 0) / 2 = 3";
    EXPECT_EQ(c->GetX(), 6);
    EXPECT_EQ(a->GetY(), 1) << "across keeps Y";
    EXPECT_EQ(t->rect, (Rect{1, 1, 20, 20}));
}

TEST_F(ArrangeTest, SpacingKeepsTheRecordsOfMovedProxies) {
    AddSprite(1, 0, 0, 30);
    AddPicture(100, 0);
    AddVideo(20, 0);
    SelectAll();
    view->RunCommand(cmd::kSpaceEvenlyAcross);  // visited: sprite (plane 30), picture (40)... by plane
    CSprite* video = Sprites().FindByNumber(kVideoProxyNumber);
    CSprite* picture = Sprites().FindByNumber(-2);
    EXPECT_EQ(Card().video.x, video->GetX());
    EXPECT_EQ(Card().PictureAt(0)->x, picture->GetX());
    EXPECT_NE(Card().video.x, 20) << "the video's proxy, visited first, went to the smallest left edge";
}

TEST_F(ArrangeTest, TheEnableRulesCountSpritesProxiesAndTextsAsTheirCommandsNeed) {
    CSprite* a = AddSprite(1, 0, 0);
    CTexto* t = AddText({0, 0, 10, 10});
    view->SelectSprite(*a, true);
    EXPECT_FALSE(Enabled(cmd::kAlignUp)) << "one element";
    t->selected = true;
    EXPECT_TRUE(Enabled(cmd::kAlignUp));
    EXPECT_TRUE(Enabled(cmd::kAlignRight));
    CSprite* proxy = AddPicture(50, 50);
    view->SelectSprite(*proxy, true);
    EXPECT_FALSE(Enabled(cmd::kSpaceEvenlyDown)) << "two sprites and a text are not three sprites";
    view->SelectSprite(*AddVideo(80, 80), true);
    EXPECT_TRUE(Enabled(cmd::kSpaceEvenlyAcross)) << "proxies count";

    EXPECT_FALSE(Enabled(cmd::kTextPosition));
    EXPECT_FALSE(Enabled(cmd::kPictureDelete));
    EXPECT_FALSE(Enabled(cmd::kVideoDelete));
    CommandTarget::State state;
    EXPECT_FALSE(view->CommandState(cmd::kEditCopy, state)) << "the commands' own, not the view's";
    EXPECT_FALSE(view->RunCommand(cmd::kAddCard));
}

TEST_F(ArrangeTest, DisabledArrangementsDoNothingWhenRunAnyway) {
    CSprite* a = AddSprite(1, 0, 40);
    view->SelectSprite(*a, true);
    EXPECT_TRUE(view->RunCommand(cmd::kAlignUp)) << "known, so handled";
    EXPECT_EQ(view->snapshots, 0);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(a->GetY(), 40);
}

TEST_F(ArrangeTest, TheInsertToolsShowTheirCheckAndTheVideoToolNeedsACardWithoutVideo) {
    EXPECT_TRUE(Checked(cmd::kSelectTool));
    EXPECT_TRUE(Enabled(cmd::kInsertVideo));
    view->RunCommand(cmd::kInsertText);
    EXPECT_TRUE(Checked(cmd::kInsertText));
    EXPECT_FALSE(Checked(cmd::kSelectTool));
    EXPECT_EQ(view->ToolCursor(), EditorCursor::textTool);
    Card().video.file = "CLIP.AVI";
    EXPECT_FALSE(Enabled(cmd::kInsertVideo));
    view->RunCommand(cmd::kInsertVideo);
    EXPECT_EQ(view->GetTool(), CFichaView::Tool::text) << "a disabled tool is not chosen";
    EXPECT_TRUE(Enabled(cmd::kInsertSprite));
    EXPECT_TRUE(Enabled(cmd::kSizeToContent));
}

TEST_F(ArrangeTest, ArrowKeysNudgeTheSelectionAsOneStepPerBurst) {
    CSprite* s = AddSprite(1, 10, 10);
    CSprite* picture = AddPicture(100, 100);
    Show();
    Key(Qt::Key_Right);
    EXPECT_EQ(TopLeft(*s), (Point{10, 10})) << "nothing selected: the key is not the view's";
    EXPECT_EQ(view->snapshots, 0);
    Click({20, 20});
    Click({110, 110}, Qt::ShiftModifier);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(TopLeft(*s), (Point{12, 20}));
    EXPECT_EQ(TopLeft(*picture), (Point{102, 110}));
    EXPECT_EQ(Card().PictureAt(0)->x, 102) << "the picture follows its proxy";
    EXPECT_EQ(view->snapshots, 1) << "one burst, one step";
    EXPECT_EQ(doc.UndoText(), "Undo Nudge");
    EXPECT_TRUE(doc.IsModified());

    view->RunCommand(cmd::kViewGrid);  // another command ends the burst
    view->RunCommand(cmd::kViewGrid);
    Key(Qt::Key_Left);
    EXPECT_EQ(view->snapshots, 2);
    QTest::qWait(CFichaView::kNudgeBurstMs + 200);
    EXPECT_FALSE(view->NudgeBurstRunning());
    Key(Qt::Key_Up);
    EXPECT_EQ(view->snapshots, 3) << "a pause ends the burst";
    EXPECT_EQ(TopLeft(*s), (Point{11, 19}));
}

TEST_F(ArrangeTest, TheGridSnapsDragsAndInsertionPointsOnlyWhenOn) {
    CSprite* s = AddSprite(1, 10, 10);
    Show();
    EXPECT_FALSE(Checked(cmd::kViewGrid));
    Drag({20, 20}, {23, 21});
    EXPECT_EQ(TopLeft(*s), (Point{13, 11})) << "off: exactly as the pointer moved";

    view->RunCommand(cmd::kViewGrid);
    EXPECT_TRUE(Checked(cmd::kViewGrid));
    EXPECT_EQ(view->GridSize(), 8);
    Drag({20, 20}, {22, 22});
    EXPECT_EQ(TopLeft(*s), (Point{16, 16})) << "the grabbed corner lands on the nearest grid point";
    Drag({20, 20}, {30, 23});
    EXPECT_EQ(TopLeft(*s), (Point{24, 16}));

    view->RunCommand(cmd::kInsertSprite);
    Click({203, 301});
    ASSERT_EQ(insertion.calls.size(), 1u);
    EXPECT_EQ(insertion.calls[0], "sprite 200,304");
    view->RunCommand(cmd::kViewGrid);
    view->RunCommand(cmd::kInsertPicture);
    Click({203, 301});
    EXPECT_EQ(insertion.calls.back(), "picture 203,301");
}

TEST_F(ArrangeTest, SizeToContentFitsTheWindowToTheCardWithinItsLargestSize) {
    QWidget window;
    window.setMaximumSize(651, 510);
    auto* hosted = new CFichaViewHost(doc, &insertion, router, &window);
    hosted->setGeometry(5, 5, 300, 200);
    window.resize(310, 210);
    CommandTarget& target = hosted->View();
    ASSERT_TRUE(target.RunCommand(cmd::kSizeToContent));
    EXPECT_EQ(window.size(), QSize(650, 490));
    window.setMaximumSize(400, 300);
    target.RunCommand(cmd::kSizeToContent);
    EXPECT_EQ(window.size(), QSize(400, 300));
}

}  // namespace
