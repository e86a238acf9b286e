#include <QAction>
#include <QMenu>
#include <QToolTip>

#include "editor/CommandIds.h"
#include "editor/Menus.h"
#include "tests/editor/ViewTestSupport.h"

namespace {

using namespace view_test;

// What a context menu showed: its entries' texts (without the accelerator text after the tab), commands
// and enable states, read without running it; separators left out.
struct ShownMenu {
    std::vector<std::string> texts;
    std::vector<int> commands;
    std::vector<bool> enabled;
};

class ToolsTest : public ViewFixture {
  protected:
    ToolsTest() {
        view->SetMenuPopup([this](QMenu& popup, const QPoint&) {
            ShownMenu shown;
            for (QAction* action : popup.actions()) {
                if (action->isSeparator()) continue;
                shown.texts.push_back(action->text().section('\t', 0, 0).toStdString());
                shown.commands.push_back(action->data().toInt());
                shown.enabled.push_back(action->isEnabled());
            }
            menus.push_back(shown);
            if (choose) {
                for (QAction* action : popup.actions())
                    if (action->data().toInt() == choose) action->trigger();
            }
        });
    }
    void RightClick(Point at) {
        Press(at, Qt::NoModifier, Qt::RightButton);
        Release(at, Qt::NoModifier, Qt::RightButton);
    }
    std::vector<ShownMenu> menus;
    int choose = 0;
};

TEST_F(ToolsTest, TheContextMenuIsChosenByTheKindOfElement) {
    CSprite* sprite = AddSprite(1, 10, 10);
    CSprite* picture = AddPicture(100, 10);
    CSprite* video = AddVideo(200, 10);
    CTexto* text = AddText({300, 10, 360, 40});
    Show();
    EXPECT_EQ(view->ContextMenuAt({20, 20}), menu::kSprite);
    EXPECT_EQ(view->CurrentSprite(), sprite);
    EXPECT_EQ(view->ContextMenuAt({110, 20}), menu::kPicture);
    EXPECT_EQ(view->CurrentSprite(), picture);
    EXPECT_EQ(view->ContextMenuAt({210, 20}), menu::kVideo);
    EXPECT_EQ(view->CurrentSprite(), video);
    EXPECT_EQ(view->ContextMenuAt({310, 20}), menu::kText);
    EXPECT_EQ(view->CurrentText(), text);
    EXPECT_EQ(view->ContextMenuAt({500, 400}), menu::kScreen);
    EXPECT_EQ(view->CurrentText(), nullptr) << "a right press beside the texts drops the current text";
    EXPECT_EQ(view->CurrentSprite(), nullptr);

    doc.GetCards().DeleteAll();
    EXPECT_EQ(view->ContextMenuAt({20, 20}), menu::kSprite);
    EXPECT_EQ(view->ContextMenuAt({500, 400}), 0) << "without a card a miss opens nothing";
}

TEST_F(ToolsTest, ARightClickShowsTheMenuWithItsTextsCommandsAndTheRoutersEnableState) {
    AddSprite(1, 10, 10);
    AddPicture(100, 10);
    AddText({300, 10, 360, 40});
    router.states[cmd::kSpriteConfiguration] = {true, false};
    router.states[cmd::kSpriteProperties] = {true, false};
    router.states[cmd::kPictureProperties] = {true, false};
    router.states[cmd::kEditText] = {true, false};
    Show();
    RightClick({20, 20});
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].texts, (std::vector<std::string>{"&Configuration...", "&Events...",
                                                        "Change &bitmap...", "P&roperties", "&Delete"}));
    EXPECT_EQ(menus[0].commands, (std::vector<int>{32778, 32776, 32844, 32779, 32780}));
    EXPECT_EQ(menus[0].enabled, (std::vector<bool>{true, false, false, true, false}))
        << "entries no target knows are disabled";

    RightClick({110, 20});
    EXPECT_EQ(menus[1].texts, (std::vector<std::string>{"&Properties", "&Delete"}));
    EXPECT_EQ(menus[1].commands, (std::vector<int>{32853, 32852}));
    EXPECT_EQ(menus[1].enabled, (std::vector<bool>{true, false})) << "the picture's Delete has no handler";

    RightClick({310, 20});
    EXPECT_EQ(menus[2].texts,
              (std::vector<std::string>{"&Edit text...", "&Align texts...", "&Text format...",
                                        "&Repeat in all cards", "&Convert in counter", "&Delete"}));
    EXPECT_EQ(menus[2].commands, (std::vector<int>{32825, 32833, 32834, 32835, 32837, 32839}));

    RightClick({500, 400});
    EXPECT_EQ(menus[3].texts,
              (std::vector<std::string>{"Load from &file...", "Fill with &color...", "Fill with gradient...",
                                        "&Size to content", "&Properties"}));
    EXPECT_EQ(menus[3].commands, (std::vector<int>{32771, 32858, 32859, 32861, 32786}));
    EXPECT_TRUE(menus[3].enabled[3]) << "Size to content is the view's own and always enabled";
    EXPECT_EQ(view->ShownCursor(), EditorCursor::arrow);
}

