#include "editor/EditorCommands.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/CommandIds.h"
#include "editor/EditorClipboard.h"
#include "engine/PhasedSprite.h"
#include "model/Classes.h"
#include "platform/Media.h"
#include "platform/MessageBox.h"
#include "platform/Sound.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/model/DocTestSupport.h"
#include "tests/support/ScratchFolder.h"

namespace {

using doc_test::MakeSprite;
using editor_test::FakeCardView;
using editor_test::ScriptedDialogs;
using test_support::ScratchFolder;

const std::string kPasteVideoMessage =
    "You can\xC2\xB4t paste a video clip in a card that already has one. You must delete the existing one.";

// One editor document with its commands, a card view double and scripted dialogs.
class EditorCommandsTest : public testing::Test {
  protected:
    void SetUp() override {
        RegisterTitleClasses();
        platform::SetSound(&sound);
        ASSERT_TRUE(doc.OnNewDocument());
        doc_test::WriteBmp(folder.Path("pic.bmp"), 20, 10, 7);
        doc_test::WriteBmp(folder.Path("sprite.bmp"), 12, 8, 3);
    }
    void TearDown() override {
        doc.OnCloseDocument();
        platform::SetSound(nullptr);
    }

    bool Enabled(int id) {
        CommandTarget::State state;
        EXPECT_TRUE(commands.CommandState(id, state)) << id;
        return state.enabled;
    }
    void Run(int id) { ASSERT_TRUE(commands.RunCommand(id)) << id; }
    CFicha& Card(int i) { return *doc.CardAt(i); }
    CTexto* AddText(CFicha& card, const std::string& identifier, const std::string& text = "t") {
        auto t = std::make_unique<CTexto>();
        t->identifier = identifier;
        t->text = text;
        CTexto* added = t.get();
        card.AddText(std::move(t));
        return added;
    }
    // Makes `n` cards in all, the first current.
    void MakeCards(int n) {
        while (static_cast<int>(doc.GetCards().GetSize()) < n) doc.AppendCard(std::make_unique<CFicha>());
        doc.FirstCard();
    }
    CFoto* AddPicture(CFicha& card, int x, int y) {
        auto p = std::make_unique<CFoto>();
        p->fileName = folder.Path("pic.bmp");
        p->x = x;
        p->y = y;
        CFoto* added = p.get();
        card.AddPicture(std::move(p));
        return added;
    }
    std::vector<int32_t> Numbers() const {
        std::vector<int32_t> numbers;
        for (const CSprite* s : doc.GetSpriteList()) numbers.push_back(s->GetNumber());
        return numbers;
    }
    size_t Steps() const { return doc.GetUndoHistory().UndoCount(); }
    const uint8_t* BackgroundPixel(int x, int y) const { return doc.GetBackground()->GetPixelAddress(x, y); }

