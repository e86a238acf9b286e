#include <gtest/gtest.h>

#include <memory>

#include "imaging/Dib.h"
#include "model/Classes.h"
#include "model/Ficha.h"
#include "model/Foto.h"
#include "model/Parms.h"
#include "model/PlayerRunState.h"
#include "model/Texto.h"
#include "model/Video.h"
#include "tests/model/ModelTestSupport.h"
#include "tests/support/Bytes.h"
#include "tests/support/Streams.h"

namespace {

using namespace model_test;
using namespace test_support;

class RecordsTest : public testing::Test {
  protected:
    void SetUp() override { RegisterTitleClasses(); }
};

const Bytes kCardClass = Concat({{0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00}, Text("CFicha")});

// The 36 bytes of an empty version-3 card.
const Bytes kEmptyCard = Concat({Dword(3),
                                 Dword(0),
                                 {0x00},
                                 Dword(0),
                                 Dword(0),
                                 Dword(0),
                                 Dword(0),
                                 Dword(0),
                                 {0x00, 0x00, 0x00},
                                 {0x00, 0x00},
                                 {0x00, 0x00}});

std::unique_ptr<CFoto> Foto(const char* name, int32_t x, int32_t y, int32_t reduction) {
    auto f = std::make_unique<CFoto>();
    f->fileName = name;
    f->x = x;
    f->y = y;
    f->reduction = reduction;
    return f;
}

std::unique_ptr<CTexto> Texto(const char* identifier, const char* text) {
    auto t = std::make_unique<CTexto>();
    t->identifier = identifier;
    t->text = text;
    return t;
}

TEST_F(RecordsTest, TwoPictureArrayIsTheWorkedExample) {
    CArrayFotos fotos;
    fotos.Add(Foto("a.bmp", 10, 20, 0));
    fotos.Add(Foto("b.jpg", 30, 40, 50));
    Bytes expected = Concat({{0x02, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00},
                             Text("CFoto"),
                             Dword(0),
                             {0x05},
                             Text("a.bmp"),
                             Dword(10),
                             Dword(20),
                             Dword(0),
                             {0x01, 0x80},
                             Dword(0),
                             {0x05},
                             Text("b.jpg"),
                             Dword(30),
                             Dword(40),
                             Dword(50)});
    EXPECT_EQ(StoreEmbedded(fotos), expected);

    CArrayFotos loaded;
    ASSERT_EQ(LoadEmbedded(loaded, expected), "");
    ASSERT_EQ(loaded.GetSize(), 2u);
    EXPECT_EQ(loaded.GetAt(1)->fileName, "b.jpg");
    EXPECT_EQ(loaded.GetAt(1)->reduction, 50);
    EXPECT_EQ(loaded.GetAt(0)->y, 20);
    EXPECT_EQ(loaded.GetAt(2), nullptr);
}

TEST_F(RecordsTest, EmptyCardIs36BytesAfterItsClassTag) {
    CFicha card;
    EXPECT_EQ(StoreEmbedded(card), kEmptyCard);
    EXPECT_EQ(kEmptyCard.size(), 36u);

    CArrayFichas cards;
    cards.Add(std::make_unique<CFicha>());
    cards.Add(std::make_unique<CFicha>());
    // Caption field, count, the first card with the class description, the next with a class reference.
    Bytes expected = Concat({{0x00, 0x02, 0x00}, kCardClass, kEmptyCard, {0x01, 0x80}, kEmptyCard});
    EXPECT_EQ(StoreEmbedded(cards), expected);
}

TEST_F(RecordsTest, VideoRecordIs26BytesAndKeepsItsLeadingWord) {
    CVideo video;
    EXPECT_EQ(StoreEmbedded(video),
              Concat({Dword(0), {0x00}, Dword(0), Dword(0), Dword(0), Dword(0), Dword(0), {0x00}}));

    Bytes stored = Concat({Dword(7),
                           {0x05},
                           Text("c.avi"),
                           Dword(-3),
                           Dword(40),
                           Dword(1),
                           Dword(0),
                           Dword(1),
                           {0x03},
                           Text("1,2")});
    CVideo loaded;
    ASSERT_EQ(LoadEmbedded(loaded, stored), "");
    EXPECT_EQ(loaded.x, -3);
    EXPECT_TRUE(loaded.loop);
    EXPECT_FALSE(loaded.automaticInit);
    EXPECT_TRUE(loaded.closeWhenFinishes);
    EXPECT_EQ(loaded.activateOnClose, "1,2");
    EXPECT_EQ(StoreEmbedded(loaded), stored);

    loaded.runtimeWord = 1;
    loaded.Clear();
    EXPECT_FALSE(loaded.HasVideo());
    EXPECT_EQ(loaded.leadingWord, 7u);
    EXPECT_EQ(loaded.runtimeWord, 1u);
    EXPECT_EQ(StoreEmbedded(loaded),
              Concat({Dword(7), {0x00}, Dword(0), Dword(0), Dword(0), Dword(0), Dword(0), {0x00}}));
}

TEST_F(RecordsTest, ParameterBlockIs8BytesAndRoundTrips) {
    CParms parms;
    EXPECT_EQ(StoreEmbedded(parms), Bytes(8, 0));
    parms.text1 = "x";
    parms.playingMusic = "MUSICA.WAV";
    parms.startCard = 4;
    parms.shortValue = 0xBEEF;
    Bytes stored = StoreEmbedded(parms);
    EXPECT_EQ(stored, Concat({{0x01, 'x', 0x0A}, Text("MUSICA.WAV"), Dword(4), {0xEF, 0xBE}}));
    CParms loaded;
    ASSERT_EQ(LoadEmbedded(loaded, stored), "");
    EXPECT_EQ(loaded.playingMusic, "MUSICA.WAV");
    EXPECT_EQ(loaded.shortValue, 0xBEEF);

    CPlayerRunState run;
    EXPECT_EQ(run.StartCard(), 0);
    EXPECT_EQ(run.PlayingMusic(), "");
    EXPECT_FALSE(run.Muted());
    run.SetStartCard(2);
    run.SetPlayingMusic("FONDO.WAV");
    run.SetSavedVolume(0x80004000);
    run.SetMuted(true);
    EXPECT_EQ(run.Parms().startCard, 2);
    EXPECT_EQ(run.PlayingMusic(), "FONDO.WAV");
    EXPECT_EQ(run.SavedVolume(), 0x80004000u);
    EXPECT_TRUE(run.Muted());
}

TEST_F(RecordsTest, TextStoresItsElevenMembersInOrder) {
    CTexto text;
    Bytes defaults = Concat({Dword(0),
                             {0x00, 0x00, 0x05},
                             Text("Arial"),
                             Dword(0),
                             Dword(0),
                             Dword(0),
                             Dword(15),
                             Dword(0),
                             Dword(1),
                             Dword(0),
                             Dword(0),
                             Dword(100),
                             Dword(100)});
    EXPECT_EQ(StoreEmbedded(text), defaults);

    Bytes stored = Concat({Dword(9),
                           {0x02},
                           Text("id"),
                           {0x07},
                           Text("a\r\nb \xE1\xE9"),
                           {0x07},
                           Text("Courier"),
                           Dword(1),
                           Dword(0),
                           Dword(1),
                           Dword(-20),
                           Dword(0x00FF8040),
                           Dword(0),
                           Dword(-5),
                           Dword(6),
                           Dword(200),
                           Dword(300)});
    CTexto loaded;
    ASSERT_EQ(LoadEmbedded(loaded, stored), "");
    EXPECT_EQ(loaded.leadingWord, 9u);
    EXPECT_EQ(loaded.text, "a\r\nb \xE1\xE9");
    EXPECT_TRUE(loaded.underline);
    EXPECT_FALSE(loaded.italic);
    EXPECT_TRUE(loaded.bold);
    EXPECT_EQ(loaded.height, -20);
    EXPECT_EQ(loaded.colour, 0x00FF8040u);
    EXPECT_FALSE(loaded.visible);
    EXPECT_EQ(loaded.rect, (platform::Rect{-5, 6, 200, 300}));
    loaded.selected = true;
    EXPECT_EQ(StoreEmbedded(loaded), stored);
    EXPECT_FALSE(loaded.selected);  // storing clears the editor's selection

    CTexto copy(loaded);
    EXPECT_EQ(copy.leadingWord, 0u);
    EXPECT_EQ(copy.identifier, "id");
    EXPECT_EQ(copy.fontFace, "Courier");
    EXPECT_EQ(copy.rect, loaded.rect);
    EXPECT_FALSE(copy.visible);

    CTexto fresh("Texto", std::nullopt);
    EXPECT_TRUE(fresh.selected);
    EXPECT_EQ(fresh.rect, (platform::Rect{0, 0, 100, 100}));
    CTexto placed("Texto", platform::Rect{5, 5, 50, 50});
    EXPECT_EQ(placed.rect, (platform::Rect{5, 5, 50, 50}));
    EXPECT_FALSE(CTexto(placed).selected);
}

TEST_F(RecordsTest, PictureCopyStartsWithLeadingWordZero) {
    CFoto foto;
    ASSERT_EQ(LoadEmbedded(foto, Concat({Dword(4), {0x01, 'p'}, Dword(1), Dword(2), Dword(100)})), "");
    foto.selected = true;
    CFoto copy(foto);
    EXPECT_EQ(copy.leadingWord, 0u);
    EXPECT_FALSE(copy.selected);
    EXPECT_EQ(copy.fileName, "p");
    EXPECT_EQ(copy.reduction, 100);
    EXPECT_EQ(StoreEmbedded(foto), Concat({Dword(4), {0x01, 'p'}, Dword(1), Dword(2), Dword(100)}));
}

// A picture is shown at its image's size less the reduction's share of each side, rounded down.
TEST_F(RecordsTest, PictureReductionShrinksEachSideByItsTruncatedShare) {
    struct Case {
        int reduction;
        int32_t width, height;
    } cases[] = {{0, 101, 75}, {50, 51, 38}, {33, 68, 51}, {99, 2, 1}};
    for (const Case& c : cases) {
        CDIB dib;
        ASSERT_TRUE(dib.Create(101, 75, 3));
        ASSERT_TRUE(dib.ResizePercent(c.reduction)) << c.reduction;
        EXPECT_EQ(dib.GetWidth(), c.width) << c.reduction;
        EXPECT_EQ(dib.GetHeight(), c.height) << c.reduction;
    }
}

CFicha FullCard() {
    CFicha card;
    card.video.file = "v.avi";
    card.video.x = 12;
    card.video.automaticInit = true;
    card.video.activateOnClose = "4";
    card.activationList = "3,5,12";
    card.deactivationList = "7";
    card.AddText(Texto("titulo", "Hola"));
    card.AddText(Texto("cuerpo", "Uno dos tres"));
    card.AddPicture(Foto("a.bmp", 1, 2, 0));
    card.AddPicture(Foto("", 0, 0, 0));
    card.AddPicture(Foto("c.pcx", 5, 6, 25));
    return card;
}

TEST_F(RecordsTest, CardsRoundTripWithTheirElementsInOrder) {
    CArrayFichas cards;
    cards.captionField = "titulo";
    auto card = std::make_unique<CFicha>();
    CFicha full = FullCard();
    Bytes fullBytes = StoreEmbedded(full);
    ASSERT_EQ(LoadEmbedded(*card, fullBytes), "");
    cards.Add(std::move(card));
    cards.Add(std::make_unique<CFicha>());
    Bytes stored = StoreEmbedded(cards);

    CArrayFichas loaded;
    ASSERT_EQ(LoadEmbedded(loaded, stored), "");
    ASSERT_EQ(loaded.GetSize(), 2u);
    EXPECT_EQ(loaded.captionField, "titulo");
    const CFicha& first = *loaded.GetAt(0);
    EXPECT_EQ(first.video.file, "v.avi");
    EXPECT_EQ(first.video.x, 12);
    EXPECT_TRUE(first.video.automaticInit);
    EXPECT_EQ(first.video.activateOnClose, "4");
    EXPECT_EQ(first.activationList, "3,5,12");
    EXPECT_EQ(first.deactivationList, "7");
    ASSERT_EQ(first.texts.GetSize(), 2u);
    EXPECT_EQ(first.TextAt(1)->text, "Uno dos tres");
    ASSERT_EQ(first.pictures.GetSize(), 3u);
    EXPECT_EQ(first.PictureAt(0)->fileName, "a.bmp");
    EXPECT_EQ(first.PictureAt(1)->fileName, "");  // keeps its place, so later proxy numbers still count it
    EXPECT_EQ(first.PictureAt(2)->reduction, 25);
    EXPECT_EQ(StoreEmbedded(loaded), stored);

    std::unique_ptr<CFoto> taken = loaded.GetAt(0)->RemovePictureAt(1);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(loaded.GetAt(0)->PictureAt(1)->fileName, "c.pcx");
    EXPECT_EQ(loaded.GetAt(0)->RemovePictureAt(5), nullptr);
}

// Older layouts kept the video inline without its leading word and grew field by field.
TEST_F(RecordsTest, OldCardLayoutsLoadAndStoreBackAsVersion3) {
    Bytes inlineVideo = Concat({{0x05}, Text("v.avi"), Dword(10), Dword(20), Dword(1), Dword(1)});
    Bytes noElements = {0x00, 0x00, 0x00, 0x00};
    struct Case {
        int32_t version;
        Bytes rest;
        bool close;
        const char* onClose;
        const char* activation;
    } cases[] = {
        {0, Concat({inlineVideo, noElements}), false, "", ""},
        {1, Concat({inlineVideo, Dword(1), noElements}), true, "", ""},
        {2, Concat({inlineVideo, Dword(1), {0x01, '9', 0x03}, Text("3,5"), {0x01, '8'}, noElements}), true,
         "9", "3,5"},
    };
    for (const Case& c : cases) {
        CFicha card;
        ASSERT_EQ(LoadEmbedded(card, Concat({Dword(c.version), c.rest})), "") << c.version;
        EXPECT_EQ(card.version, c.version);
        EXPECT_EQ(card.video.file, "v.avi");
        EXPECT_EQ(card.video.y, 20);
        EXPECT_TRUE(card.video.loop);
        EXPECT_TRUE(card.video.automaticInit);
        EXPECT_EQ(card.video.closeWhenFinishes, c.close) << c.version;
        EXPECT_EQ(card.video.activateOnClose, c.onClose);
        EXPECT_EQ(card.activationList, c.activation);
        EXPECT_EQ(card.video.leadingWord, 0u);

        Bytes stored = StoreEmbedded(card);
        EXPECT_EQ(card.version, 3);
        Bytes expected = Concat({Dword(3),
                                 Dword(0),
                                 {0x05},
                                 Text("v.avi"),
                                 Dword(10),
                                 Dword(20),
                                 Dword(1),
                                 Dword(1),
                                 Dword(c.close ? 1 : 0),
                                 {static_cast<uint8_t>(std::string(c.onClose).size())},
                                 Text(c.onClose),
                                 {static_cast<uint8_t>(std::string(c.activation).size())},
                                 Text(c.activation),
                                 {static_cast<uint8_t>(c.version == 2 ? 1 : 0)},
                                 Text(c.version == 2 ? "8" : ""),
                                 noElements});
        EXPECT_EQ(stored, expected) << c.version;
    }
}

TEST_F(RecordsTest, MalformedCardStreamsAreRefused) {
    Bytes head = {0x00, 0x02, 0x00};  // caption "", two cards
    struct Case {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"card schema 2",
         Concat({{0x00, 0x01, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x06, 0x00}, Text("CFicha"), kEmptyCard})},
        {"unknown class",
         Concat({{0x00, 0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00}, Text("CFichz"), kEmptyCard})},
        {"back-reference to an owned card", Concat({head, kCardClass, kEmptyCard, {0x02, 0x00}})},
        {"null card", Concat({head, kCardClass, kEmptyCard, {0x00, 0x00}})},
        {"reference to an index not yet assigned", Concat({head, {0x05, 0x00}})},
        {"cut inside the caption", {0x09, 'T', 'i', 't'}},
        {"count lying", Concat({{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F}, kCardClass, kEmptyCard})},
        {"text count lying", Concat({{0x00, 0x01, 0x00},
                                     kCardClass,
                                     Bytes(kEmptyCard.begin(), kEmptyCard.end() - 4),
                                     {0xF0, 0xFF, 0x00, 0x00}})},
        {"text string length lying", Concat({{0x00, 0x01, 0x00},
                                             kCardClass,
                                             Bytes(kEmptyCard.begin(), kEmptyCard.end() - 4),
                                             {0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x06, 0x00},
                                             Text("CTexto"),
                                             Dword(0),
                                             {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}})},
        {"a picture where a text belongs", Concat({{0x00, 0x01, 0x00},
                                                   kCardClass,
                                                   Bytes(kEmptyCard.begin(), kEmptyCard.end() - 4),
                                                   {0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00},
                                                   Text("CFoto"),
                                                   Dword(0),
                                                   {0x00},
                                                   Dword(0),
                                                   Dword(0),
                                                   Dword(0),
                                                   {0x00, 0x00}})},
        {"cut inside the card",
         Concat({{0x00, 0x01, 0x00}, kCardClass, Bytes(kEmptyCard.begin(), kEmptyCard.begin() + 20)})},
    };
    for (const Case& c : cases) {
        CArrayFichas cards;
        EXPECT_EQ(LoadEmbedded(cards, c.bytes), kBadFormat) << c.name;
    }
}

