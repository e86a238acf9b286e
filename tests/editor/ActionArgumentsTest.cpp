#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QToolButton>
#include <filesystem>

#include "editor/ActionArguments.h"
#include "editor/SpriteSheets.h"
#include "engine/PhasedSprite.h"
#include "engine/SpriteList.h"
#include "model/Actions.h"
#include "model/Texto.h"
#include "tests/editor/SheetTestSupport.h"

namespace {

using editor_test::Type;
using sheet_test::Press;
using sheet_test::SheetTest;
using test_support::WhenModal;
using Ok = QDialogButtonBox::StandardButton;

TEST(ActionArguments, EveryArgumentAnActionReadsIsDescribedAndNoOtherIs) {
    // The arguments the player reads, action by action: the kinds must say the same.
    const std::vector<std::pair<int32_t, int>> used = {
        {kActionOpenCard, 2},       {kActionNextCard, 1},      {kActionPreviousCard, 2},
        {kActionTextLineUp, 1},     {kActionTextScrollBar, 1}, {kActionPlaySound, 1},
        {kActionPlayVideoTitle, 1}, {kActionShowSprites, 1},   {kActionDisableSprites, 1},
        {kActionSlideShow, 4},      {kActionShowBitmap, 2},    {kActionLinkToUrl, 1},
        {kActionSendEmail, 1},      {kActionEndProgram, 0},    {kActionShowMenu, 0},
        {kActionVolumeKnob, 0}};
    for (auto [code, count] : used)
        for (int i = 0; i < 4; ++i) {
            const ArgumentMeaning& m = ClickArgumentMeanings(code)[size_t(i)];
            EXPECT_EQ(m.kind != ArgumentKind::unused, i < count) << code << " argument " << i + 1;
            EXPECT_EQ(std::string(m.meaning).empty(), m.kind == ArgumentKind::unused) << code;
        }
    for (int32_t code = 1; code < kMoveActionCount; ++code) {
        EXPECT_NE(MoveArgumentMeanings(code)[0].kind, ArgumentKind::unused) << code;
        EXPECT_EQ(MoveArgumentMeanings(code)[1].kind, ArgumentKind::unused)
            << "move actions read argument 1 only";
    }
    EXPECT_EQ(ClickArgumentMeanings(kActionOpenCard)[1].kind, ArgumentKind::cardNumber) << "counted from 1";
    EXPECT_EQ(ClickArgumentMeanings(kActionPreviousCard)[1].kind, ArgumentKind::cardIndex)
        << "counted from 0";
    EXPECT_EQ(MoveArgumentMeanings(kMoveActionShowSprites)[0].kind, ArgumentKind::numberList);
    EXPECT_EQ(ClickArgumentMeanings(-1)[0].kind, ArgumentKind::unused);
    EXPECT_EQ(ClickArgumentMeanings(kClickActionCount)[0].kind, ArgumentKind::unused);
    EXPECT_EQ(MoveArgumentMeanings(kMoveActionCount)[0].kind, ArgumentKind::unused);
}

TEST(ActionArguments, AChosenFileIsNamedFromTheTitlesFolder) {
    const std::string title = "/t/disc/main.fca";
    EXPECT_EQ(ArgumentForChosenFile(ArgumentKind::soundFile, "/t/disc/snd/click.wav", title),
              "snd\\click.wav");
    EXPECT_EQ(ArgumentForChosenFile(ArgumentKind::soundFile, "/t/other/click.wav", title),
              "/t/other/click.wav")
        << "outside the title's folder the whole path";
    EXPECT_EQ(ArgumentForChosenFile(ArgumentKind::soundFile, "/t/disc/a.wav", ""), "/t/disc/a.wav")
        << "a title never saved has no folder";
    EXPECT_EQ(ArgumentForChosenFile(ArgumentKind::titleStem, "/t/disc/Intro.FCA", title), "Intro");
    EXPECT_EQ(ArgumentForChosenFile(ArgumentKind::titleStem, "/t/disc/notes.txt", title), "notes.txt");
    EXPECT_EQ(ArgumentForChosenFile(ArgumentKind::videoStem, "/t/disc/clip12.fca", title), "clip")
        << "the card number is the player's to add";
    EXPECT_EQ(ArgumentForChosenFile(ArgumentKind::videoStem, "/t/disc/v201.fca", title), "v2");
    EXPECT_EQ(ArgumentForChosenFile(ArgumentKind::titleStem, "/t/disc/demo2.fca", title), "demo2");
    EXPECT_EQ(ArgumentForChosenFile(ArgumentKind::slideFolder, "/t/disc/fotos/a.jpg", title), "fotos");
    EXPECT_EQ(ArgumentForChosenFile(ArgumentKind::slideFolder, "/t/disc/a.jpg", title), "")
        << "the title's own folder is the empty argument";
    EXPECT_EQ(ArgumentForChosenFile(ArgumentKind::slideFolder, "/elsewhere/f/a.jpg", title), "/elsewhere/f");
    EXPECT_EQ(ArgumentForChosenFile(ArgumentKind::pictureFile, "/t/disc/../disc2/p.jpg", title),
              "/t/disc/../disc2/p.jpg");
}

TEST(ActionArguments, ListsAreCountedAsThePlayerSplitsThem) {
    EXPECT_EQ(CountListNumbers(""), 0u);
    EXPECT_EQ(CountListNumbers("7"), 1u);
    EXPECT_EQ(CountListNumbers("3,,7"), 3u);
    EXPECT_EQ(CountListNumbers("1,2,"), 3u);
    EXPECT_EQ(CountListNumbers("1,2,3,4,5,6,7,8,9,10,11"), 11u);
}

// The event pages on a title with cards, sprites and texts.
class EventHelpTest : public SheetTest {
  protected:
    void SetUp() override {
        SheetTest::SetUp();
        doc.AppendCard(std::make_unique<CFicha>());
        doc.AppendCard(std::make_unique<CFicha>());
        doc.FirstCard();
        auto text = std::make_unique<CTexto>();
        text->identifier = "Titulo";
        doc.CardAt(1)->AddText(std::move(text));
        sprite = &AddSprite(3, 10);
        AddSprite(1, 20).SetText("uno");
        AddSprite(-1, 5);  // the video's stand-in
        AddSprite(-2, 5);  // a picture's
        sheet = std::make_unique<SpriteSheet>(SpriteSheet::Kind::events, *sprite, &doc);
        sheet->show();
    }
    ActionEventEditor& Click() { return *sheet->Click(); }
    // Chooses the list entries whose text begins with one of `starts` in the next chooser, then OK.
    void ChooseInList(std::vector<QString> starts, std::vector<QString>* offered = nullptr) {
        WhenModal([starts, offered](QDialog& chooser) {
            auto* list = chooser.findChild<QListWidget*>();
            ASSERT_NE(list, nullptr);
            list->clearSelection();
            for (int i = 0; i < list->count(); ++i) {
                if (offered) offered->push_back(list->item(i)->text());
                for (const QString& start : starts)
                    if (list->item(i)->text().startsWith(start)) list->item(i)->setSelected(true);
            }
            Press(chooser, Ok::Ok);
        });
    }
    CPhasedSprite* sprite = nullptr;
    std::unique_ptr<SpriteSheet> sheet;
};

TEST_F(EventHelpTest, TheChosenActionSaysWhatEachArgumentMeansAndOffersItsHelp) {
    Click().Action().setCurrentIndex(kActionOpenCard);
    EXPECT_FALSE(Click().Meaning(0).text().isEmpty());
    EXPECT_TRUE(Click().Help(0).isVisible());
    EXPECT_EQ(Click().Help(0).text(), "Browse...");
    EXPECT_EQ(Click().Help(1).text(), "Cards...");
    EXPECT_FALSE(Click().Help(2).isVisible());
    EXPECT_TRUE(Click().Meaning(2).text().isEmpty());
    Click().Action().setCurrentIndex(kActionEndProgram);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(Click().Help(i).isVisible()) << i;
        EXPECT_TRUE(Click().Meaning(i).text().isEmpty()) << i;
    }
    sheet->Tabs()->setCurrentIndex(1);
    sheet->Move()->Action().setCurrentIndex(kMoveActionAnimate);
    EXPECT_EQ(sheet->Move()->Help(0).text(), "Sprites...");
    EXPECT_TRUE(sheet->Move()->Meaning(0).text().contains("animate"));