    ScratchFolder folder;
    platform::RecordingMessageBox box;
    platform::ScopedMessageBox scopedBox{box};
    platform::RecordingSound sound;
    platform::RecordingMedia media;
    platform::ScopedMediaFactory scopedMedia{media};
    CFichaDoc doc{Variant::editor};
    FakeCardView view{doc};
    EditorClipboard clipboard;
    ScriptedDialogs dialogs;
    CEditorCommands commands{doc, &view, clipboard, dialogs};
};

// ---------------------------------------------------------------- cards and navigation

TEST_F(EditorCommandsTest, DeletingTheLastOfThreeCardsAndTheOnlyCard) {
    MakeCards(3);
    doc.LastCard();
    Run(cmd::kDeleteCard);
    EXPECT_EQ(doc.GetCards().GetSize(), 2u);
    EXPECT_EQ(doc.GetCurrentCard(), 1);
    Run(cmd::kDeleteCard);
    Run(cmd::kDeleteCard);
    EXPECT_EQ(doc.GetCards().GetSize(), 0u);
    EXPECT_EQ(doc.GetCurrentCard(), -1);
    EXPECT_TRUE(doc.IsModified());
    const size_t steps = Steps();
    Run(cmd::kDeleteCard);
    EXPECT_EQ(Steps(), steps) << "deleting with no card does nothing and records nothing";
}

TEST_F(EditorCommandsTest, DeletingACardInTheMiddleKeepsTheIndexAndTheProxiesFollow) {
    MakeCards(3);
    AddPicture(Card(2), 5, 6);
    doc.SelectCard(1);
    Run(cmd::kDeleteCard);
    EXPECT_EQ(doc.GetCurrentCard(), 1);
    EXPECT_EQ(Numbers(), std::vector<int32_t>{-2}) << "the picture of the card that moved up is shown";
}

TEST_F(EditorCommandsTest, AddAndDuplicateCardGoToTheNewLastCard) {
    CFicha& first = Card(0);
    AddText(first, "title", "Hola");
    AddPicture(first, 3, 4);
    first.activationList = "1,2";
    first.deactivationList = "3";
    first.video.file = "CLIP.AVI";
    Run(cmd::kAddCard);
    EXPECT_EQ(doc.GetCards().GetSize(), 2u);
    EXPECT_EQ(doc.GetCurrentCard(), 1);
    doc.FirstCard();
    Run(cmd::kDuplicateCard);
    ASSERT_EQ(doc.GetCards().GetSize(), 3u);
    EXPECT_EQ(doc.GetCurrentCard(), 2);
    CFicha& copy = Card(2);
    ASSERT_EQ(copy.texts.GetSize(), 1u);
    EXPECT_EQ(copy.TextAt(0)->text, "Hola");
    EXPECT_NE(copy.TextAt(0), first.TextAt(0));
    ASSERT_EQ(copy.pictures.GetSize(), 1u);
    EXPECT_EQ(copy.PictureAt(0)->x, 3);
    EXPECT_EQ(copy.activationList, "");
    EXPECT_EQ(copy.deactivationList, "");
    EXPECT_FALSE(copy.video.HasVideo()) << "the duplicate carries no video";
    EXPECT_EQ(Numbers(), std::vector<int32_t>{-2}) << "the duplicate's picture is shown";
    EXPECT_EQ(doc.UndoText(), "Undo Duplicate card");
}

TEST_F(EditorCommandsTest, NavigationEnablesAndRebuildsThePictureProxies) {
    MakeCards(3);
    AddPicture(Card(1), 1, 1);
    AddPicture(Card(1), 2, 2);
    EXPECT_FALSE(Enabled(cmd::kPreviousCard));
    EXPECT_TRUE(Enabled(cmd::kNextCard));
    Run(cmd::kNextCard);
    EXPECT_EQ(doc.GetCurrentCard(), 1);
    EXPECT_EQ(Numbers(), (std::vector<int32_t>{-3, -2}));
    Run(cmd::kLastCard);
    EXPECT_FALSE(Enabled(cmd::kNextCard));
    EXPECT_TRUE(Numbers().empty());
    Run(cmd::kPreviousCard);
    EXPECT_EQ(doc.GetCurrentCard(), 1);
    Run(cmd::kFirstCard);
    EXPECT_EQ(doc.GetCurrentCard(), 0);
    EXPECT_FALSE(doc.IsModified()) << "going to a card changes nothing";
    EXPECT_FALSE(doc.CanUndo());

    dialogs.chosenCard = 2;
    Run(cmd::kCardsList);
    EXPECT_EQ(doc.GetCurrentCard(), 2);
    dialogs.chosenCard.reset();
    Run(cmd::kCardsList);
    EXPECT_EQ(doc.GetCurrentCard(), 2) << "closed without a choice";
}

TEST_F(EditorCommandsTest, IdentificatorFieldOffersSortedIdentifiersAndMarksANewName) {
    MakeCards(2);
    AddText(Card(0), "zeta");
    AddText(Card(1), "alfa");
    AddText(Card(1), "zeta");
    dialogs.field = "alfa";
    Run(cmd::kIdentificatorField);
    EXPECT_EQ(dialogs.offeredIdentifiers, (std::vector<std::string>{"alfa", "zeta"}));
    EXPECT_EQ(doc.GetCards().captionField, "alfa");
    EXPECT_TRUE(doc.IsModified()) << "the name is stored in the title";
}

// ---------------------------------------------------------------- backgrounds

TEST_F(EditorCommandsTest, GradientFromBlackToWhiteEndsOneUnitShort) {
    dialogs.gradients.push_back(std::make_pair(0x000000u, 0xFFFFFFu));
    Run(cmd::kBackgroundGradient);
    EXPECT_EQ(dialogs.calls, std::vector<std::string>{"gradient 0 16777215"})
        << "the dialog starts with black and white";
    ASSERT_EQ(doc.GetBackground()->GetWidth(), 640);
    ASSERT_EQ(doc.GetBackground()->GetHeight(), 480);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(BackgroundPixel(0, 0)[c], 0);
        EXPECT_EQ(BackgroundPixel(639, 479)[c], 254);
    }
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.UndoText(), "Undo Fill with gradient");
}

TEST_F(EditorCommandsTest, GradientRisesByOneAtTheRowsPastEachThreshold) {
    // Blue from 0 to 255 over 480 rows: the threshold is 480 / 255 = 1.88 rows, so the blue channel
    // first moves at row 2, then at row 4 (past 3.76), at row 6 (past 5.65), and so on.
    dialogs.gradients.push_back(std::make_pair(0x000000u, 0xFF0000u));
    Run(cmd::kBackgroundGradient);
    const std::vector<std::pair<int, int>> rows = {{0, 0}, {1, 0}, {2, 1},     {3, 1},    {4, 2},
                                                   {5, 2}, {6, 3}, {478, 253}, {479, 254}};
    for (auto [row, blue] : rows) {
        const uint8_t* p = BackgroundPixel(320, row);
        EXPECT_EQ(p[0], blue) << "row " << row;
        EXPECT_EQ(p[1], 0) << "green never moves";
        EXPECT_EQ(p[2], 0) << "red never moves";
        EXPECT_EQ(BackgroundPixel(0, row)[0], blue) << "every pixel of the row";
    }
}

TEST_F(EditorCommandsTest, GradientDownwardsWrapsNothingAndMovesOneUnitAtATime) {
    dialogs.gradients.push_back(std::make_pair(0x0000C8u, 0x000000u));  // red 200 down to 0
    Run(cmd::kBackgroundGradient);
    EXPECT_EQ(BackgroundPixel(0, 0)[2], 200);
    EXPECT_EQ(BackgroundPixel(0, 479)[2], 1);
    for (int y = 1; y < 480; ++y) {
        const int step = BackgroundPixel(0, y - 1)[2] - BackgroundPixel(0, y)[2];
        ASSERT_TRUE(step == 0 || step == 1) << "row " << y;
    }
}