TEST_F(RecordsTest, CardCaptionsUseTheCaptionFieldIgnoringCase) {
    CArrayFichas cards;
    for (int i = 0; i < 4; ++i) cards.Add(std::make_unique<CFicha>());
    cards.GetAt(0)->AddText(Texto("T\xCDTULO", "Portada"));  // "TÍTULO"
    cards.GetAt(1)->AddText(Texto("otro", "x"));
    cards.GetAt(1)->AddText(Texto("t\xEDtulo", "Segunda"));  // "título"
    cards.GetAt(1)->AddText(Texto("T\xEDtulo", "no: second match"));
    cards.GetAt(2)->AddText(Texto("t\xEDtulo", "Tercera"));

    EXPECT_EQ(cards.CaptionOfCard(0), "Ficha n\xBA 1");  // an empty caption field numbers every card
    EXPECT_EQ(cards.CaptionOfCard(3), "Ficha n\xBA 4");
    cards.captionField = "t\xEDtulo";
    EXPECT_EQ(cards.CaptionOfCard(0), "Portada");
    EXPECT_EQ(cards.CaptionOfCard(1), "Segunda");
    EXPECT_EQ(cards.CaptionOfCard(2), "Tercera");
    EXPECT_EQ(cards.CaptionOfCard(3), "Ficha n\xBA 4");
    EXPECT_EQ(cards.CaptionOfCard(11), "Ficha n\xBA 12");

    EXPECT_EQ(cards.DistinctIdentifiers(),
              (std::vector<std::string>{"T\xCDTULO", "otro", "t\xEDtulo", "T\xEDtulo"}));

    cards.DeleteAll();
    EXPECT_EQ(cards.GetSize(), 0u);
}

