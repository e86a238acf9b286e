#include <gtest/gtest.h>

#include <QListWidget>
#include <QMouseEvent>
#include <QTest>
#include <algorithm>

#include "editor/CommandIds.h"
#include "imaging/DibJpeg.h"
#include "tests/editor/AidsTestSupport.h"
#include "tools/TitleFiles.h"
#include "ui/CardComposition.h"

using namespace aids_test;

namespace {

// A title of three cards over a background, with sprite 1 hidden by card 1 and sprite 2 shown only by
// card 2, so that every card looks different.
std::string ThreeCards(AidsFrame& e, const std::string& name = "TITLE.FCA") {
    TitleDraft draft(3);
    auto background = std::make_unique<CDibJpeg>();
    doc_test::Gradient(*background, 640, 480, 90);
    draft.doc.SetBackground(std::move(background));
    draft.Add(ActionSprite(1, kActionNone));
    auto hidden = ActionSprite(2, kActionNone);
    hidden->SetVisible(false);
    draft.Add(std::move(hidden));
    draft.doc.GetCards().GetAt(1)->deactivationList = "1";
    draft.doc.GetCards().GetAt(2)->activationList = "2";
    return draft.SaveAs(e.Path(name));
}

// The overview shown beside the frame, showing the active document.
CCardOverview& ShownOverview(AidsFrame& e) {
    e.frame.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&e.frame));
    EXPECT_TRUE(e.frame.Route(cmd::kViewCardOverview));
    CCardOverview& overview = e.Aids().CardOverview();
    EXPECT_FALSE(overview.isHidden());
    EXPECT_EQ(overview.Document(), &e.Doc());
    return overview;
}

void Mouse(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), widget.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