    SpriteSheet withoutTitle(SpriteSheet::Kind::events, *sprite, nullptr);
    withoutTitle.show();
    withoutTitle.Click()->Action().setCurrentIndex(kActionOpenCard);
    EXPECT_TRUE(withoutTitle.Click()->Help(0).isVisible()) << "Browse needs no title";
    EXPECT_FALSE(withoutTitle.Click()->Help(1).isVisible()) << "there are no cards to choose from";
}

TEST_F(EventHelpTest, BrowseFillsTheFieldAndACancelledBrowseChangesNothing) {
    Click().Action().setCurrentIndex(kActionShowBitmap);
    Type(Click().Argument(1), "keep.wav");
    files.answers = {std::nullopt, folder.Path("ding.wav")};
    QTest::mouseClick(&Click().Help(1), Qt::LeftButton);
    EXPECT_EQ(Click().Argument(1).text(), "keep.wav");
    QTest::mouseClick(&Click().Help(1), Qt::LeftButton);
    EXPECT_EQ(Click().Argument(1).text().toStdString(), folder.Path("ding.wav")) << "an unsaved title";
    ASSERT_EQ(files.requests.size(), 2u);
    EXPECT_NE(files.requests[0].filter.find("*.WAV"), std::string::npos);

    Click().Action().setCurrentIndex(kActionNextCard);
    files.answers = {folder.Path("next.fca")};
    QTest::mouseClick(&Click().Help(0), Qt::LeftButton);
    EXPECT_EQ(Click().Argument(0).text().toStdString(), folder.Path("next"));
    Press(*sheet, Ok::Ok);
    EXPECT_EQ(sprite->GetClickArgument(0), folder.Path("next"));
    EXPECT_EQ(sprite->GetClickAction(), kActionNextCard);
}