TEST_F(ToolsTest, AChosenEntryRunsThroughTheRouter) {
    AddVideo(200, 10);
    router.states[cmd::kVideoProperties] = {true, false};
    choose = cmd::kVideoProperties;
    Show();
    RightClick({210, 20});
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].commands, (std::vector<int>{32857, 32856}));
    EXPECT_EQ(router.run, (std::vector<int>{cmd::kVideoProperties}));
    EXPECT_TRUE(MenuResource(999).empty());
}

TEST_F(ToolsTest, DoubleClicksOpenTheEditorOfWhatTheyHit) {
    CSprite* sprite = AddSprite(1, 10, 10);
    AddPicture(100, 10);
    AddVideo(200, 10);
    CTexto* text = AddText({300, 10, 360, 40});
    Show();
    DoubleClick({310, 20});
    DoubleClick({20, 20});
    EXPECT_EQ(view->CurrentSprite(), sprite);
    DoubleClick({110, 20});
    DoubleClick({210, 20});
    DoubleClick({500, 400});
    EXPECT_EQ(router.run, (std::vector<int>{cmd::kEditText, cmd::kSpriteProperties, cmd::kPictureProperties,
                                            cmd::kVideoProperties, cmd::kScreenProperties}));
    EXPECT_EQ(view->DoubleClickCommandAt({320, 30}), cmd::kEditText);
    EXPECT_EQ(view->CurrentText(), text);
}

TEST_F(ToolsTest, TheSpriteAndPictureToolsInsertAtThePressAndReturnToSelect) {
    AddSprite(1, 10, 10);
    Show();
    view->RunCommand(cmd::kInsertSprite);
    EXPECT_EQ(view->ShownCursor(), EditorCursor::arrow) << "the tool's cursor waits for the next movement";
    MoveTo({400, 300}, Qt::NoButton);
    EXPECT_EQ(view->ShownCursor(), EditorCursor::spriteTool);
    MoveTo({20, 20}, Qt::NoButton);
    EXPECT_EQ(view->ShownCursor(), EditorCursor::overElement) << "over an element its own cursor shows";
    insertion.answer = false;  // the file dialog was cancelled
    Click({401, 302});
    EXPECT_EQ(insertion.calls, (std::vector<std::string>{"sprite 401,302"}));
    EXPECT_EQ(view->GetTool(), CFichaView::Tool::select) << "whatever the outcome";
    EXPECT_EQ(view->ShownCursor(), EditorCursor::arrow);
    EXPECT_EQ(view->ToolCursor(), EditorCursor::arrow);

    view->RunCommand(cmd::kInsertPicture);
    MoveTo({400, 300}, Qt::NoButton);
    EXPECT_EQ(view->ShownCursor(), EditorCursor::pictureTool);
    Click({50, 60});
    view->RunCommand(cmd::kInsertVideo);
    MoveTo({400, 300}, Qt::NoButton);
    EXPECT_EQ(view->ShownCursor(), EditorCursor::videoTool);
    Click({70, 80});
    EXPECT_EQ(insertion.calls, (std::vector<std::string>{"sprite 401,302", "picture 50,60", "video 70,80"}));
    EXPECT_EQ(view->GetTool(), CFichaView::Tool::select);
}

