#include <gtest/gtest.h>

#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <algorithm>

#include "editor/CommandIds.h"
#include "editor/LinkMap.h"
#include "tests/editor/AidsTestSupport.h"

using namespace aids_test;

namespace {

std::vector<std::string> Labels(const CLinkMap& map, bool missing) {
    std::vector<std::string> labels;
    for (const CLinkMap::Node& node : map.Nodes())
        if (node.missing == missing) labels.push_back(node.label.toStdString());
    std::sort(labels.begin(), labels.end());
    return labels;
}

}  // namespace

TEST(LinkMap, DrawsTheCardsAndTheTitlesTheActionsReachWithWhatIsMissingInRed) {
    AidsFrame e;
    TitleDraft(2).SaveAs(e.Path("OTHER.FCA"));
    TitleDraft draft(2);
    draft
        .Add(ActionSprite(1, kActionNextCard, "other"))           // card 1 -> card 2 -> other.fca
        .Add(ActionSprite(2, kActionOpenCard, "other", "5"))      // other.fca has no fifth card
        .Add(ActionSprite(3, kActionOpenCard, "gone", ""))        // no such title beside this one
        .Add(ActionSprite(4, kActionPreviousCard, "title", "7"))  // card 1 -> this title's card index 7
        .Add(ActionSprite(5, kActionCardsList));
    auto onlyOnSecond = ActionSprite(6, kActionPlayVideoTitle, "clip");
    onlyOnSecond->SetVisible(false);
    draft.Add(std::move(onlyOnSecond));
    draft.doc.GetCards().GetAt(1)->activationList = "6";
    ASSERT_NE(e.Open(draft.SaveAs(e.Path("TITLE.FCA"))), nullptr);

    ASSERT_TRUE(e.frame.Route(cmd::kViewLinkMap));
    CLinkMap* map = e.Aids().LinkMap();
    ASSERT_NE(map, nullptr);
    EXPECT_FALSE(map->isHidden());
    EXPECT_EQ(Labels(*map, false), (std::vector<std::string>{"Card 1", "Card 2", "Cards list", "other.fca"}));
    EXPECT_EQ(Labels(*map, true), (std::vector<std::string>{"Card 8", "clip02.fca, card 2",
                                                            "gone.fca, card 1", "other.fca, card 5"}));

    // The video title is reached from the card that shows its sprite only.
    int fromSecond = 0;
    for (const TitleLink& link : map->Links())
        if (link.sprite == 6) {
            EXPECT_EQ(link.fromCard, 1);
            ++fromSecond;
        }
    EXPECT_EQ(fromSecond, 1);

    // What is missing is drawn in red, and only that.
    int red = 0, boxes = 0;
    for (QGraphicsItem* item : map->Scene().items())
        if (auto* box = qgraphicsitem_cast<QGraphicsRectItem*>(item)) {
            ++boxes;
            if (box->pen().color() == CLinkMap::kMissing) ++red;
        }
    EXPECT_EQ(boxes, static_cast<int>(map->Nodes().size()));
    EXPECT_EQ(red, 4);

    // The map follows the title: once the missing title exists beside it, it is no longer red.
    TitleDraft(1).SaveAs(e.Path("GONE.FCA"));
    map->ShowDocument(&e.Doc());
    EXPECT_EQ(Labels(*map, true),
              (std::vector<std::string>{"Card 8", "clip02.fca, card 2", "other.fca, card 5"}));
}