TEST_F(EventHelpTest, TheCardChooserCountsAsTheActionDoes) {
    Click().Action().setCurrentIndex(kActionOpenCard);
    std::vector<QString> offered;
    ChooseInList({QString::fromUtf8("Ficha n\u00ba 3")}, &offered);
    QTest::mouseClick(&Click().Help(1), Qt::LeftButton);
    EXPECT_EQ(offered.size(), 3u);
    EXPECT_EQ(Click().Argument(1).text(), "3") << "File - Open a card counts from 1";
    Click().Action().setCurrentIndex(kActionPreviousCard);
    ChooseInList({QString::fromUtf8("Ficha n\u00ba 3")});
    QTest::mouseClick(&Click().Help(1), Qt::LeftButton);
    EXPECT_EQ(Click().Argument(1).text(), "2") << "Cards - Previous card counts from 0";
    WhenModal([](QDialog& chooser) { Press(chooser, Ok::Cancel); });
    QTest::mouseClick(&Click().Help(1), Qt::LeftButton);
    EXPECT_EQ(Click().Argument(1).text(), "2");
}

TEST_F(EventHelpTest, TheSpriteChooserListsAuthoredSpritesAndWritesANumberList) {
    Click().Action().setCurrentIndex(kActionHideSprites);
    std::vector<QString> offered;
    ChooseInList({"1 ", "3 "}, &offered);
    QTest::mouseClick(&Click().Help(0), Qt::LeftButton);
    EXPECT_EQ(offered, (std::vector<QString>{"1  uno", "3  "})) << "by number, without the stand-ins";
    EXPECT_EQ(Click().Argument(0).text(), "1,3");

    Click().Action().setCurrentIndex(kActionTextLineDown);
    ChooseInList({"Titulo"});
    QTest::mouseClick(&Click().Help(0), Qt::LeftButton);
    EXPECT_EQ(Click().Argument(0).text(), "Titulo");
}

TEST_F(EventHelpTest, ANumberListOfMoreThanTenIsRefusedBeforeItIsStored) {
    Click().Action().setCurrentIndex(kActionShowSprites);
    Type(Click().Argument(0), "1,2,3,4,5,6,7,8,9,10,11");
    Press(*sheet, Ok::Ok);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_NE(box.shown[0].text.find("Argument 1 holds 11 sprite numbers"), std::string::npos);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sprite->GetClickAction(), kActionNone) << "nothing stored";

    Type(Click().Argument(0), "1,2,3,4,5,6,7,8,9,10");
    sheet->Tabs()->setCurrentIndex(1);
    sheet->Move()->Action().setCurrentIndex(kMoveActionHideSprites);
    Type(sheet->Move()->Argument(0), "1,,,,,,,,,,");
    sheet->Tabs()->setCurrentIndex(0);
    ASSERT_EQ(box.shown.size(), 2u);
    EXPECT_EQ(sheet->Tabs()->currentIndex(), 1) << "the Move page is not left";

    Type(sheet->Move()->Argument(0), "1,2,3,4,5,6,7,8,9,10,11,12");
    sheet->Move()->Action().setCurrentIndex(kMoveActionPlaySound);
    Press(*sheet, Ok::Ok);
    EXPECT_FALSE(sheet->isVisible()) << "only an argument read as a list is counted";
    EXPECT_EQ(sprite->GetClickArgument(0), "1,2,3,4,5,6,7,8,9,10");
}

TEST_F(EventHelpTest, AStoredListTooLongBringsItsPageToTheFrontOnOk) {
    // A list of eleven from another writer, on the page the author never turned to.
    sprite->SetMoveAction(kMoveActionShowSprites);
    sprite->SetMoveArguments({"1,2,3,4,5,6,7,8,9,10,11", "", "", ""});
    SpriteSheet events(SpriteSheet::Kind::events, *sprite, &doc);
    events.show();
    Press(events, Ok::Ok);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_EQ(events.Tabs()->currentWidget(), events.Move());
    EXPECT_TRUE(events.isVisible());
}

TEST_F(EventHelpTest, TheSpriteChooserRefusesMoreThanTenAtOnce) {
    for (int n = 10; n < 21; ++n) AddSprite(n, 30);
    Click().Action().setCurrentIndex(kActionShowSprites);
    WhenModal([this](QDialog& chooser) {
        chooser.findChild<QListWidget*>()->selectAll();
        Press(chooser, Ok::Ok);
        EXPECT_TRUE(chooser.isVisible());
        EXPECT_EQ(box.shown.size(), 1u);
        Press(chooser, Ok::Cancel);
    });
    QTest::mouseClick(&Click().Help(0), Qt::LeftButton);
    EXPECT_EQ(Click().Argument(0).text(), "");
}

}  // namespace