// Presses on card `from` and lets it go at `x` of the strip, moving in steps as a hand does.
void DragCard(CCardOverview& overview, int from, int x) {
    QWidget& strip = overview.Strip();
    const QPoint start = overview.CellRect(from).center();
    const QPoint end(x, start.y());
    Mouse(strip, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    Mouse(strip, QEvent::MouseMove, (start + end) / 2, Qt::NoButton, Qt::LeftButton);
    Mouse(strip, QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton);
    Mouse(strip, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
}

}  // namespace

TEST(CardOverview, EachPictureIsTheCardAsTheComposerDrawsItOnEnteringIt) {
    AidsFrame e;
    const std::string path = ThreeCards(e);
    ASSERT_NE(e.Open(path), nullptr);
    CCardOverview& overview = ShownOverview(e);
    ASSERT_EQ(overview.CardCount(), 3);
    EXPECT_EQ(overview.CurrentCard(), 0);
    for (int i = 0; i < 3; ++i) {
        CFichaDoc played(Variant::player);
        std::string message;
        ASSERT_TRUE(fcatool::LoadTitle(path, played, false, nullptr, message)) << message;
        ASSERT_TRUE(played.GoToCard(i));
        const QImage expected =
            ui::ComposeCard(played).scaled(CCardOverview::kThumbnailWidth, CCardOverview::kThumbnailHeight,
                                           Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_EQ(overview.Thumbnail(i), expected) << "card " << i;
    }
    EXPECT_NE(overview.Thumbnail(0), overview.Thumbnail(1)) << "card 1 hides sprite 1";
    EXPECT_NE(overview.Thumbnail(1), overview.Thumbnail(2)) << "card 2 shows sprite 2";
    EXPECT_TRUE(overview.Thumbnail(3).isNull());
}

TEST(CardOverview, AChangeDrawsAgainOnlyTheCardsItChanged) {
    AidsFrame e;
    ASSERT_NE(e.Open(ThreeCards(e)), nullptr);
    CCardOverview& overview = ShownOverview(e);
    for (int i = 0; i < 3; ++i) overview.Thumbnail(i);
    const int drawn = overview.DrawCount();
    EXPECT_LE(drawn, 3);

    e.Doc().GetCards().GetAt(2)->texts.GetAt(0)->text = "changed";
    e.Doc().GetCards().GetAt(2)->texts.GetAt(0)->MarkChanged();
    overview.ShowDocument(&e.Doc());
    EXPECT_FALSE(overview.IsStale(0));
    EXPECT_FALSE(overview.IsStale(1));
    EXPECT_TRUE(overview.IsStale(2));
    for (int i = 0; i < 3; ++i) overview.Thumbnail(i);
    EXPECT_EQ(overview.DrawCount(), drawn + 1);

    // A moved card keeps its picture; a change of the scene is seen on every card.
    auto& commands = dynamic_cast<CEditorCommands&>(*e.child->Parts().commands);
    EXPECT_FALSE(commands.MoveCard(0, 3));
    EXPECT_FALSE(commands.MoveCard(-1, 0));
    EXPECT_FALSE(commands.MoveCard(1, 1));
    EXPECT_FALSE(e.Doc().CanUndo()) << "no step for a move that moves nothing";
    EXPECT_TRUE(commands.MoveCard(0, 2));
    overview.ShowDocument(&e.Doc());
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(overview.IsStale(i)) << i;
    e.Doc().GetSpriteList().FindByNumber(1)->SetPosition(300, 200);
    overview.ShowDocument(&e.Doc());
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(overview.IsStale(i)) << i;

    // The idle moments draw what waits, one picture each.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !overview.IsStale(0) && !overview.IsStale(1) && !overview.IsStale(2); }));
    EXPECT_EQ(overview.DrawCount(), drawn + 4);
}

TEST(CardOverview, AClickGoesToTheCardAndADragMovesItAsOneUndoStep) {
    AidsFrame e;
    ASSERT_NE(e.Open(ThreeCards(e)), nullptr);
    CCardOverview& overview = ShownOverview(e);
    CFichaDoc& doc = e.Doc();
    const std::vector<std::string> start = {"card 0", "card 1", "card 2"};
    ASSERT_EQ(CardNames(doc), start);

    QTest::mouseClick(&overview.Strip(), Qt::LeftButton, Qt::NoModifier, overview.CellRect(1).center());
    EXPECT_EQ(doc.GetCurrentCard(), 1);
    EXPECT_FALSE(doc.CanUndo()) << "going to a card is no change";

    // Card 0 let go behind the last card.
    DragCard(overview, 0, overview.CellRect(2).right() - 2);
    EXPECT_EQ(CardNames(doc), (std::vector<std::string>{"card 1", "card 2", "card 0"}));
    EXPECT_EQ(doc.GetCurrentCard(), 0) << "card 1, the current card, stays current where it went";
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.UndoText(), "Undo Move card");
    EXPECT_EQ(overview.CardCount(), 3);
    EXPECT_EQ(overview.CurrentCard(), 0);

    ASSERT_TRUE(e.frame.Route(cmd::kEditUndo));
    EXPECT_EQ(CardNames(doc), start) << "one undo puts every card back";
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_EQ(doc.RedoText(), "Redo Move card");
    ASSERT_TRUE(e.frame.Route(cmd::kEditRedo));
    EXPECT_EQ(CardNames(doc), (std::vector<std::string>{"card 1", "card 2", "card 0"}));

    // The last card let go before the first; then a card let go in its own place moves nothing.
    DragCard(overview, 2, overview.CellRect(0).left() + 2);
    EXPECT_EQ(CardNames(doc), start);
    const size_t steps = doc.GetUndoHistory().UndoCount();
    DragCard(overview, 1, overview.CellRect(1).right() - 2);
    EXPECT_EQ(CardNames(doc), start);
    EXPECT_EQ(doc.GetUndoHistory().UndoCount(), steps);
}

TEST(CardOverview, AfterAMoveTheCheckPanelListsTheActionsWhoseCardNumbersChangedMeaning) {
    AidsFrame e;
    TitleDraft(3).SaveAs(e.Path("OTHER.FCA"));
    TitleDraft draft(3);
    draft
        .Add(ActionSprite(1, kActionOpenCard, "title", "2"))      // card index 1 of this title
        .Add(ActionSprite(2, kActionPreviousCard, "TITLE", "2"))  // card index 2
        .Add(ActionSprite(3, kActionOpenCard, "other", "2"))      // another title: unaffected
        .Add(ActionSprite(4, kActionPlayVideoTitle, "clip"))      // titles numbered after the cards
        .Add(ActionSprite(5, kActionOpenCard, "", "1"))           // no stem: read as this title
        .Add(ActionSprite(6, kActionOpenCard, "title", "*"))      // the last card of the title left
        .Add(ActionSprite(7, kActionOpenCard, "title", ""));      // the start of the title: unaffected
    ASSERT_NE(e.Open(draft.SaveAs(e.Path("TITLE.FCA"))), nullptr);
    CCardOverview& overview = ShownOverview(e);
    DragCard(overview, 0, overview.CellRect(2).right() - 2);  // the order is now 1, 2, 0

    CCheckPanel& panel = e.Aids().CheckPanel();
    EXPECT_FALSE(panel.isHidden()) << "the panel comes up with the notes";
    std::vector<std::string> lines;
    for (const TitleFinding& note : panel.MoveNotes()) lines.push_back(note.line);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(
        lines,
        (std::vector<std::string>{
            "sprite 1: File - Open a card: card index 1 now reaches the card that was at 2; the card it "
            "reached is now at 0",
            "sprite 2: Cards - Previous card: card index 2 now reaches the card that was at 0; the card "
            "it reached is now at 1",
            "sprite 4: Video - Play a video: the titles numbered after the cards now open on other cards "
            "(cards 0, 1, 2 moved)",
            "sprite 5: File - Open a card: card index 0 now reaches the card that was at 1; the card it "
            "reached is now at 2",
            "sprite 6: File - Open a card: card index 2 now reaches the card that was at 0; the card it "
            "reached is now at 1",
        }));
    for (const TitleFinding& note : panel.MoveNotes())
        if (note.sprite == 1) {
            EXPECT_EQ(note.card, 0) << "a double click shows the card it reached";
        }
    ASSERT_GT(panel.List().count(), static_cast<int>(panel.MoveNotes().size()));
    EXPECT_FALSE(panel.FindingAt(0).has_value()) << "a heading above the notes";

    // Undoing the move takes its notes back; closing the title lets go of it.
    ASSERT_TRUE(e.frame.Route(cmd::kEditUndo));
    e.Aids().Follow();
    EXPECT_TRUE(panel.MoveNotes().empty());
    ASSERT_TRUE(e.frame.Route(cmd::kEditRedo));
    DragCard(overview, 0, overview.CellRect(2).right() - 2);
    ASSERT_FALSE(panel.MoveNotes().empty());
    e.f.messageBox.answers = {platform::MessageAnswer::no};
    ASSERT_TRUE(e.frame.CloseDocument(e.Doc()));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    e.Aids().Follow();
    EXPECT_EQ(panel.Document(), nullptr);
    EXPECT_TRUE(panel.MoveNotes().empty());
    EXPECT_EQ(overview.CardCount(), 0);
}
