#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QToolButton>

#include "editor/SpriteSheets.h"
#include "engine/PhasedSprite.h"
#include "engine/SpriteList.h"
#include "model/Actions.h"
#include "tests/editor/SheetTestSupport.h"

namespace {

using editor_test::Click;
using editor_test::LabelOf;
using editor_test::Type;
using sheet_test::Press;
using sheet_test::SheetTest;
using Ok = QDialogButtonBox::StandardButton;

// A sprite that records each setter the sheets write it through, in order. When the click action is
// written it also notes the animation settings, which must have been written before it.
class RecordingSprite : public CPhasedSprite {
  public:
    RecordingSprite() {
        Create(8, 18, 3);
        ComputeTransparentColour();
        CPhasedSprite::SetNumFrames(3);
    }
    void SetNumber(int32_t n) override { Note("number " + std::to_string(n)), CPhasedSprite::SetNumber(n); }
    void SetText(const std::string& t) override { Note("text " + t), CPhasedSprite::SetText(t); }
    void SetPosition(int32_t x, int32_t y) override {
        Note("position " + std::to_string(x) + "," + std::to_string(y));
        CPhasedSprite::SetPosition(x, y);
    }
    void SetPlane(int32_t p) override { Note("plane " + std::to_string(p)), CPhasedSprite::SetPlane(p); }
    bool SetNumFrames(int32_t n) override {
        Note("frames " + std::to_string(n));
        return CPhasedSprite::SetNumFrames(n);
    }
    void SetTransparent(bool on) override {
        Note("transparent " + Flag(on)), CPhasedSprite::SetTransparent(on);
    }
    void SetSensibleRect(bool on) override {
        Note("sensible " + Flag(on)), CPhasedSprite::SetSensibleRect(on);
    }
    void SetVisible(bool on) override { Note("visible " + Flag(on)), CPhasedSprite::SetVisible(on); }
    void SetDisabled(bool on) override { Note("disabled " + Flag(on)), CPhasedSprite::SetDisabled(on); }
    void SetClickAction(int32_t a) override {
        Note("interval " + std::to_string(GetInterval()) + " always " + Flag(IsAlwaysAnimated()) +
             " animated " + Flag(IsAnimated()));
        Note("click " + std::to_string(a));
        CPhasedSprite::SetClickAction(a);
    }
    void SetClickArguments(const Arguments& v) override {
        Note("click args " + Join(v)), CSprite::SetClickArguments(v);
    }
    void SetMoveAction(int32_t a) override {
        Note("move " + std::to_string(a)), CPhasedSprite::SetMoveAction(a);
    }
    void SetMoveArguments(const Arguments& v) override {
        Note("move args " + Join(v)), CSprite::SetMoveArguments(v);
    }

    std::vector<std::string> calls;

  private:
    void Note(const std::string& call) { calls.push_back(call); }
    static std::string Flag(bool on) { return on ? "1" : "0"; }
    static std::string Join(const Arguments& v) { return v[0] + "|" + v[1] + "|" + v[2] + "|" + v[3]; }
};

// Picks entry `index` of a drop-down list with the keyboard.
void Choose(QComboBox& list, int index) {
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Home);
    for (int i = 0; i < index; ++i) QTest::keyClick(&list, Qt::Key_Down);
    ASSERT_EQ(list.currentIndex(), index);
}

class SpriteSheetsTest : public SheetTest {
  protected:
    void SetUp() override {
        SheetTest::SetUp();
        sprite.SetClickAction(kActionShowSprites);
        sprite.SetClickArguments({"1,2", "", "", ""});
        sprite.SetMoveAction(kMoveActionPlaySound);
        sprite.SetMoveArguments({"a.wav", "", "", ""});
        sprite.SetText("old");
        sprite.SetNumber(4);
        sprite.calls.clear();
    }
    RecordingSprite sprite;
};