TEST_F(EditorCommandsTest, SolidColourAsksWithBlackAndFillsEveryPixel) {
    dialogs.colours.push_back(0x00336699u);  // red 0x99, green 0x66, blue 0x33
    Run(cmd::kBackgroundSolidColor);
    EXPECT_EQ(dialogs.calls, std::vector<std::string>{"colour 0"});
    for (auto [x, y] : std::vector<std::pair<int, int>>{{0, 0}, {639, 479}, {100, 200}}) {
        const uint8_t* p = BackgroundPixel(x, y);
        EXPECT_EQ(p[0], 0x33);
        EXPECT_EQ(p[1], 0x66);
        EXPECT_EQ(p[2], 0x99);
    }
}

TEST_F(EditorCommandsTest, CancelledOrFailedBackgroundsLeaveTheBackgroundAndNoStep) {
    CDibJpeg* before = doc.GetBackground();
    Run(cmd::kBackgroundSolidColor);
    Run(cmd::kBackgroundGradient);
    Run(cmd::kBackgroundFromFile);
    dialogs.files.push_back(folder.Path("missing.jpg"));
    Run(cmd::kBackgroundFromFile);
    EXPECT_EQ(doc.GetBackground(), before);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Steps(), 0u);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Error al cargar Imagen") << "the loader reports its own failure";
}

TEST_F(EditorCommandsTest, AnsweringNoToTheSpriteQuestionStillReplacesTheBackground) {
    doc.GetSpriteList().Insert(MakeSprite(1, 0, 0, 50));
    view.sprite = doc.GetSpriteList().GetAt(0);
    box.answers.push_back(platform::MessageAnswer::no);
    dialogs.files.push_back(folder.Path("pic.bmp"));
    Run(cmd::kBackgroundFromFile);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(box.shown[0].text, "Do you want to delete the sprite list ?");
    EXPECT_EQ(doc.GetBackground()->GetWidth(), 20);
    EXPECT_EQ(doc.GetSpriteList().GetCount(), 1u);

    AddPicture(Card(0), 1, 1);
    doc.RebuildProxies();
    box.answers.push_back(platform::MessageAnswer::yes);
    dialogs.colours.push_back(0u);
    Run(cmd::kBackgroundSolidColor);
    EXPECT_EQ(Numbers(), std::vector<int32_t>{-2}) << "the sprites went; the picture is shown again";
    EXPECT_EQ(view.sprite, nullptr);
}

// ---------------------------------------------------------------- insertion

TEST_F(EditorCommandsTest, InsertingTextsSpritesPicturesAndTheVideo) {
    CTexto* text = commands.InsertText({10, 20, 110, 60});
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, "Texto");
    EXPECT_EQ(text->identifier, "");
    EXPECT_TRUE(text->selected);
    EXPECT_EQ(text->rect, (platform::Rect{10, 20, 110, 60}));
    EXPECT_EQ(Card(0).TextAt(0), text);
    EXPECT_EQ(doc.UndoText(), "Undo Insert text");

    dialogs.files.push_back(folder.Path("sprite.bmp"));
    ASSERT_TRUE(commands.InsertSprite({30, 40}));
    ASSERT_EQ(doc.GetSpriteList().GetCount(), 1u);
    CSprite* sprite = doc.GetSpriteList().GetAt(0);
    EXPECT_EQ(sprite->GetX(), 30);
    EXPECT_EQ(sprite->GetY(), 40);
    EXPECT_EQ(sprite->GetWidth(), 12) << "a one-frame sheet of the new bitmap";

    dialogs.onPicture = [&](CFoto& picture) {
        EXPECT_EQ(picture.x, 50);
        EXPECT_EQ(picture.y, 60);
        picture.fileName = folder.Path("pic.bmp");
        return true;
    };
    ASSERT_TRUE(commands.InsertPicture({50, 60}));
    ASSERT_EQ(Card(0).pictures.GetSize(), 1u);
    CSprite* proxy = doc.GetSpriteList().FindByNumber(-2);
    ASSERT_NE(proxy, nullptr);
    EXPECT_EQ(proxy->GetX(), 50);

    dialogs.onVideo = [&](CVideo& video) {
        video.file = "clip.avi";
        return true;
    };
    media.script.frameSize = {32, 24};
    ASSERT_TRUE(commands.InsertVideo({70, 80}));
    EXPECT_EQ(Card(0).video.x, 70);
    CSprite* videoProxy = doc.GetSpriteList().FindByNumber(-1);
    ASSERT_NE(videoProxy, nullptr);
    EXPECT_EQ(videoProxy->GetWidth(), 32);
    EXPECT_EQ(Steps(), 4u);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(EditorCommandsTest, CancelledInsertionsLeaveTheCardAndNoStep) {
    Card(0).video.x = 5;
    Card(0).video.y = 6;
    Card(0).video.MarkChanged();
    EXPECT_FALSE(commands.InsertSprite({1, 1}));
    dialogs.files.push_back(folder.Path("missing.bmp"));
    EXPECT_FALSE(commands.InsertSprite({1, 1}));
    EXPECT_FALSE(commands.InsertPicture({1, 1}));
    EXPECT_FALSE(commands.InsertVideo({70, 80}));
    EXPECT_EQ(Card(0).video.x, 5) << "the video goes back where it was";
    EXPECT_EQ(Card(0).video.y, 6);
    EXPECT_TRUE(doc.GetSpriteList().IsEmpty());
    EXPECT_TRUE(Card(0).pictures.IsEmpty());
    EXPECT_EQ(Steps(), 0u);
    EXPECT_FALSE(doc.IsModified());
}