TEST_F(RecordsTest, TextFindsAndRemoval) {
    CArrayTextos texts;
    texts.Add(Texto("Uno", "1"));
    texts.Add(Texto("", "empty"));
    texts.Add(Texto("uno", "2"));
    EXPECT_EQ(texts.FindIgnoringCase("UNO")->text, "1");
    EXPECT_EQ(texts.FindExact("uno")->text, "2");
    EXPECT_EQ(texts.FindExact("UNO"), nullptr);
    EXPECT_EQ(texts.FindIgnoringCase("")->text, "empty");
    EXPECT_EQ(texts.FindExact("")->text, "empty");
    EXPECT_EQ(texts.FindIgnoringCase("dos"), nullptr);

    CTexto* middle = texts.GetAt(1);
    std::unique_ptr<CTexto> removed = texts.Remove(middle);
    EXPECT_EQ(removed.get(), middle);
    EXPECT_EQ(texts.GetSize(), 2u);
    EXPECT_EQ(texts.Remove(middle), nullptr);
    texts.DeleteAll();
    EXPECT_EQ(texts.GetSize(), 0u);
}

TEST_F(RecordsTest, RegistrationCoversEveryTitleClassAndMayRepeat) {
    RegisterTitleClasses();
    struct Expected {
        const char* name;
        uint16_t schema;
    } classes[] = {{"CFicha", 1},       {"CTexto", 1},        {"CFoto", 1},       {"CArrayFichas", 1},
                   {"CArrayTextos", 1}, {"CArrayFotos", 1},   {"CVideo", 1},      {"CParms", 1},
                   {"CSprite", 2},      {"CPhasedSprite", 0}, {"CSpriteList", 0}, {"CDIB", 0},
                   {"CDibPcx", 0},      {"CDibJpeg", 0}};
    for (const Expected& e : classes) {
        const CRuntimeClass* cls = ClassRegistry::Instance().Find(e.name);
        ASSERT_NE(cls, nullptr) << e.name;
        EXPECT_EQ(cls->schema, e.schema) << e.name;
        EXPECT_STREQ(cls->name, e.name);
    }
}

}  // namespace