TEST_F(SpriteSheetsTest, OkWritesTheTypedFieldsInTheirOrderAndAPageNeverShownKeepsItsValues) {
    SpriteSheet sheet(SpriteSheet::Kind::properties, sprite, &doc);
    sheet.show();
    SpriteConfigPage& page = *sheet.Config();
    ASSERT_EQ(sheet.Tabs()->currentWidget(), &page);
    Type(page.Number(), "7");
    Type(page.Text(), "Hola");
    Type(page.X(), "700");  // beyond the arrows' 640
    Type(page.Y(), "5");
    Type(page.Plane(), "3");
    Type(page.Frames(), "2");
    for (QCheckBox* box : {&page.Transparent(), &page.SensibleRect(), &page.Visible(), &page.Disabled()})
        Click(*box);
    Choose(page.Interval(), 3);
    Press(sheet, Ok::Ok);

    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sprite.calls,
              (std::vector<std::string>{"number 7", "text Hola", "position 700,5", "plane 3", "frames 2",
                                        "transparent 1", "sensible 1", "visible 0", "disabled 1",
                                        "interval 3 always 0 animated 0", "click 24", "click args 1,2|||",
                                        "move 5", "move args a.wav|||"}));
    EXPECT_EQ(sprite.GetX(), 700) << "a typed number beyond the spin range is stored";
    EXPECT_EQ(sprite.GetCellHeight(), 9) << "two frames of an 18 pixel sheet";
}

TEST_F(SpriteSheetsTest, CancelAfterEditingEveryPageLeavesTheSpriteAsItWas) {
    SpriteSheet sheet(SpriteSheet::Kind::properties, sprite, &doc);
    sheet.show();
    Type(sheet.Config()->X(), "33");
    Click(sheet.Config()->AlwaysAnimated());
    sheet.Tabs()->setCurrentWidget(sheet.EventsPage());
    Choose(sheet.Click()->Action(), kActionEndProgram);
    Type(sheet.Move()->Argument(0), "b.wav");
    Press(sheet, Ok::Cancel);
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_TRUE(sprite.calls.empty());
    EXPECT_EQ(sprite.GetClickAction(), kActionShowSprites);
    EXPECT_FALSE(sprite.IsAlwaysAnimated());
}

TEST_F(SpriteSheetsTest, TheAnimationChecksCoupleOnlyOnTheAuthorsClicks) {
    SpriteSheet dialog(SpriteSheet::Kind::configuration, sprite, &doc);
    dialog.show();
    SpriteConfigPage& page = *dialog.Config();
    Click(page.AlwaysAnimated());
    EXPECT_TRUE(page.AlwaysAnimated().isChecked());
    EXPECT_TRUE(page.Animated().isChecked()) << "always animated ticks animated";
    Click(page.Animated());
    EXPECT_FALSE(page.Animated().isChecked());
    EXPECT_FALSE(page.AlwaysAnimated().isChecked()) << "unticking animated clears both";
    Click(page.Animated());
    EXPECT_FALSE(page.AlwaysAnimated().isChecked()) << "ticking animated leaves always animated alone";
    Click(page.AlwaysAnimated());
    Click(page.AlwaysAnimated());
    EXPECT_TRUE(page.Animated().isChecked()) << "unticking always animated leaves animated alone";
    Press(dialog, Ok::Ok);
    EXPECT_TRUE(sprite.IsAnimated());
    EXPECT_FALSE(sprite.IsAlwaysAnimated());
    EXPECT_EQ(dialog.windowTitle(), "Sprite configuration");
    EXPECT_EQ(dialog.Tabs(), nullptr);
    EXPECT_EQ(dialog.Click(), nullptr) << "the dialog has no events";
    EXPECT_EQ(sprite.GetClickAction(), kActionShowSprites);
}

TEST_F(SpriteSheetsTest, TheArrowsStopAtTheirRangesWhateverWasTyped) {
    SpriteSheet dialog(SpriteSheet::Kind::configuration, sprite, &doc);
    dialog.show();
    SpriteConfigPage& page = *dialog.Config();
    struct Range {
        DialogIntegerField* edit;
        int low, high;
    };
    for (Range r : {Range{&page.X(), 0, 640}, Range{&page.Y(), 0, 480}, Range{&page.Plane(), 0, 50},
                    Range{&page.Frames(), 1, 10}}) {
        Type(*r.edit, QString::number(r.high - 1));
        QTest::keyClick(r.edit, Qt::Key_Up);
        QTest::keyClick(r.edit, Qt::Key_Up);
        EXPECT_EQ(r.edit->Value(), r.high) << LabelOf(*r.edit).toStdString();
        Type(*r.edit, QString::number(r.low + 1));
        QTest::keyClick(r.edit, Qt::Key_Down);
        QTest::keyClick(r.edit, Qt::Key_Down);
        EXPECT_EQ(r.edit->Value(), r.low) << LabelOf(*r.edit).toStdString();
        Type(*r.edit, QString::number(r.high + 100));
        EXPECT_EQ(r.edit->Value(), r.high + 100) << "typing is not limited";
        QTest::keyClick(r.edit, Qt::Key_Up);
        EXPECT_EQ(r.edit->Value(), r.high) << "an arrow brings a typed value back into the range";
    }
    EXPECT_EQ(page.Number().buttonSymbols(), QAbstractSpinBox::NoButtons) << "the number has no arrows";
    Type(page.Number(), "5");
    QTest::keyClick(&page.Number(), Qt::Key_Up);
    EXPECT_EQ(page.Number().Value(), 5) << "nor does the Up key step it";
}