// ---------------------------------------------------------------- deletion, clipboard, undo

TEST_F(EditorCommandsTest, OneUndoBringsBackTheSpritesAndTextsOfADeletedSelection) {
    doc.GetSpriteList().Insert(MakeSprite(1, 0, 0, 50));
    doc.GetSpriteList().Insert(MakeSprite(2, 20, 0, 50));
    doc.GetSpriteList().FindByNumber(1)->SetSelected(true);
    CTexto* kept = AddText(Card(0), "kept");
    CTexto* doomed = AddText(Card(0), "doomed");
    doomed->selected = true;
    view.text = doomed;
    view.sprite = doc.GetSpriteList().FindByNumber(1);
    Run(cmd::kDeleteSelection);
    EXPECT_EQ(Numbers(), std::vector<int32_t>{2});
    ASSERT_EQ(Card(0).texts.GetSize(), 1u);
    EXPECT_EQ(Card(0).TextAt(0), kept);
    EXPECT_EQ(view.text, nullptr);
    EXPECT_EQ(view.sprite, nullptr);
    EXPECT_EQ(doc.UndoText(), "Undo Delete");
    Run(cmd::kEditUndo);
    EXPECT_EQ(doc.GetSpriteList().GetCount(), 2u);
    EXPECT_EQ(Card(0).texts.GetSize(), 2u);
    EXPECT_FALSE(doc.IsModified()) << "back at the new document";
}

TEST_F(EditorCommandsTest, DeletingSeveralPicturesRemovesExactlyThose) {
    AddPicture(Card(0), 0, 0);
    AddPicture(Card(0), 10, 0);
    AddPicture(Card(0), 20, 0);
    AddPicture(Card(0), 30, 0);
    doc.RebuildProxies();
    doc.GetSpriteList().FindByNumber(-2)->SetSelected(true);  // picture 0
    doc.GetSpriteList().FindByNumber(-4)->SetSelected(true);  // picture 2
    Run(cmd::kDeleteSelection);
    ASSERT_EQ(Card(0).pictures.GetSize(), 2u);
    EXPECT_EQ(Card(0).PictureAt(0)->x, 10);
    EXPECT_EQ(Card(0).PictureAt(1)->x, 30);
    CSprite* second = doc.GetSpriteList().FindByNumber(-3);
    ASSERT_NE(second, nullptr) << "the proxies are numbered after the pictures left";
    EXPECT_EQ(second->GetX(), 30);
    EXPECT_EQ(doc.GetSpriteList().FindByNumber(-4), nullptr);
}

TEST_F(EditorCommandsTest, DeletingTheVideoProxyClearsTheVideo) {
    media.script.frameSize = {32, 24};
    Card(0).video.file = "clip.avi";
    Card(0).video.activateOnClose = "3";
    Card(0).video.MarkChanged();
    doc.RebuildProxies();
    ASSERT_NE(doc.GetSpriteList().FindByNumber(-1), nullptr);
    doc.GetSpriteList().FindByNumber(-1)->SetSelected(true);
    Run(cmd::kDeleteSelection);
    EXPECT_FALSE(Card(0).video.HasVideo());
    EXPECT_EQ(Card(0).video.activateOnClose, "");
    EXPECT_TRUE(doc.GetSpriteList().IsEmpty());
}

TEST_F(EditorCommandsTest, TheTextMenuDeleteRemovesOnlyTheSelectedTexts) {
    doc.GetSpriteList().Insert(MakeSprite(1, 0, 0, 50));
    doc.GetSpriteList().GetAt(0)->SetSelected(true);
    CTexto* text = AddText(Card(0), "a");
    text->selected = true;
    EXPECT_FALSE(Enabled(cmd::kDeleteText)) << "no current text";
    view.text = text;
    EXPECT_TRUE(Enabled(cmd::kDeleteText));
    Run(cmd::kDeleteText);
    EXPECT_TRUE(Card(0).texts.IsEmpty());
    EXPECT_EQ(doc.GetSpriteList().GetCount(), 1u);
    EXPECT_EQ(Steps(), 1u);
    doc.GetSpriteList().GetAt(0)->SetSelected(false);
    Run(cmd::kDeleteSelection);
    EXPECT_EQ(Steps(), 1u) << "nothing selected: nothing deleted, no step";
    EXPECT_EQ(doc.UndoText(), "Undo Delete text");
}

