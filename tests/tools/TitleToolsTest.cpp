#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <functional>

#include "engine/AnimView.h"
#include "engine/PhasedSprite.h"
#include "model/Actions.h"
#include "model/Classes.h"
#include "model/FichaDoc.h"
#include "platform/qt/QtDeviceContext.h"
#include "tests/model/DocTestSupport.h"
#include "tests/support/Pixels.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/Streams.h"
#include "tools/Fcatool.h"
#include "tools/Json.h"
#include "tools/TitleFiles.h"

namespace {

using namespace doc_test;
using namespace test_support;

// Titles made with the model classes in a scratch folder, and the subcommands run on them.
class TitleToolsTest : public testing::Test {
  protected:
    void SetUp() override { RegisterTitleClasses(); }

    std::string Save(CFichaDoc& doc, const std::string& name) { return SaveDocument(doc, folder.Path(name)); }

    // A background, a transparent three-frame sprite in front of an opaque one, a hidden-by-card sprite,
    // a scroll knob, and two cards with texts and a picture.
    std::string RichTitle() {
        CFichaDoc doc(Variant::player);
        auto background = std::make_unique<CDibJpeg>();
        Gradient(*background, 120, 90, 90);
        doc.SetBackground(std::move(background));
        auto front = MakeSprite(1, 10, 10, 5, 20, 16, 3);
        SetPixel(*front, 0, 0, kWhite);  // the transparent colour
        SetPixel(*front, 5, 5, kWhite);
        front->ComputeTransparentColour();
        front->SetNumFrames(3);
        front->SetTransparent(true);
        front->SetText("bot\xF3n");
        front->SetClickAction(kActionShowSprites);
        front->SetClickArgument(0, "3");
        doc.GetSpriteList().Insert(std::move(front));
        doc.GetSpriteList().Insert(MakeSprite(2, 20, 15, 40, 30, 20));
        doc.GetSpriteList().Insert(MakeSprite(3, 60, 40, 30, 10, 10));
        auto knob = MakeSprite(4, 100, 5, 20, 6, 6);
        knob->SetClickAction(kActionTextScrollKnob);
        knob->SetClickArgument(0, "story");
        doc.GetSpriteList().Insert(std::move(knob));
        std::filesystem::create_directories(folder.Path("fotos"));
        WriteBmp(folder.Path("fotos/photo.bmp"), 16, 12, 250);
        for (int i = 0; i < 2; ++i) {
            auto card = std::make_unique<CFicha>();
            auto text = std::make_unique<CTexto>();
            text->identifier = "story";
            text->text =
                i == 0 ? "Una historia\r\nlarga de verdad con muchas palabras que no caben" : "corta";
            text->rect = {5, 50, 70, 80};
            text->colour = 0x000000FF;
            text->bold = true;
            card->AddText(std::move(text));
            card->deactivationList = "3";
            auto photo = std::make_unique<CFoto>();
            photo->fileName = "FOTOS\\PHOTO.BMP";
            photo->x = 80;
            photo->y = 60;
            card->AddPicture(std::move(photo));
            doc.GetCards().Add(std::move(card));
        }
        doc.identifier = "Ra\xEDz";
        doc.GetCards().captionField = "story";
        return Save(doc, "RICH.FCA");
    }

    // Reads an extracted manifest, lets `edit` change it and its first sprite, and writes it back.
    static void EditManifest(
        const std::string& path,
        const std::function<void(json::Value& manifest, json::Value& firstSprite)>& edit) {
        json::Value manifest;
        std::string error;
        Bytes text = ReadFileBytes(path);
        ASSERT_TRUE(json::Parse(std::string(text.begin(), text.end()), manifest, error)) << error;
        json::Value sprites = *manifest.Find("sprites");
        json::Value first = sprites.Items()[0];
        edit(manifest, first);
        json::Value rebuilt = json::Value::Array();
        rebuilt.Append(first);
        for (size_t i = 1; i < sprites.Size(); ++i) rebuilt.Append(sprites.Items()[i]);
        manifest.Set("sprites", rebuilt);
        std::string out = json::Write(manifest);
        WriteFileBytes(path, Bytes(out.begin(), out.end()));
    }

    struct Run {
        int status;
        std::string out, err;
    };
    static Run Call(int (*command)(const fcatool::Arguments&), const fcatool::Arguments& args) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        int status = command(args);
        Run r{status, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
        return r;
    }