TEST_F(SpriteSheetsTest, ANonIntegerIsRefusedWithTheFrameworksMessageAndTheSheetStaysOnTheField) {
    SpriteSheet sheet(SpriteSheet::Kind::properties, sprite, &doc);
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    Type(sheet.Config()->Y(), "12a");
    sheet.Tabs()->setCurrentWidget(sheet.EventsPage());
    EXPECT_EQ(sheet.Tabs()->currentWidget(), sheet.Config())
        << "the page is not left while a field is refused";
    EXPECT_EQ(Messages(), (std::vector<std::string>{"Please enter an integer."}));
    EXPECT_EQ(box.shown.at(0).icon, platform::MessageIcon::exclamation);
    EXPECT_TRUE(sheet.Config()->Y().hasFocus());
    Press(sheet, Ok::Ok);
    EXPECT_EQ(box.shown.size(), 2u);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_TRUE(sheet.Config()->Y().hasFocus());
    EXPECT_TRUE(sprite.calls.empty()) << "nothing is written while a field is refused";

    for (const char* text : {"", "-", "1 2", "99999999999", "0x10"}) {
        Type(sheet.Config()->Y(), text);
        Press(sheet, Ok::Ok);
        EXPECT_TRUE(sheet.isVisible()) << text;
    }
    Type(sheet.Config()->Y(), " -12 ");
    Press(sheet, Ok::Ok);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sprite.GetY(), -12);
}

TEST_F(SpriteSheetsTest, ANegativeNumberOrMoreFramesThanTheSheetHasRowsAreRefused) {
    SpriteSheet dialog(SpriteSheet::Kind::configuration, sprite, &doc);
    dialog.show();
    Type(dialog.Config()->Number(), "-1");
    Press(dialog, Ok::Ok);
    Type(dialog.Config()->Number(), "0");
    Type(dialog.Config()->Frames(), "19");  // the sheet is 18 pixels high
    Press(dialog, Ok::Ok);
    Type(dialog.Config()->Frames(), "0");
    Press(dialog, Ok::Ok);
    ASSERT_EQ(box.shown.size(), 3u);
    EXPECT_NE(box.shown[0].text.find("0 or more"), std::string::npos);
    EXPECT_NE(box.shown[1].text.find("from 1 to 18 frames"), std::string::npos);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(sprite.calls.empty());
    Type(dialog.Config()->Frames(), "18");
    Press(dialog, Ok::Ok);
    EXPECT_EQ(sprite.GetNumFrames(), 18) << "beyond the arrows' 10, within the sheet";
    EXPECT_EQ(sprite.GetNumber(), 0);
}

TEST_F(SpriteSheetsTest, TheEventsSheetStoresTheActionsPositionInItsList) {
    SpriteSheet sheet(SpriteSheet::Kind::events, sprite, &doc);
    sheet.show();
    EXPECT_EQ(sheet.windowTitle(), QString::fromUtf8("Eventos del rat\u00f3n"));
    ASSERT_EQ(sheet.Tabs()->count(), 2);
    EXPECT_EQ(sheet.Tabs()->tabText(0), "Click");
    EXPECT_EQ(sheet.Tabs()->tabText(1), "Move");
    EXPECT_EQ(LabelOf(sheet.Click()->Argument(0)), "Arg # &1 :");
    EXPECT_EQ(LabelOf(sheet.Move()->Argument(3)), "Arg #  &4 :");
    EXPECT_EQ(LabelOf(sheet.Click()->Action()), "Action :");
    QComboBox& click = sheet.Click()->Action();
    ASSERT_EQ(click.count(), kClickActionCount);
    for (int i = 0; i < click.count(); ++i) EXPECT_EQ(click.itemText(i), kClickActionLabels[size_t(i)]);
    ASSERT_EQ(sheet.Move()->Action().count(), kMoveActionCount);
    EXPECT_EQ(sheet.Move()->Action().itemText(5), "Sound - Play a sound");

    Choose(click, 31);
    EXPECT_EQ(click.currentText(), "Other - End the program");
    sheet.Tabs()->setCurrentIndex(1);
    Choose(sheet.Move()->Action(), 0);
    Press(sheet, Ok::Ok);
    EXPECT_EQ(sprite.GetClickAction(), 31);
    EXPECT_EQ(sprite.GetMoveAction(), 0);
    EXPECT_EQ(sprite.calls, (std::vector<std::string>{"interval 0 always 0 animated 0", "click 31",
                                                      "click args 1,2|||", "move 0", "move args a.wav|||"}))
        << "the events sheet writes no configuration";

    SpriteSheet again(SpriteSheet::Kind::properties, sprite, &doc);
    again.show();
    again.Tabs()->setCurrentWidget(again.EventsPage());
    Choose(again.Click()->Action(), 11);
    Choose(again.Move()->Action(), 5);
    EXPECT_EQ(again.Click()->Action().currentText(), "Sound - Play a sound");
    Press(again, Ok::Ok);
    EXPECT_EQ(sprite.GetClickAction(), 11);
    EXPECT_EQ(sprite.GetMoveAction(), 5);
}