TEST_F(EditorCommandsTest, CopyWithNothingSelectedEmptiesTheClipboardAndDisablesPaste) {
    EXPECT_FALSE(Enabled(cmd::kEditCopy));
    EXPECT_FALSE(Enabled(cmd::kEditCut));
    AddText(Card(0), "a")->selected = true;
    EXPECT_TRUE(Enabled(cmd::kEditCopy));
    Run(cmd::kEditCopy);
    EXPECT_TRUE(Enabled(cmd::kEditPaste));
    EXPECT_FALSE(doc.IsModified()) << "copying changes nothing";
    Card(0).TextAt(0)->selected = false;
    commands.RunCommand(cmd::kEditCopy);  // disabled: nothing happens
    EXPECT_TRUE(clipboard.IsFilled());
    // Copy with nothing selected, as when the command runs regardless of its state.
    clipboard.texts.clear();
    Card(0).TextAt(0)->selected = false;
    doc.GetSpriteList().Insert(MakeSprite(1, 0, 0, 50));
    doc.GetSpriteList().GetAt(0)->SetSelected(true);
    Run(cmd::kEditCopy);
    doc.GetSpriteList().GetAt(0)->SetSelected(false);
    EXPECT_EQ(clipboard.sprites.size(), 1u);
    doc.GetSpriteList().GetAt(0)->SetSelected(true);
    Run(cmd::kEditCopy);
    EXPECT_EQ(clipboard.sprites.size(), 1u) << "the clipboard is emptied before each copy";
}

TEST_F(EditorCommandsTest, AfterCutUndoBringsBackTheCutElementsAndPasteRepeats) {
    doc.GetSpriteList().Insert(MakeSprite(4, 3, 3, 50, 8, 6, 3));
    doc.GetSpriteList().GetAt(0)->SetSelected(true);
    AddText(Card(0), "a", "uno")->selected = true;
    Run(cmd::kEditCut);
    EXPECT_TRUE(doc.GetSpriteList().IsEmpty());
    EXPECT_TRUE(Card(0).texts.IsEmpty());
    EXPECT_EQ(doc.UndoText(), "Undo Cut");
    EXPECT_EQ(Steps(), 1u) << "copy and delete as one step";
    Run(cmd::kEditUndo);
    EXPECT_EQ(doc.GetSpriteList().GetCount(), 1u);
    EXPECT_EQ(Card(0).texts.GetSize(), 1u);

    Run(cmd::kEditPaste);
    Run(cmd::kEditPaste);
    EXPECT_EQ(doc.GetSpriteList().GetCount(), 3u);
    ASSERT_EQ(Card(0).texts.GetSize(), 3u);
    EXPECT_EQ(Card(0).TextAt(2)->text, "uno");
    auto* pasted = dynamic_cast<CPhasedSprite*>(doc.GetSpriteList().GetAt(0));
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->GetNumFrames(), 3) << "a full copy of a multi-frame sprite";
    EXPECT_EQ(pasted->GetNotifyObject(), doc.GetSpriteList().GetChangeSink());
    EXPECT_EQ(doc.UndoText(), "Undo Paste");
}

TEST_F(EditorCommandsTest, TheClipboardCarriesElementsAcrossDocuments) {
    AddPicture(Card(0), 7, 8);
    doc.RebuildProxies();
    doc.GetSpriteList().FindByNumber(-2)->SetSelected(true);
    doc.GetSpriteList().Insert(MakeSprite(9, 1, 2, 20));
    doc.GetSpriteList().FindByNumber(9)->SetSelected(true);
    Run(cmd::kEditCopy);
    EXPECT_EQ(clipboard.sprites.size(), 1u) << "proxies travel as their pictures";
    EXPECT_EQ(clipboard.pictures.size(), 1u);

    CFichaDoc other(Variant::editor);
    ASSERT_TRUE(other.OnNewDocument());
    AddPicture(*other.CardAt(0), 0, 0);
    other.RebuildProxies();
    FakeCardView otherView(other);
    ScriptedDialogs otherDialogs;
    CEditorCommands otherCommands(other, &otherView, clipboard, otherDialogs);
    CommandTarget::State state;
    ASSERT_TRUE(otherCommands.CommandState(cmd::kEditPaste, state));
    EXPECT_TRUE(state.enabled);
    ASSERT_TRUE(otherCommands.RunCommand(cmd::kEditPaste));
    EXPECT_NE(other.GetSpriteList().FindByNumber(9), nullptr);
    ASSERT_EQ(other.CardAt(0)->pictures.GetSize(), 2u);
    EXPECT_EQ(other.CardAt(0)->PictureAt(1)->x, 7);
    CSprite* proxy = other.GetSpriteList().FindByNumber(-3);
    ASSERT_NE(proxy, nullptr) << "the pasted picture is numbered after the card's own";
    EXPECT_EQ(proxy->GetX(), 7);
    EXPECT_TRUE(other.IsModified());
    EXPECT_FALSE(doc.IsModified()) << "copying left the first document as it was";
    other.OnCloseDocument();
}

TEST_F(EditorCommandsTest, PastingAVideoOntoACardWithOneShowsTheMessageAndPastesTheRest) {
    media.script.frameSize = {32, 24};
    Card(0).video.file = "clip.avi";
    Card(0).video.x = 11;
    Card(0).video.loop = true;
    Card(0).video.activateOnClose = "5";
    doc.RebuildProxies();
    doc.GetSpriteList().FindByNumber(-1)->SetSelected(true);
    AddText(Card(0), "a")->selected = true;
    Run(cmd::kEditCopy);
    EXPECT_EQ(clipboard.video.file, "clip.avi");
    Run(cmd::kEditPaste);
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{kPasteVideoMessage});
    EXPECT_EQ(Card(0).texts.GetSize(), 2u) << "everything else is pasted";

    Run(cmd::kAddCard);
    Run(cmd::kEditPaste);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    CFicha& added = Card(1);
    EXPECT_EQ(added.video.file, "clip.avi");
    EXPECT_EQ(added.video.x, 11);
    EXPECT_TRUE(added.video.loop);
    EXPECT_EQ(added.video.activateOnClose, "") << "the activation list is not part of the clipboard";
    EXPECT_NE(doc.GetSpriteList().FindByNumber(-1), nullptr);
}