    ScratchFolder folder;
};

TEST_F(TitleToolsTest, DumpPrintsTheTitleInUtf8WithKeysInOrder) {
    std::string title = RichTitle();
    Run r = Call(fcatool::RunDump, {title});
    ASSERT_EQ(r.status, 0) << r.err;
    json::Value v;
    std::string error;
    ASSERT_TRUE(json::Parse(r.out, v, error)) << error;
    std::vector<std::string> keys;
    for (const auto& m : v.Members()) keys.push_back(m.first);
    EXPECT_EQ(keys, (std::vector<std::string>{"leading_word", "identifier", "description", "background_music",
                                              "loop_music", "stop_previous_music", "background", "sprites",
                                              "work_directory", "caption_field", "cards"}));
    EXPECT_EQ(v.Find("identifier")->AsString(),
              "Ra\xC3\xAD"
              "z");
    const json::Value& sprite = v.Find("sprites")->Items()[0];
    EXPECT_EQ(sprite.Find("class")->AsString(), "CPhasedSprite");
    EXPECT_EQ(sprite.Find("height")->AsInteger(), 48) << "the whole sheet";
    EXPECT_EQ(sprite.Find("frames")->AsInteger(), 3);
    EXPECT_EQ(sprite.Find("text")->AsString(), "bot\xC3\xB3n");
    EXPECT_EQ(sprite.Find("file"), nullptr) << "dump names no files";
    EXPECT_EQ(v.Find("background")->Find("bits")->AsInteger(), 24);
    EXPECT_EQ(v.Find("cards")->Items()[0].Find("texts")->Items()[0].Find("rect")->Items()[3].AsInteger(), 80);
}

TEST_F(TitleToolsTest, HostileFilesPrintTheOpeningMessageAndExitOne) {
    std::string path = folder.Path("BAD.FCA");
    WriteFileBytes(path,
                   Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0xFF, 0xFF, 9, 0});
    for (auto command : {fcatool::RunDump, fcatool::RunCheck}) {
        Run r = Call(command, {path});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "Formato de archivo no esperado.\n");
        EXPECT_EQ(r.out, "");
    }
    Run extract = Call(fcatool::RunExtract, {path, folder.Path("out")});
    EXPECT_EQ(extract.status, 1);
    EXPECT_EQ(extract.err, "Formato de archivo no esperado.\n");
    Run missing = Call(fcatool::RunDump, {folder.Path("NONE.FCA")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("No se encontr"), std::string::npos);
}

TEST_F(TitleToolsTest, WrongCommandLinesExitTwo) {
    EXPECT_EQ(Call(fcatool::RunDump, {}).status, 2);
    EXPECT_EQ(Call(fcatool::RunRender, {"A.FCA", "--card", "x", "-o", "a.png"}).status, 2);
    EXPECT_EQ(Call(fcatool::RunRender, {"A.FCA", "-o", "a.png"}).status, 2);
    EXPECT_EQ(Call(fcatool::RunBuild, {"manifest.json"}).status, 2);
    EXPECT_EQ(Call(fcatool::RunExtract, {"A.FCA"}).status, 2);
    EXPECT_EQ(Call(fcatool::RunCheck, {"A.FCA", "B.FCA"}).status, 2);
}

