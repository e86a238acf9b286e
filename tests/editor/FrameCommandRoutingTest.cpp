#include <gtest/gtest.h>

#include <QMenu>
#include <QToolBar>
#include <set>
#include <vector>

#include "editor/CommandIds.h"
#include "editor/EditingSeams.h"
#include "editor/Menus.h"
#include "model/Texto.h"
#include "tests/editor/FrameTestSupport.h"
#include "tests/model/DocTestSupport.h"

// The running editor's commands end to end through the real frame and the real child factory: every
// entry of the document's menu bar and of the card view's context menus reaches a handler, and the few
// that have none show disabled.
using frame_test::FrameFixture;

namespace {

void CollectCommands(const std::vector<MenuEntry>& entries, std::vector<int>& ids) {
    for (const MenuEntry& e : entries) {
        if (e.kind == MenuEntry::Kind::command || e.kind == MenuEntry::Kind::recentFiles) ids.push_back(e.id);
        if (e.kind == MenuEntry::Kind::popup) CollectCommands(e.items, ids);
    }
}

std::vector<int> CommandsOf(int resource) {
    std::vector<int> ids;
    CollectCommands(MenuResource(resource), ids);
    return ids;
}

// The commands the menus carry without any handler behind them.
const std::set<int> kWithoutHandler = {cmd::kTextPosition, cmd::kPictureDelete, cmd::kVideoDelete,
                                       cmd::kNoAction};

// A document open in the real frame with a sprite, a text, a picture and the video on its card.
struct EditingFrame {
    EditingFrame() : frame(f.MakeFrame(f.EditingFactory())) {
        child = frame.NewDocument();
        CFichaDoc& doc = child->Document();
        CFicha& card = *doc.GetCurrentCardPtr();
        auto sprite = doc_test::MakeSprite(1, 10, 10, 50, 20, 20);
        this->sprite = sprite.get();
        doc.GetSpriteList().Insert(std::move(sprite));
        auto made = std::make_unique<CTexto>("Texto", platform::Rect{100, 100, 200, 140});
        text = made.get();
        card.AddText(std::move(made));
        card.video.file = "CLIP.AVI";
        frame.UpdateCommandUI();
    }
    CardEditing& Editing() { return *child->Parts().editing; }
    bool Claimed(int id) {
        bool handled = false;
        frame.RoutedState(id, &handled);
        return handled;
    }
    bool Enabled(int id) { return frame.RoutedState(id).enabled; }

    FrameFixture f;
    CMainFrame& frame;
    CChildFrame* child = nullptr;
    CSprite* sprite = nullptr;
    CTexto* text = nullptr;
};

}  // namespace

TEST(FrameCommandRouting, EveryMenuCommandOfADocumentReachesAHandlerOrShowsDisabled) {
    EditingFrame e;
    ASSERT_NE(e.child, nullptr);
    ASSERT_NE(e.child->Parts().view, nullptr) << "the real factory gives the editing view";
    ASSERT_NE(e.child->Parts().commands, nullptr) << "and the document's editing commands";
    ASSERT_EQ(e.frame.MenuResourceShown(), menu::kDocument);

    for (int resource :
         {menu::kDocument, menu::kSprite, menu::kText, menu::kPicture, menu::kVideo, menu::kScreen}) {
        const std::vector<int> ids = CommandsOf(resource);
        ASSERT_FALSE(ids.empty()) << "menu " << resource;
        for (int id : ids) {
            if (kWithoutHandler.count(id)) {
                EXPECT_FALSE(e.Enabled(id))
                    << "command " << id << " of menu " << resource << " has no handler";
                continue;
            }
            EXPECT_TRUE(e.Claimed(id)) << "nobody handles command " << id << " of menu " << resource;
        }
    }
    // The toolbar's last button and Text position are the frame's actions; the picture's and the video's
    // Delete are entries of the context menus the view opens. All of them show disabled.
    for (int id : {cmd::kTextPosition, cmd::kNoAction}) {
        QAction* action = e.frame.Action(id);
        ASSERT_NE(action, nullptr) << id;
        EXPECT_FALSE(action->isEnabled()) << id;
    }
    for (auto [resource, id] :
         {std::pair{menu::kPicture, cmd::kPictureDelete}, {menu::kVideo, cmd::kVideoDelete}}) {
        std::unique_ptr<QMenu> menu = BuildContextMenu(resource, e.frame.Router());
        QAction* found = nullptr;
        for (QAction* action : menu->actions())
            if (action->data().toInt() == id) found = action;
        ASSERT_NE(found, nullptr) << id;
        EXPECT_FALSE(found->isEnabled()) << id;
    }
}

TEST(FrameCommandRouting, TheContextMenusAreEnabledForTheElementTheyWereOpenedOn) {
    EditingFrame e;
    e.Editing().SetCurrentSprite(e.sprite);
    for (int id : {cmd::kSpriteConfiguration, cmd::kSpriteEvents, cmd::kChangeBitmap, cmd::kSpriteProperties})
        EXPECT_TRUE(e.Enabled(id)) << "sprite command " << id;

    e.Editing().SetCurrentText(e.text);
    for (int id : {cmd::kEditText, cmd::kAlignTexts, cmd::kTextFormat, cmd::kRepeatInAllCards,
                   cmd::kConvertInCounter, cmd::kDeleteText})
        EXPECT_TRUE(e.Enabled(id)) << "text command " << id;

    for (int id : {cmd::kVideoProperties, cmd::kScreenProperties, cmd::kBackgroundFromFile,
                   cmd::kBackgroundSolidColor, cmd::kBackgroundGradient, cmd::kSizeToContent})
        EXPECT_TRUE(e.Enabled(id)) << "command " << id;

    // The menus the view opens take the same states through the frame's router.
    std::unique_ptr<QMenu> menu = BuildContextMenu(menu::kText, e.frame.Router());
    int enabled = 0, shown = 0;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        ++shown;
        if (action->isEnabled()) ++enabled;
    }
    EXPECT_EQ(shown, 6);
    EXPECT_EQ(enabled, 6);
}

TEST(FrameCommandRouting, RunningAMenuCommandChangesTheDocumentAndTheEditMenuNamesTheStep) {
    EditingFrame e;
    CFichaDoc& doc = e.child->Document();
    e.frame.Action(cmd::kAddCard)->trigger();
    EXPECT_EQ(doc.GetCards().GetSize(), 2u);
    EXPECT_EQ(e.frame.Action(cmd::kEditUndo)->text().section(u'\t', 0, 0).toStdString(), "&Undo Add card");
    e.frame.Action(cmd::kEditUndo)->trigger();
    EXPECT_EQ(doc.GetCards().GetSize(), 1u);
    EXPECT_EQ(e.frame.Action(cmd::kEditRedo)->text().section(u'\t', 0, 0).toStdString(), "&Redo Add card");
    EXPECT_TRUE(e.frame.Action(cmd::kEditRedo)->isEnabled());
}