TEST_F(EditorCommandsTest, UndoAndRedoReturnToTheCardOfTheChange) {
    MakeCards(3);
    CTexto* text = AddText(Card(1), "t", "before");
    doc.SelectCard(1);
    view.text = text;
    dialogs.onText = [](TextFields& fields) {
        fields.text = "after";
        return true;
    };
    Run(cmd::kEditText);
    Run(cmd::kFirstCard);
    EXPECT_TRUE(Enabled(cmd::kEditUndo));
    EXPECT_EQ(commands.UndoText(), "Undo Edit text");
    Run(cmd::kEditUndo);
    EXPECT_EQ(doc.GetCurrentCard(), 1);
    EXPECT_EQ(Card(1).TextAt(0)->text, "before");
    EXPECT_EQ(view.text, nullptr) << "the view lets go of the texts of the state that went";
    EXPECT_EQ(commands.RedoText(), "Redo Edit text");
    Run(cmd::kLastCard);
    Run(cmd::kEditRedo);
    EXPECT_EQ(doc.GetCurrentCard(), 1);
    EXPECT_EQ(Card(1).TextAt(0)->text, "after");

    // A change that moves the current card: undo returns to where it began, redo to where it ended.
    doc.SelectCard(0);
    Run(cmd::kAddCard);
    EXPECT_EQ(doc.GetCurrentCard(), 3);
    Run(cmd::kEditUndo);
    EXPECT_EQ(doc.GetCurrentCard(), 0);
    EXPECT_EQ(doc.GetCards().GetSize(), 3u);
    Run(cmd::kEditRedo);
    EXPECT_EQ(doc.GetCurrentCard(), 3);
    EXPECT_FALSE(Enabled(cmd::kEditRedo));
}

