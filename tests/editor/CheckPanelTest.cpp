#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>

#include "editor/CommandIds.h"
#include "model/Foto.h"
#include "tests/editor/AidsTestSupport.h"
#include "tools/Fcatool.h"

using namespace aids_test;

namespace {

// What fcatool check prints for the title at `path`.
std::string FcatoolCheck(const std::string& path) {
    testing::internal::CaptureStdout();
    fcatool::RunCheck({path});
    return testing::internal::GetCapturedStdout();
}

std::string PanelText(const CCheckPanel& panel) {
    std::string text;
    for (const TitleFinding& finding : panel.Findings()) text += finding.line + "\n";
    return text;
}

// A title of three cards that fails in many ways: another title's card out of range, a missing title,
// a text on no card, a sprite number nobody has, a missing picture, and a scroll widget shown on a card
// without its text.
std::string FaultyTitle(AidsFrame& e) {
    TitleDraft(1).SaveAs(e.Path("OTHER.FCA"));
    TitleDraft draft(3);
    draft.Add(ActionSprite(1, kActionOpenCard, "other", "3"))
        .Add(ActionSprite(2, kActionNextCard, "missing"))
        .Add(ActionSprite(3, kActionTextLineDown, "nowhere"))
        .Add(ActionSprite(4, kActionTextScrollKnob, "story"));
    draft.doc.GetCards().GetAt(1)->activationList = "1,42";
    draft.doc.GetCards().GetAt(2)->activationList = "4";
    return draft.SaveAs(e.Path("TITLE.FCA"));
}

}  // namespace

TEST(CheckPanel, ListsWhatFcatoolCheckPrintsAndChecksAgainOnSave) {
    AidsFrame e;
    const std::string path = FaultyTitle(e);
    ASSERT_NE(e.Open(path), nullptr);
    ASSERT_TRUE(e.frame.Route(cmd::kCheckTitle));
    CCheckPanel& panel = e.Aids().CheckPanel();
    EXPECT_FALSE(panel.isHidden()) << "Check title shows the panel";
    const std::string printed = FcatoolCheck(path);
    EXPECT_GE(std::count(printed.begin(), printed.end(), '\n'), 6) << printed;
    EXPECT_EQ(PanelText(panel), printed);
    EXPECT_EQ(panel.List().count(), static_cast<int>(panel.Findings().size()));

    // The panel checks the title as it stands, unsaved changes included, and again when it is saved.
    auto photo = std::make_unique<CFoto>();
    photo->fileName = "gone.jpg";
    e.Doc().GetCards().GetAt(0)->AddPicture(std::move(photo));
    e.Doc().SetModifiedFlag(true);
    ASSERT_TRUE(e.frame.Route(cmd::kCheckTitle));
    ASSERT_EQ(panel.Findings().size(), size_t(std::count(printed.begin(), printed.end(), '\n')) + 1);
    EXPECT_EQ(panel.Findings().front().line, "card 0: picture \"gone.jpg\" not found");
    EXPECT_EQ(panel.Findings().front().card, 0);

    ASSERT_TRUE(e.frame.SaveDocument(*e.child, false));
    const std::string saved = FcatoolCheck(path);
    EXPECT_NE(saved, printed);
    EXPECT_EQ(PanelText(panel), saved) << "saving checked the title again";
}

TEST(CheckPanel, ADoubleClickOnAFindingGoesToItsCardAndSelectsItsSprite) {
    AidsFrame e;
    ASSERT_NE(e.Open(FaultyTitle(e)), nullptr);
    e.frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&e.frame));
    ASSERT_TRUE(e.frame.Route(cmd::kCheckTitle));
    CCheckPanel& panel = e.Aids().CheckPanel();
    QListWidget& list = panel.List();

    auto rowOf = [&](const std::string& start) {
        for (int row = 0; row < list.count(); ++row)
            if (std::optional<TitleFinding> f = panel.FindingAt(row); f && f->line.rfind(start, 0) == 0)
                return row;
        return -1;
    };
    auto doubleClick = [&](int row) {
        ASSERT_GE(row, 0);
        list.scrollToItem(list.item(row));
        const QRect place = list.visualItemRect(list.item(row));
        ASSERT_FALSE(place.isEmpty());
        // A double click arrives as a click and then the second press.
        QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
    };

    // A scroll knob shown on card 2, whose text that card lacks: the card and the sprite.
    EXPECT_EQ(e.Doc().GetCurrentCard(), 0);
    doubleClick(rowOf("card 2: sprite 4 scrolls text"));
    EXPECT_EQ(e.Doc().GetCurrentCard(), 2);
    CSprite* knob = e.Doc().GetSpriteList().FindByNumber(4);
    ASSERT_NE(knob, nullptr);
    EXPECT_TRUE(knob->IsSelected());
    EXPECT_EQ(e.View().CurrentSprite(), knob);

    // A sprite's own finding selects it on the card that shows, and only it.
    doubleClick(rowOf("sprite 3: text \"nowhere\""));
    EXPECT_EQ(e.Doc().GetCurrentCard(), 2);
    EXPECT_FALSE(knob->IsSelected());
    EXPECT_EQ(e.View().CurrentSprite(), e.Doc().GetSpriteList().FindByNumber(3));

    // A card's list: the card alone.
    doubleClick(rowOf("card 1: activation list names sprite 42"));
    EXPECT_EQ(e.Doc().GetCurrentCard(), 1);
    EXPECT_FALSE(e.Doc().IsModified()) << "going and selecting changes nothing of the title";
}