TEST_F(SpriteSheetsTest, TheSheetsCaptionsPagesAndLabels) {
    SpriteSheet sheet(SpriteSheet::Kind::properties, sprite, &doc);
    EXPECT_EQ(sheet.windowTitle(), "Sprite properties");
    ASSERT_EQ(sheet.Tabs()->count(), 2);
    EXPECT_EQ(sheet.Tabs()->tabText(0), "Configuration");
    EXPECT_EQ(sheet.Tabs()->tabText(1), "Events");
    std::vector<QString> groups;
    for (QGroupBox* box : sheet.EventsPage()->findChildren<QGroupBox*>()) groups.push_back(box->title());
    EXPECT_EQ(groups, (std::vector<QString>{"&Click", "&Move"}));
    EXPECT_EQ(LabelOf(sheet.Move()->Argument(2)), "3 :");
    SpriteConfigPage& page = *sheet.Config();
    EXPECT_EQ(LabelOf(page.Number()), "&Sprite #:");
    EXPECT_EQ(LabelOf(page.Text()), "Sprite &text :");
    EXPECT_EQ(LabelOf(page.Frames()), "# of &Frames :");
    EXPECT_EQ(page.AlwaysAnimated().text(), "Al&ways animated");
    EXPECT_EQ(page.SensibleRect().text(), "Sensible &rect");
    std::vector<QString> intervals;
    for (int i = 0; i < page.Interval().count(); ++i) intervals.push_back(page.Interval().itemText(i));
    EXPECT_EQ(intervals, (std::vector<QString>{"1/4 segundo", "1/2 segundo", "1 segundo", "2 segundos",
                                               "3 segundos", "4 segundos", "5 segundos"}));
}

TEST_F(SpriteSheetsTest, AStoredCodeOutsideTheListsIsKeptUnlessAnotherIsChosen) {
    sprite.SetClickAction(77);
    sprite.SetInterval(9);
    sprite.calls.clear();
    SpriteSheet sheet(SpriteSheet::Kind::properties, sprite, &doc);
    sheet.show();
    EXPECT_EQ(sheet.Click()->Action().currentIndex(), -1);
    Press(sheet, Ok::Ok);
    EXPECT_EQ(sprite.GetClickAction(), 77);
    EXPECT_EQ(sprite.GetInterval(), 9);
}

TEST_F(SpriteSheetsTest, ThePlaneGoesThroughTheSpritesSetterSoTheListKeepsItsOrder) {
    CPhasedSprite& front = AddSprite(1, 10);
    CPhasedSprite& back = AddSprite(2, 20);
    ASSERT_EQ(doc.GetSpriteList().GetAt(0), &front);
    SpriteSheet dialog(SpriteSheet::Kind::configuration, back, &doc);
    dialog.show();
    Type(dialog.Config()->Plane(), "5");
    Press(dialog, Ok::Ok);
    EXPECT_EQ(doc.GetSpriteList().GetAt(0), &back);
}

}  // namespace

namespace {

TEST_F(SpriteSheetsTest, CtrlTabTurnsThePagesFromAnyField) {
    SpriteSheet sheet(SpriteSheet::Kind::properties, sprite, &doc);
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    EXPECT_TRUE(sheet.Config()->Number().hasFocus()) << "the sheet opens on its first field";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet.Tabs()->currentWidget(), sheet.EventsPage());
    QTest::keyClick(&sheet, Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(sheet.Click()->Action().hasFocus()) << "Alt+C goes to the click action";
}

}  // namespace