TEST_F(TitleToolsTest, ExtractThenBuildGivesTheSameBytes) {
    std::string title = RichTitle();
    Bytes original = ReadFileBytes(title);
    const std::string dir = folder.Path("parts");
    Run extract = Call(fcatool::RunExtract, {title, dir});
    ASSERT_EQ(extract.status, 0) << extract.err;
    for (const char* name : {"manifest.json", "background.jpg", "sprite-0.pcx", "sprite-3.pcx"})
        EXPECT_TRUE(std::filesystem::exists(dir + "/" + name)) << name;
    Bytes jpeg = ReadFileBytes(dir + "/background.jpg");
    ASSERT_GT(jpeg.size(), 4u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    EXPECT_EQ(std::search(original.begin(), original.end(), jpeg.begin(), jpeg.end()) - original.begin(), 23)
        << "the JFIF bytes are cut exactly where the title holds them";
    Run build = Call(fcatool::RunBuild, {dir + "/manifest.json", "-o", folder.Path("AGAIN.FCA")});
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(ReadFileBytes(folder.Path("AGAIN.FCA")), original);
}

TEST_F(TitleToolsTest, NonZeroLeadingAndReservedWordsSurviveExtractAndBuild) {
    std::string title = RichTitle();
    const std::string dir = folder.Path("parts");
    ASSERT_EQ(Call(fcatool::RunExtract, {title, dir}).status, 0);
    // Words that only other writers put there: set them in the manifest.
    EditManifest(dir + "/manifest.json", [](json::Value& manifest, json::Value& first) {
        manifest.Set("leading_word", int64_t{0xCAFEBABE});
        first.Set("reserved_word", -7);
    });
    ASSERT_EQ(Call(fcatool::RunBuild, {dir + "/manifest.json", "-o", folder.Path("ODD.FCA")}).status, 0);

    Bytes odd = ReadFileBytes(folder.Path("ODD.FCA"));
    Run dump = Call(fcatool::RunDump, {folder.Path("ODD.FCA")});
    EXPECT_NE(dump.out.find("\"leading_word\": 3405691582"), std::string::npos);
    EXPECT_NE(dump.out.find("\"reserved_word\": -7"), std::string::npos);
    ASSERT_EQ(Call(fcatool::RunExtract, {folder.Path("ODD.FCA"), folder.Path("odd")}).status, 0);
    ASSERT_EQ(
        Call(fcatool::RunBuild, {folder.Path("odd/manifest.json"), "-o", folder.Path("ODD2.FCA")}).status, 0);
    EXPECT_EQ(ReadFileBytes(folder.Path("ODD2.FCA")), odd);
}

TEST_F(TitleToolsTest, BuildKeepsTheManifestsSpriteOrderWhateverThePlanes) {
    std::string title = RichTitle();
    const std::string dir = folder.Path("parts");
    ASSERT_EQ(Call(fcatool::RunExtract, {title, dir}).status, 0);
    // The front sprite moves behind all others but stays first, as a title from another writer may
    // hold it; a sheet of more frames than the bitmap has rows is dropped as loading drops it.
    EditManifest(dir + "/manifest.json", [](json::Value&, json::Value& first) {
        first.Set("plane", 90);
        first.Set("frames", 1000);
    });
    ASSERT_EQ(Call(fcatool::RunBuild, {dir + "/manifest.json", "-o", folder.Path("ORDER.FCA")}).status, 0);

    CFichaDoc doc(Variant::player);
    std::string message;
    ASSERT_TRUE(fcatool::LoadTitle(folder.Path("ORDER.FCA"), doc, false, nullptr, message)) << message;
    std::vector<int32_t> planes;
    for (CSprite* s : doc.GetSpriteList()) planes.push_back(s->GetPlane());
    EXPECT_EQ(planes, (std::vector<int32_t>{90, 20, 30, 40}));
    auto* front = dynamic_cast<CPhasedSprite*>(doc.GetSpriteList().GetAt(0));
    ASSERT_NE(front, nullptr);
    EXPECT_EQ(front->GetNumFrames(), 1);
    ASSERT_EQ(Call(fcatool::RunExtract, {folder.Path("ORDER.FCA"), folder.Path("order")}).status, 0);
    ASSERT_EQ(
        Call(fcatool::RunBuild, {folder.Path("order/manifest.json"), "-o", folder.Path("ORDER2.FCA")}).status,
        0);
    EXPECT_EQ(ReadFileBytes(folder.Path("ORDER2.FCA")), ReadFileBytes(folder.Path("ORDER.FCA")));
}

TEST_F(TitleToolsTest, AnOldLayoutCardComesBackInLayoutThreeWithTheSameContent) {
    // The 73-byte title's first 37 bytes, then a card of layout 1: file name, x, y, loop, automatic start
    // and the close flag inline, without lists.
    Bytes bytes = {0, 0, 0, 0, 0, 0, 0,    0,    0, 0, 0, 0, 0,   0,   0,   0,   0,   0,  0,
                   0, 0, 0, 0, 1, 0, 0xFF, 0xFF, 1, 0, 6, 0, 'C', 'F', 'i', 'c', 'h', 'a'};
    Bytes card = {1, 0, 0, 0, 5, 'a', '.', 'a', 'v', 'i', 7, 0, 0, 0, 9, 0, 0,
                  0, 1, 0, 0, 0, 0,   0,   0,   0,   1,   0, 0, 0, 0, 0, 0, 0};
    bytes.insert(bytes.end(), card.begin(), card.end());
    std::string title = folder.Path("OLD.FCA");
    WriteFileBytes(title, bytes);
    Run before = Call(fcatool::RunDump, {title});
    ASSERT_EQ(before.status, 0) << before.err;
    EXPECT_NE(before.out.find("\"version\": 1"), std::string::npos);
    ASSERT_EQ(Call(fcatool::RunExtract, {title, folder.Path("old")}).status, 0);
    ASSERT_EQ(
        Call(fcatool::RunBuild, {folder.Path("old/manifest.json"), "-o", folder.Path("NEW.FCA")}).status, 0);
    Run after = Call(fcatool::RunDump, {folder.Path("NEW.FCA")});
    ASSERT_EQ(after.status, 0);
    std::string expected = before.out;
    expected.replace(expected.find("\"version\": 1"), 12, "\"version\": 3");
    EXPECT_EQ(after.out, expected);
    EXPECT_EQ(ReadFileBytes(folder.Path("NEW.FCA")).size(), bytes.size() + 7)
        << "layout 3 adds the video's leading word, the sprites-on-close string and the two lists";
}

TEST_F(TitleToolsTest, BuildRefusesBrokenManifestsWithoutTouchingTheOutput) {
    std::string title = RichTitle();
    const std::string dir = folder.Path("parts");
    ASSERT_EQ(Call(fcatool::RunExtract, {title, dir}).status, 0);
    WriteFileBytes(folder.Path("OUT.FCA"), Bytes{1, 2, 3});
    Bytes pcx = ReadFileBytes(dir + "/sprite-1.pcx");
    pcx.push_back(0);
    WriteFileBytes(dir + "/sprite-1.pcx", pcx);
    Run trailing = Call(fcatool::RunBuild, {dir + "/manifest.json", "-o", folder.Path("OUT.FCA")});
    EXPECT_EQ(trailing.status, 1);
    EXPECT_NE(trailing.err.find("sprite-1.pcx: 1 bytes follow the image"), std::string::npos) << trailing.err;
    WriteFileBytes(dir + "/manifest.json", Bytes{'{', '"', 'a'});
    Run broken = Call(fcatool::RunBuild, {dir + "/manifest.json", "-o", folder.Path("OUT.FCA")});
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(ReadFileBytes(folder.Path("OUT.FCA")), (Bytes{1, 2, 3}));
}

TEST_F(TitleToolsTest, BuildRefusesTextRectanglesThatAreNotFourWholeNumbers) {
    std::string title = RichTitle();
    const std::string dir = folder.Path("parts");
    ASSERT_EQ(Call(fcatool::RunExtract, {title, dir}).status, 0);
    Bytes bytes = ReadFileBytes(dir + "/manifest.json");
    const std::string manifest(bytes.begin(), bytes.end());
    const std::string rect = "[5, 50, 70, 80]";
    ASSERT_NE(manifest.find(rect), std::string::npos);
    for (const char* bad : {"[5, \"50\", 70, 80]", "[5, 50, 70, 4294967376]", "[5, null, 70, 80]"}) {
        std::string text = manifest;
        text.replace(text.find(rect), rect.size(), bad);
        WriteFileBytes(dir + "/manifest.json", Bytes(text.begin(), text.end()));
        Run r = Call(fcatool::RunBuild, {dir + "/manifest.json", "-o", folder.Path("OUT.FCA")});
        EXPECT_EQ(r.status, 1) << bad;
        EXPECT_NE(r.err.find("card 0 text: rect must hold 4 numbers"), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(folder.Path("OUT.FCA")));
    }
}

TEST_F(TitleToolsTest, RenderComposesTheCardAsThePlayerShowsIt) {
    fcatool::EnsureTextDrawing();
    std::string title = RichTitle();
    const std::string png = folder.Path("card0.png");
    Run r = Call(fcatool::RunRender, {title, "--card", "0", "-o", png});
    ASSERT_EQ(r.status, 0) << r.err;
    QImage rendered(QString::fromStdString(png));
    ASSERT_FALSE(rendered.isNull());
    EXPECT_EQ(rendered.width(), 120);
    EXPECT_EQ(rendered.height(), 90);

    // The same card composed by hand: the picture proxy from the document, sprite 3 hidden as the
    // card's deactivation list says, the knob shown because the text needs scrolling, then the text.
    CFichaDoc doc(Variant::player);
    Bytes bytes = ReadFileBytes(title);
    platform::MemoryFile file(bytes, title);
    ASSERT_TRUE(doc.Load(file));
    doc.SetPathName(title);
    ASSERT_TRUE(doc.GoToCard(0));
    ASSERT_NE(doc.GetSpriteList().FindByNumber(PictureProxyNumber(0, false)), nullptr)
        << "the picture resolves in FOTOS\\ or beside";
    doc.GetSpriteList().FindByNumber(3)->SetVisible(false);
    const CTexto* story = doc.CardAt(0)->TextAt(0);
    ASSERT_GE(story->CountBreaks(), story->VisibleLines()) << "the fixture's text must need scrolling";
    CAnimView view;
    view.SetScene(&doc);
    ASSERT_TRUE(view.NewBackground(*doc.GetBackground()));
    view.Render(std::nullopt);
    QImage expected =
        platform::DibViewToQImage(view.GetBuffer()->View()).convertToFormat(QImage::Format_RGB32);
    view.SetScene(nullptr);
    {
        platform::QtDeviceContext dc(expected);
        story->Draw(dc);
    }
    EXPECT_EQ(rendered.convertToFormat(QImage::Format_RGB32), expected);

    // What the composition must show: the background where the front sprite is transparent, the front
    // sprite over the one behind, the picture, no sprite 3, and red text somewhere.
    auto at = [&](int x, int y) { return rendered.pixel(x, y) & 0xFFFFFF; };
    auto background = [&](int x, int y) { return PixelAt(*doc.GetBackground(), x, y); };
    EXPECT_EQ(at(15, 15), background(15, 15)) << "a transparent pixel of sprite 1 shows the background";
    EXPECT_EQ(at(25, 20), SpriteColour(1, 0)) << "sprite 1 lies in front of sprite 2";
    EXPECT_EQ(at(82, 61), 0x0201FAu) << "the picture's pixel (2, 1)";
    EXPECT_EQ(at(65, 45), background(65, 45)) << "sprite 3 is hidden by the card";
    bool red = false;
    for (int y = 50; y < 80 && !red; ++y)
        for (int x = 5; x < 70 && !red; ++x) red = (at(x, y) >> 16) > 200 && (at(x, y) & 0xFFFF) < 0x4040;
    EXPECT_TRUE(red) << "the text is drawn in red";

    EXPECT_EQ(Call(fcatool::RunRender, {title, "--card", "2", "-o", png}).status, 1);
}

TEST_F(TitleToolsTest, CheckListsWhatWouldGoWrong) {
    std::string title = RichTitle();
    Run clean = Call(fcatool::RunCheck, {title});
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_EQ(clean.out, "");

    CFichaDoc other(Variant::player);
    other.GetCards().Add(std::make_unique<CFicha>());
    Save(other, "OTHER.FCA");
    CFichaDoc doc(Variant::player);
    auto opener = MakeSprite(1, 0, 0, 50);
    opener->SetClickAction(kActionOpenCard);
    opener->SetClickArgument(0, "other");
    opener->SetClickArgument(1, "3");
    doc.GetSpriteList().Insert(std::move(opener));
    auto scroller = MakeSprite(2, 0, 0, 50);
    scroller->SetClickAction(kActionTextLineDown);
    scroller->SetClickArgument(0, "nowhere");
    doc.GetSpriteList().Insert(std::move(scroller));
    auto sound = MakeSprite(3, 0, 0, 50);
    sound->SetMoveAction(kMoveActionPlaySound);
    sound->SetMoveArgument(0, "C:\\SND\\MISSING.WAV");
    doc.GetSpriteList().Insert(std::move(sound));
    auto card = std::make_unique<CFicha>();
    card->activationList = "1,42";
    auto photo = std::make_unique<CFoto>();
    photo->fileName = "gone.jpg";
    card->AddPicture(std::move(photo));
    doc.GetCards().Add(std::move(card));
    Run r = Call(fcatool::RunCheck, {Save(doc, "FAULTY.FCA")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "card 0: picture \"gone.jpg\" not found\n"
              "card 0: activation list names sprite 42, which no sprite has\n"
              "sprite 3: move sound \"C:\\SND\\MISSING.WAV\" not found\n"
              "sprite 2: text \"nowhere\" is on no card\n"
              "sprite 1: open a card: card index 2 is out of range (\"other.fca\" has 1 cards)\n");
}

}  // namespace
