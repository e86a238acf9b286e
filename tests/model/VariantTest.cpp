#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/AnimView.h"
#include "model/DocumentTypes.h"
#include "model/FichaDoc.h"
#include "platform/DeviceContext.h"
#include "platform/Media.h"
#include "platform/MessageBox.h"
#include "platform/Sound.h"
#include "tests/model/DocTestSupport.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Streams.h"

namespace {

using namespace doc_test;
using namespace test_support;

// One program holding a player's document and an editor's document at once: each must behave as its
// own variant, whatever the other one did just before.
class VariantTest : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        WriteBmp(folder.Path("pic.bmp"), 12, 10, 7);
        WriteFileBytes(folder.Path("clip.avi"), Bytes{'R', 'I', 'F', 'F'});
        media.script.frameSize = {32, 24};
    }

    // A title whose only card has a video and one picture, and whose sprite 7 is hidden.
    std::string SaveTitle() {
        CFichaDoc doc(Variant::player);
        auto background = std::make_unique<CDibJpeg>();
        background->Create(100, 80, 3);
        doc.SetBackground(std::move(background));
        auto hidden = MakeSprite(7, 10, 10, 50);
        hidden->SetVisible(false);
        doc.GetSpriteList().Insert(std::move(hidden));
        auto card = std::make_unique<CFicha>();
        card->video.file = "clip.avi";
        card->video.x = 60;  // the editor's video proxy lies clear of the sprite
        auto picture = std::make_unique<CFoto>();
        picture->fileName = "pic.bmp";
        picture->x = 50;
        picture->y = 40;
        card->AddPicture(std::move(picture));
        doc.GetCards().Add(std::move(card));
        return SaveDocument(doc, folder.Path("BOTH.FCA"));
    }
};

TEST_F(VariantTest, NewDocumentsOfBothProgramsAtOnce) {
    CFichaDoc player(Variant::player);
    CFichaDoc editor(Variant::editor);
    ASSERT_TRUE(player.OnNewDocument());
    ASSERT_TRUE(editor.OnNewDocument());
    CFichaDoc secondPlayer(Variant::player);
    ASSERT_TRUE(secondPlayer.OnNewDocument());  // after the editor's New

    for (const CFichaDoc* doc : {&player, &secondPlayer}) {
        EXPECT_EQ(doc->GetVariant(), Variant::player);
        EXPECT_EQ(doc->GetBackground()->GetWidth(), 320);
        EXPECT_EQ(doc->GetBackground()->GetHeight(), 240);
        EXPECT_EQ(doc->GetCards().GetSize(), 0u);
        EXPECT_EQ(doc->GetCurrentCard(), -1);
        EXPECT_FALSE(doc->GetUndoHistory().IsActive());
        EXPECT_NE(doc->GetMciAvi(), nullptr);
        EXPECT_EQ(doc->GetTitle().rfind("Lumeo", 0), 0u) << doc->GetTitle();
    }
    EXPECT_EQ(editor.GetVariant(), Variant::editor);
    EXPECT_EQ(editor.GetBackground()->GetWidth(), 640);
    EXPECT_EQ(editor.GetBackground()->GetHeight(), 480);
    EXPECT_EQ(editor.GetCards().GetSize(), 1u);
    EXPECT_EQ(editor.GetCurrentCard(), 0);
    EXPECT_TRUE(editor.GetUndoHistory().IsActive());
    EXPECT_EQ(editor.GetMciAvi(), nullptr);
    EXPECT_EQ(editor.GetTitle().rfind("Fabrio", 0), 0u) << editor.GetTitle();

    CAnimDoc scene(Variant::player);
    ASSERT_TRUE(scene.OnNewDocument());
    EXPECT_EQ(scene.GetBackground()->GetWidth(), 320);
    EXPECT_EQ(DocumentTypeFor(player.GetVariant()).windowTitle, "Orvanta");
    EXPECT_EQ(DocumentTypeFor(editor.GetVariant()).windowTitle, "Fabrio");
    editor.OnCloseDocument();
}