TEST_F(ToolsTest, TheTextToolTracksABandAndMakesTheNewTextCurrent) {
    Show();
    view->RunCommand(cmd::kInsertText);
    Press({100, 120});
    MoveTo({150, 130});
    ASSERT_TRUE(view->RubberBand().has_value());
    EXPECT_EQ(*view->RubberBand(), (Rect{100, 120, 150, 130}));
    MoveTo({60, 200});
    Release({60, 200});
    EXPECT_EQ(insertion.calls, (std::vector<std::string>{"text 60,120,100,200"})) << "normalised";
    ASSERT_EQ(Card().texts.GetSize(), 1u);
    EXPECT_EQ(view->CurrentText(), Card().TextAt(0));
    ASSERT_NE(view->Tracker(), nullptr);
    EXPECT_EQ(view->Tracker()->GetRect(), (Rect{60, 120, 100, 200}));
    EXPECT_EQ(view->GetTool(), CFichaView::Tool::select);

    view->RunCommand(cmd::kInsertText);
    Click({300, 300});
    EXPECT_EQ(insertion.calls.size(), 1u) << "no band drawn, no text";
    EXPECT_EQ(view->GetTool(), CFichaView::Tool::select);
}

TEST_F(ToolsTest, TheHoverCursorsTellSelectedFromUnselectedElements) {
    CSprite* sprite = AddSprite(1, 10, 10);
    CTexto* text = AddText({300, 10, 360, 40});
    Show();
    MoveTo({20, 20}, Qt::NoButton);
    EXPECT_EQ(view->ShownCursor(), EditorCursor::overElement);
    view->SelectSprite(*sprite, true);
    MoveTo({21, 20}, Qt::NoButton);
    EXPECT_EQ(view->ShownCursor(), EditorCursor::move);
    MoveTo({310, 20}, Qt::NoButton);
    EXPECT_EQ(view->ShownCursor(), EditorCursor::overElement);
    Click({330, 25});
    ASSERT_EQ(view->CurrentText(), text);
    MoveTo({330, 25}, Qt::NoButton);
    EXPECT_EQ(view->ShownCursor(), EditorCursor::trackerMove) << "the tracker shows its own cursors";
    MoveTo({358, 38}, Qt::NoButton);
    EXPECT_EQ(view->ShownCursor(), EditorCursor::trackerSizeFDiag);
    EXPECT_EQ(Widget().cursor().shape(), Qt::SizeFDiagCursor) << "the widget shows what the view chose";
    MoveTo({500, 400}, Qt::NoButton);
    EXPECT_EQ(view->ShownCursor(), EditorCursor::arrow);
}

TEST_F(ToolsTest, TheEditorsCursorsAreDrawnAndDifferFromEachOther) {
    std::vector<QImage> images;
    for (EditorCursor c : {EditorCursor::overElement, EditorCursor::move, EditorCursor::spriteTool,
                           EditorCursor::textTool, EditorCursor::pictureTool, EditorCursor::videoTool}) {
        const QCursor& cursor = EditorQCursor(c);
        ASSERT_EQ(cursor.shape(), Qt::BitmapCursor);
        const QImage image = cursor.pixmap().toImage();
        ASSERT_FALSE(image.isNull());
        EXPECT_TRUE(QRect(QPoint(), image.size()).contains(cursor.hotSpot()));
        for (const QImage& other : images) EXPECT_NE(image, other);
        images.push_back(image);
    }
    EXPECT_EQ(EditorQCursor(EditorCursor::arrow).shape(), Qt::ArrowCursor);
}

TEST_F(ToolsTest, TheTooltipShowsTheFirst79CharactersOfTheSpriteUnderThePointer) {
    CSprite* sprite = AddSprite(1, 10, 10);
    sprite->SetText(std::string(100, 'a') + "\xF1");
    CSprite* other = AddSprite(2, 100, 10);
    other->SetText("Bot\xF3n");  // Windows-1252
    Show();
    MoveTo({20, 20}, Qt::NoButton);
    EXPECT_EQ(view->TooltipText(), std::string(79, 'a'));
    MoveTo({110, 20}, Qt::NoButton);
    EXPECT_EQ(view->TooltipText(), "Bot\xC3\xB3n");
    QTest::qWait(CFichaView::kTooltipDelayMs + 150);
    EXPECT_EQ(QToolTip::text().toStdString(), "Bot\xC3\xB3n");
    MoveTo({400, 400}, Qt::NoButton);
    EXPECT_EQ(view->TooltipText(), "");
}

}  // namespace