namespace {

// A card's change mark is what tells an undo snapshot to store the card again: every change of the card,
// its video, its arrays and the texts and pictures in them must raise it, and an element that left the
// card must no longer reach it.
TEST(CardChangeMark, RisesWithEveryPartOfTheCardAndNotWithWhatLeftIt) {
    CFicha card;
    uint64_t last = card.StoredChangeMark();
    auto rose = [&] {
        const uint64_t now = card.StoredChangeMark();
        const bool up = now > last;
        last = now;
        return up;
    };
    card.AddText(std::make_unique<CTexto>());
    EXPECT_TRUE(rose()) << "a text added";
    card.AddPicture(std::make_unique<CFoto>());
    EXPECT_TRUE(rose()) << "a picture added";
    card.TextAt(0)->text = "otro";
    EXPECT_FALSE(rose()) << "unmarked: the mark is the only thing looked at";
    card.TextAt(0)->MarkChanged();
    EXPECT_TRUE(rose()) << "a text changed";
    card.TextAt(0)->MoveTo(5, 5);
    EXPECT_TRUE(rose()) << "a text moved";
    card.PictureAt(0)->MarkChanged();
    EXPECT_TRUE(rose()) << "a picture changed";
    card.video.Clear();
    EXPECT_TRUE(rose()) << "the video cleared";
    card.MarkChanged();
    EXPECT_TRUE(rose()) << "the card's lists changed";

    std::unique_ptr<CFoto> taken = card.RemovePictureAt(0);
    EXPECT_TRUE(rose()) << "a picture taken out";
    taken->MarkChanged();
    EXPECT_FALSE(rose()) << "a picture that left the card no longer reaches it";

    // A text moved to another card reports to that card only, also after the array itself moved.
    CFicha other;
    other.AddText(card.texts.RemoveAt(0));
    EXPECT_TRUE(rose());
    CArrayTextos moved(std::move(other.texts));
    const uint64_t before = moved.ChangeMark();
    moved.GetAt(0)->MarkChanged();
    EXPECT_FALSE(rose());
    EXPECT_GT(moved.ChangeMark(), before);
}

}  // namespace