TEST_F(VariantTest, OneTitleOpenedByBothProgramsAtOnce) {
    const std::string path = SaveTitle();
    CFichaDoc player(Variant::player);
    CFichaDoc editor(Variant::editor);
    ASSERT_TRUE(player.OnOpenDocument(path));
    ASSERT_TRUE(editor.OnOpenDocument(path));

    // Proxy numbering: the player's picture 1 is -1 and it has no video proxy; the editor's video is -1
    // and its picture 1 is -2.
    EXPECT_EQ(Numbers(player), (std::vector<int32_t>{-1, 7}));
    EXPECT_EQ(Numbers(editor), (std::vector<int32_t>{-2, -1, 7}));
    EXPECT_EQ(player.GetSpriteList().FindByNumber(-1)->GetText(), "pic.bmp");
    EXPECT_EQ(editor.GetSpriteList().FindByNumber(-1)->GetText(), "clip.avi");
    EXPECT_TRUE(player.HasVideo());

    // Every sprite, loaded or made for a card, behaves for its own document's program.
    for (CSprite* s : player.GetSpriteList()) EXPECT_EQ(s->GetVariant(), Variant::player);
    for (CSprite* s : editor.GetSpriteList()) EXPECT_EQ(s->GetVariant(), Variant::editor);

    // The hidden sprite: the player passes through it, the editor grabs it; asked in turns.
    EXPECT_EQ(player.GetSpriteList().HitTest(12, 12), nullptr);
    EXPECT_EQ(editor.GetSpriteList().HitTest(12, 12), editor.GetSpriteList().FindByNumber(7));
    EXPECT_EQ(player.GetSpriteList().HitTest(12, 12), nullptr);

    // And so do the views that compose them: the editor draws the hidden sprite, the player does not.
    CAnimView playerView, editorView;
    player.AddView(&playerView);
    editor.AddView(&editorView);
    playerView.Render(std::nullopt);
    editorView.Render(std::nullopt);
    const CSprite* hidden = editor.GetSpriteList().FindByNumber(7);
    EXPECT_EQ(PixelAt(*editorView.GetBuffer(), 12, 12), PixelAt(*hidden, 2, 2));
    EXPECT_EQ(PixelAt(*playerView.GetBuffer(), 12, 12), kBlack) << "the black background";

    // A change of visibility is shown at once in the player only.
    player.SetDirtyView(&playerView);
    editor.SetDirtyView(&editorView);
    editor.GetSpriteList().FindByNumber(7)->SetVisible(true);
    player.GetSpriteList().FindByNumber(7)->SetVisible(true);
    EXPECT_TRUE(editorView.GetDirtyList().empty());
    EXPECT_EQ(playerView.GetDirtyList().size(), 1u);
    editor.OnCloseDocument();
}

TEST_F(VariantTest, EachDocumentAsksItsOwnQuestionBeforeDeletingTheSprites) {
    CFichaDoc player(Variant::player);
    CFichaDoc editor(Variant::editor);
    for (CFichaDoc* doc : {&player, &editor}) {
        doc->GetSpriteList().Insert(MakeSprite(1, 0, 0, 50));
        doc->GetSpriteList().Insert(MakeSprite(2, 0, 0, 50));
    }
    box.answers = {platform::MessageAnswer::no, platform::MessageAnswer::yes, platform::MessageAnswer::no};
    editor.SetBackground(std::make_unique<CDibJpeg>());
    player.SetBackground(std::make_unique<CDibJpeg>());
    editor.SetBackground(std::make_unique<CDibJpeg>());
    ASSERT_EQ(box.shown.size(), 3u);
    EXPECT_EQ(box.shown[0].text, "Do you want to delete the sprite list ?");
    EXPECT_EQ(box.shown[1].text, "\xC2\xBF Desea borrar la lista de Sprites ?");
    EXPECT_EQ(box.shown[2].text, "Do you want to delete the sprite list ?");
    EXPECT_TRUE(player.GetSpriteList().IsEmpty()) << "the player's answer was yes";
    EXPECT_EQ(editor.GetSpriteList().GetCount(), 2u);
}

}  // namespace