TEST_F(EditorCommandsTest, TheModifiedFlagFollowsTheSavePoint) {
    Run(cmd::kAddCard);
    ASSERT_TRUE(doc.OnSaveDocument(folder.Path("T.FCA")));
    EXPECT_FALSE(doc.IsModified());
    Run(cmd::kAddCard);
    EXPECT_TRUE(doc.IsModified());
    Run(cmd::kEditUndo);
    EXPECT_FALSE(doc.IsModified()) << "back at the saved state";
    Run(cmd::kEditUndo);
    EXPECT_TRUE(doc.IsModified());
    Run(cmd::kEditRedo);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(EditorCommandsTest, CancelledDialogsLeaveNoStepAndKeepTheRedoSteps) {
    Run(cmd::kAddCard);
    Run(cmd::kEditUndo);
    ASSERT_TRUE(Enabled(cmd::kEditRedo));
    CTexto* text = AddText(Card(0), "t");
    view.text = text;
    doc.GetSpriteList().Insert(MakeSprite(1, 0, 0, 50));
    view.sprite = doc.GetSpriteList().GetAt(0);
    for (int id :
         {cmd::kEditText, cmd::kAlignTexts, cmd::kTextFormat, cmd::kSpriteProperties, cmd::kScreenProperties,
          cmd::kBackgroundFromFile, cmd::kBackgroundSolidColor, cmd::kBackgroundGradient})
        Run(id);
    EXPECT_EQ(dialogs.calls.size(), 8u) << "every dialog was asked";
    EXPECT_EQ(Steps(), 0u);
    EXPECT_TRUE(Enabled(cmd::kEditRedo)) << "the undone Add card can still be redone";
    EXPECT_EQ(commands.RedoText(), "Redo Add card");
}

// ---------------------------------------------------------------- texts across the cards

TEST_F(EditorCommandsTest, RepeatInAllCardsTwiceAddsNothingTheSecondTime) {
    MakeCards(3);
    CTexto* text = AddText(Card(0), "Title", "Hola");
    text->rect = {5, 6, 50, 60};
    AddText(Card(2), "TITLE", "own");
    view.text = text;
    Run(cmd::kRepeatInAllCards);
    ASSERT_EQ(Card(1).texts.GetSize(), 1u);
    EXPECT_EQ(Card(1).TextAt(0)->text, "Hola");
    EXPECT_EQ(Card(1).TextAt(0)->rect, text->rect);
    EXPECT_EQ(Card(2).texts.GetSize(), 1u) << "identifiers match without regard to case";
    EXPECT_EQ(Card(0).texts.GetSize(), 1u);
    Run(cmd::kRepeatInAllCards);
    EXPECT_EQ(Card(1).texts.GetSize(), 1u);
}

TEST_F(EditorCommandsTest, EmptyIdentifiersMatchEachOther) {
    MakeCards(3);
    CTexto* text = AddText(Card(0), "", "nameless");
    AddText(Card(1), "other");
    AddText(Card(1), "", "first nameless");
    AddText(Card(1), "", "second nameless");
    AddText(Card(2), "", "only");
    view.text = text;
    Run(cmd::kRepeatInAllCards);
    EXPECT_EQ(Card(1).texts.GetSize(), 3u);
    EXPECT_EQ(Card(2).texts.GetSize(), 1u);
    Run(cmd::kConvertInCounter);
    EXPECT_EQ(Card(0).TextAt(0)->text, "1/3");
    EXPECT_EQ(Card(1).TextAt(0)->text, "t") << "the text named otherwise";
    EXPECT_EQ(Card(1).TextAt(1)->text, "2/3") << "the first nameless text of the card";
    EXPECT_EQ(Card(1).TextAt(2)->text, "second nameless");
    EXPECT_EQ(Card(2).TextAt(0)->text, "3/3");
}

TEST_F(EditorCommandsTest, ConvertInCounterSkipsCardsWithoutTheText) {
    MakeCards(4);
    CTexto* text = AddText(Card(0), "page");
    AddText(Card(2), "PAGE");
    view.text = text;
    Run(cmd::kConvertInCounter);
    EXPECT_EQ(Card(0).TextAt(0)->text, "1/4");
    EXPECT_EQ(Card(2).TextAt(0)->text, "3/4");
    EXPECT_TRUE(Card(1).texts.IsEmpty());
    EXPECT_TRUE(Card(3).texts.IsEmpty());
    EXPECT_EQ(doc.UndoText(), "Undo Convert in counter");
}

TEST_F(EditorCommandsTest, EditTextWritesBackAndMovesOnlyWhenThePositionChanged) {
    CTexto* text = AddText(Card(0), "a");
    text->rect = {10, 10, 60, 40};
    view.text = text;
    dialogs.onText = [](TextFields& fields) {
        EXPECT_EQ(fields.x, 10);
        fields.identifier = "b";
        fields.bold = true;
        fields.colour = 0x0000FF;
        fields.x = 100;
        return true;
    };
    Run(cmd::kEditText);
    EXPECT_EQ(text->identifier, "b");
    EXPECT_TRUE(text->bold);
    EXPECT_EQ(text->colour, 0x0000FFu);
    EXPECT_EQ(text->rect, (platform::Rect{100, 10, 150, 40})) << "moved, keeping its size";
}

TEST_F(EditorCommandsTest, AlignTextsAppliesPositionOrSizeToTheFirstMatchOfEveryCard) {
    MakeCards(3);
    CTexto* text = AddText(Card(0), "box");
    text->rect = {10, 20, 110, 70};
    CTexto* second = AddText(Card(1), "BOX");
    second->rect = {300, 200, 320, 210};
    AddText(Card(1), "box")->rect = {1, 1, 2, 2};
    view.text = text;
    dialogs.onAlign = [](const AlignTextsChoice& start) {
        AlignTextsChoice choice = start;
        choice.position = false;
        choice.size = true;
        choice.width = 40;
        choice.height = 30;
        return std::optional<AlignTextsChoice>(choice);
    };
    Run(cmd::kAlignTexts);
    ASSERT_TRUE(dialogs.alignStart.has_value());
    EXPECT_EQ(dialogs.alignStart->identifier, "box");
    EXPECT_EQ(dialogs.alignStart->width, 100);
    EXPECT_EQ(text->rect, (platform::Rect{10, 20, 50, 50}));
    EXPECT_EQ(second->rect, (platform::Rect{300, 200, 340, 230})) << "resized from its own corner";
    EXPECT_EQ(Card(1).TextAt(1)->rect, (platform::Rect{1, 1, 2, 2})) << "only the first match";

    dialogs.onAlign = [](const AlignTextsChoice& start) {
        AlignTextsChoice choice = start;
        choice.x = 5;
        choice.y = 6;
        return std::optional<AlignTextsChoice>(choice);
    };
    Run(cmd::kAlignTexts);
    EXPECT_EQ(second->rect, (platform::Rect{5, 6, 45, 36})) << "moved, keeping its size";
}

TEST_F(EditorCommandsTest, TextFormatAppliesEachConfirmedFont) {
    MakeCards(2);
    CTexto* text = AddText(Card(0), "f");
    CTexto* other = AddText(Card(1), "F");
    view.text = text;
    FontChoice font{"Times New Roman", 22, true, false, true, 0x00FF00};
    dialogs.fonts = {font};
    Run(cmd::kTextFormat);
    for (CTexto* t : {text, other}) {
        EXPECT_EQ(t->fontFace, "Times New Roman");
        EXPECT_EQ(t->height, 22);
        EXPECT_TRUE(t->bold);
        EXPECT_TRUE(t->underline);
        EXPECT_EQ(t->colour, 0x00FF00u);
    }
    EXPECT_EQ(Steps(), 1u);
}

// ---------------------------------------------------------------- sprites, pictures, screen

TEST_F(EditorCommandsTest, SpriteCommandsWorkOnTheCurrentOrdinarySprite) {
    for (int id : {cmd::kSpriteProperties, cmd::kSpriteConfiguration, cmd::kSpriteEvents, cmd::kChangeBitmap})
        Run(id);
    EXPECT_TRUE(dialogs.calls.empty()) << "nothing without a current sprite";

    doc.GetSpriteList().Insert(MakeSprite(1, 4, 5, 50, 8, 6, 2));
    auto* sprite = dynamic_cast<CPhasedSprite*>(doc.GetSpriteList().GetAt(0));
    view.sprite = sprite;
    dialogs.onSprite = [](CPhasedSprite& s) {
        s.SetText("hint");
        return true;
    };
    Run(cmd::kSpriteProperties);
    EXPECT_EQ(sprite->GetText(), "hint");
    EXPECT_EQ(doc.UndoText(), "Undo Sprite properties");
    Run(cmd::kSpriteConfiguration);
    EXPECT_EQ(doc.UndoText(), "Undo Sprite configuration");
    Run(cmd::kSpriteEvents);
    EXPECT_EQ(doc.UndoText(), "Undo Sprite events");
    EXPECT_EQ(Steps(), 3u) << "configuration and events take a step as properties do";
    dialogs.onSprite = [](CPhasedSprite&) { return false; };
    for (int id : {cmd::kSpriteProperties, cmd::kSpriteConfiguration, cmd::kSpriteEvents}) Run(id);
    EXPECT_EQ(Steps(), 3u) << "a cancelled sheet leaves no step";

    dialogs.files.push_back(folder.Path("sprite.bmp"));
    Run(cmd::kChangeBitmap);
    EXPECT_EQ(sprite->GetNumFrames(), 2) << "the frame count stays";
    EXPECT_EQ(sprite->GetCellHeight(), 4);
    EXPECT_EQ(sprite->GetX(), 4);
}

TEST_F(EditorCommandsTest, PictureAndVideoPropertiesRebuildTheirProxies) {
    AddPicture(Card(0), 1, 2);
    doc.RebuildProxies();
    view.sprite = doc.GetSpriteList().FindByNumber(-2);
    view.sprite->SetPosition(40, 50);  // dragged
    dialogs.onPicture = [](CFoto& picture) {
        EXPECT_EQ(picture.x, 40) << "the dialog shows where the proxy was dragged";
        picture.reduction = 50;
        return true;
    };
    Run(cmd::kPictureProperties);
    CSprite* proxy = doc.GetSpriteList().FindByNumber(-2);
    ASSERT_NE(proxy, nullptr);
    EXPECT_EQ(proxy->GetWidth(), 10) << "a 20 pixel picture reduced by half";
    EXPECT_EQ(proxy->GetX(), 40);

    media.script.frameSize = {16, 16};
    dialogs.onVideo = [](CVideo& video) {
        video.file = "clip.avi";
        video.x = 9;
        return true;
    };
    Run(cmd::kVideoProperties);
    ASSERT_NE(doc.GetSpriteList().FindByNumber(-1), nullptr);
    EXPECT_EQ(doc.GetSpriteList().FindByNumber(-1)->GetX(), 9);
    EXPECT_EQ(Steps(), 2u);
}

TEST_F(EditorCommandsTest, ScreenPropertiesWriteTheDocumentAndTheCard) {
    dialogs.onScreen = [](ScreenCardFields& fields) {
        EXPECT_TRUE(fields.hasCard);
        fields.identifier = "screen";
        fields.loopMusic = true;
        fields.activationList = "1,2";
        return true;
    };
    Run(cmd::kScreenProperties);
    EXPECT_EQ(doc.identifier, "screen");
    EXPECT_EQ(doc.loopMusic, 1u);
    EXPECT_EQ(Card(0).activationList, "1,2");
    EXPECT_EQ(doc.UndoText(), "Undo Screen properties");
    Run(cmd::kEditUndo);
    EXPECT_EQ(doc.identifier, "");
}

TEST_F(EditorCommandsTest, WorkDirectoryAndSpritesList) {
    dialogs.directory = "C:\\MEDIA";
    Run(cmd::kWorkDirectory);
    EXPECT_EQ(doc.workDirectory, "C:\\MEDIA");
    EXPECT_TRUE(doc.IsModified());
    doc.SetModifiedFlag(false);
    const int refreshes = view.refreshes;
    Run(cmd::kSpritesList);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_GT(view.refreshes, refreshes) << "the view renders again after the list";
    const size_t steps = Steps();
    Run(cmd::kSpritesList);
    EXPECT_EQ(Steps(), steps) << "a list closed without a confirmed sheet leaves no step";
    dialogs.spritesListConfirmed = true;
    Run(cmd::kSpritesList);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.UndoText(), "Undo Sprites list");
}

TEST_F(EditorCommandsTest, TextCommandsNeedACurrentTextOfTheCurrentCard) {
    MakeCards(2);
    CTexto* text = AddText(Card(1), "x");
    view.text = text;  // a text of another card
    for (int id : {cmd::kEditText, cmd::kAlignTexts, cmd::kTextFormat, cmd::kRepeatInAllCards,
                   cmd::kConvertInCounter, cmd::kDeleteText})
        EXPECT_FALSE(Enabled(id)) << id;
    doc.SelectCard(1);
    EXPECT_TRUE(Enabled(cmd::kConvertInCounter));
    CommandTarget::State state;
    EXPECT_TRUE(commands.CommandState(cmd::kPictureDelete, state));
    EXPECT_FALSE(state.enabled) << "no handler behind the picture menu's Delete";
    EXPECT_FALSE(commands.CommandState(cmd::kFileSave, state)) << "the frame's command";
}

}  // namespace
