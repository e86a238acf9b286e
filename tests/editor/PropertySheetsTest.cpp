#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>

#include "editor/CommandIds.h"
#include "editor/EditorClipboard.h"
#include "editor/EditorCommands.h"
#include "editor/QtEditorDialogs.h"
#include "editor/ScreenCardSheet.h"
#include "editor/SpriteSheets.h"
#include "editor/SpritesListDlg.h"
#include "engine/PhasedSprite.h"
#include "tests/editor/EditorTestSupport.h"
#include "tests/editor/FrameTestSupport.h"
#include "tests/editor/SheetTestSupport.h"

namespace {

using editor_test::Click;
using editor_test::Type;
using sheet_test::Press;
using sheet_test::SheetTest;
using test_support::WhenModal;
using Ok = QDialogButtonBox::StandardButton;

// The rows of the sprites list as text, cells joined by "|".
std::vector<std::string> Rows(QTreeWidget& list) {
    std::vector<std::string> rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < list.columnCount(); ++c) cells << list.topLevelItem(i)->text(c);
        rows.push_back(cells.join("|").toStdString());
    }
    return rows;
}

// A double click on a row: the first click presses the row, the second is the double click.
void DoubleClickRow(QTreeWidget& list, int row) {
    const QPoint center = list.visualItemRect(list.topLevelItem(row)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, center);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, center);
}

class SpritesListTest : public SheetTest {};

TEST_F(SpritesListTest, TheListShowsTheAuthoredSpritesFrontMostFirst) {
    AddSprite(2, 30).SetText("back");
    CPhasedSprite& front = AddSprite(7, 10);
    front.SetText("front");
    front.SetVisible(false);
    AddSprite(0, 20).SetDisabled(true);
    AddSprite(-1, 5);  // the video's stand-in
    AddSprite(-3, 1);  // a picture's
    SpritesListDlg dialog(doc.GetSpriteList(), &doc);
    dialog.show();
    QTreeWidget& list = dialog.List();
    EXPECT_EQ(dialog.windowTitle(), "Sprites list");
    ASSERT_EQ(list.columnCount(), 4);
    const std::vector<std::pair<QString, int>> columns = {
        {"Texto", 220}, {"ID", 50}, {"Visible", 50}, {"Habilitado", 60}};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(list.headerItem()->text(c), columns[size_t(c)].first);
        EXPECT_EQ(list.columnWidth(c), columns[size_t(c)].second);
    }
    EXPECT_EQ(Rows(list), (std::vector<std::string>{"front|7|No|Si", "|0|Si|No", "back|2|Si|Si"}))
        << "a number below 0 is never listed";
    Press(dialog, Ok::Close);
    EXPECT_FALSE(dialog.Changed());
}

TEST_F(SpritesListTest, ADoubleClickOpensTheSpritesSheetAndTheRowShowsWhatWasConfirmed) {
    CPhasedSprite& first = AddSprite(1, 10);
    CPhasedSprite& second = AddSprite(2, 20);
    SpritesListDlg dialog(doc.GetSpriteList(), &doc);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    WhenModal(
        [](QDialog& sheet) {
            auto& sprite = dynamic_cast<SpriteSheet&>(sheet);
            EXPECT_EQ(sheet.windowTitle(), "Sprite properties");
            EXPECT_EQ(sprite.Config()->Number().Value(), 2);
            Press(sheet, Ok::Cancel);
        },
        &dialog);
    DoubleClickRow(dialog.List(), 1);
    EXPECT_FALSE(dialog.Changed()) << "a cancelled sheet changes nothing";

    WhenModal(
        [](QDialog& sheet) {
            auto& sprite = dynamic_cast<SpriteSheet&>(sheet);
            Type(sprite.Config()->Text(), "moved");
            Type(sprite.Config()->Plane(), "5");
            Click(sprite.Config()->Disabled());
            Press(sheet, Ok::Ok);
        },
        &dialog);
    DoubleClickRow(dialog.List(), 1);
    EXPECT_TRUE(dialog.Changed());
    EXPECT_EQ(second.GetText(), "moved");
    EXPECT_EQ(Rows(dialog.List()), (std::vector<std::string>{"moved|2|Si|No", "|1|Si|Si"}))
        << "the new plane brings the sprite to the front";
    EXPECT_EQ(first.GetPlane(), 10);
}

// The sheets as the editor opens them: through its dialogs, modally, from its commands.
class OpenedByCommandsTest : public SheetTest {
  protected:
    void SetUp() override {
        SheetTest::SetUp();
        sprite = &AddSprite(4, 12);
        view.sprite = sprite;
    }
    size_t Steps() const { return doc.GetUndoHistory().UndoCount(); }

    editor_test::FakeCardView view{doc};
    EditorClipboard clipboard;
    QtEditorDialogs dialogs{nullptr, &doc};
    CEditorCommands commands{doc, &view, clipboard, dialogs};
    CPhasedSprite* sprite = nullptr;
};

TEST_F(OpenedByCommandsTest, CancelLeavesTheSpriteAndNoUndoStepAndOkLeavesOne) {
    for (int id : {cmd::kSpriteProperties, cmd::kSpriteConfiguration, cmd::kSpriteEvents}) {
        WhenModal([](QDialog& sheet) {
            auto& sprites = dynamic_cast<SpriteSheet&>(sheet);
            if (sprites.Config()) Type(sprites.Config()->X(), "99");
            if (sprites.Click()) sprites.Click()->Action().setCurrentIndex(kActionNextCard);
            Press(sheet, Ok::Cancel);
        });
        ASSERT_TRUE(commands.RunCommand(id));
        EXPECT_EQ(Steps(), 0u) << id;
    }
    EXPECT_EQ(sprite->GetX(), 10);
    EXPECT_EQ(sprite->GetClickAction(), kActionNone);
    EXPECT_FALSE(doc.IsModified());

    WhenModal([](QDialog& sheet) {
        auto& sprites = dynamic_cast<SpriteSheet&>(sheet);
        sprites.Tabs()->setCurrentWidget(sprites.EventsPage());
        sprites.Click()->Action().setCurrentIndex(kActionNextCard);
        Press(sheet, Ok::Ok);
    });
    ASSERT_TRUE(commands.RunCommand(cmd::kSpriteProperties));
    EXPECT_EQ(sprite->GetClickAction(), kActionNextCard);
    EXPECT_EQ(Steps(), 1u);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(OpenedByCommandsTest, TheScreenSheetWritesTheTitleAndTheCardOnOkOnly) {
    doc.identifier = "id";
    doc.CardAt(0)->activationList = "4";
    WhenModal([](QDialog& sheet) {
        auto& screen = dynamic_cast<ScreenCardSheet&>(sheet);
        EXPECT_EQ(screen.windowTitle(), "Screen/card properties");
        EXPECT_EQ(screen.Identifier().text(), "id");
        Type(screen.Identifier(), "changed");
        Press(sheet, Ok::Cancel);
    });
    ASSERT_TRUE(commands.RunCommand(cmd::kScreenProperties));
    EXPECT_EQ(doc.identifier, "id");
    EXPECT_EQ(Steps(), 0u);

    WhenModal([](QDialog& sheet) {
        auto& screen = dynamic_cast<ScreenCardSheet&>(sheet);
        Type(screen.Description(), "Descripci");
        QTest::sendKeyEvent(QTest::Click, &screen.Description(), Qt::Key_Oacute, QString::fromUtf8("\u00f3"),
                            Qt::NoModifier);
        QTest::keyClick(&screen.Description(), Qt::Key_N);
        Type(screen.Music(), "music.wav");
        Click(screen.Loop());
        Click(screen.StopPrevious());
        // The card page is never brought to the front: its lists are written as they were.
        Press(sheet, Ok::Ok);
    });
    ASSERT_TRUE(commands.RunCommand(cmd::kScreenProperties));
    EXPECT_EQ(doc.description, "Descripci\xF3n") << "stored in the title's code page";
    EXPECT_EQ(doc.backgroundMusic, "music.wav");
    EXPECT_EQ(doc.loopMusic, 1u);
    EXPECT_EQ(doc.stopPreviousMusic, 1u);
    EXPECT_EQ(doc.CardAt(0)->activationList, "4");
    EXPECT_EQ(Steps(), 1u);
}

TEST_F(OpenedByCommandsTest, TheSpritesListConfirmedIsOneUndoStep) {
    WhenModal([](QDialog& list) {
        auto& sprites = dynamic_cast<SpritesListDlg&>(list);
        WhenModal(
            [](QDialog& sheet) {
                Type(dynamic_cast<SpriteSheet&>(sheet).Config()->Text(), "from the list");
                Press(sheet, Ok::Ok);
            },
            &list);
        DoubleClickRow(sprites.List(), 0);
        Press(list, Ok::Close);
    });
    ASSERT_TRUE(commands.RunCommand(cmd::kSpritesList));
    EXPECT_EQ(sprite->GetText(), "from the list");
    EXPECT_EQ(Steps(), 1u);
    EXPECT_TRUE(doc.IsModified());
}

class ScreenCardSheetTest : public SheetTest {
  protected:
    ScreenCardFields fields{"id", "desc", "m.wav", true, false, true, "1,2", ""};
};

TEST_F(ScreenCardSheetTest, ListsOfMoreThanTenAreRefusedOnTheCardPage) {
    ScreenCardSheet sheet(fields, &doc);
    sheet.show();
    EXPECT_EQ(sheet.Tabs().tabText(0), "Screen");
    EXPECT_EQ(sheet.Tabs().tabText(1), "Card");
    sheet.Tabs().setCurrentIndex(1);
    Type(sheet.Deactivate(), "1,2,3,4,5,6,7,8,9,10,11");
    Type(sheet.Identifier(), "new");
    sheet.Tabs().setCurrentIndex(0);
    Press(sheet, Ok::Ok);
    ASSERT_EQ(box.shown.size(), 1u);
    EXPECT_NE(box.shown[0].text.find("sprites to deactivate holds 11"), std::string::npos);
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.Tabs().currentIndex(), 1);
    EXPECT_EQ(fields.identifier, "id") << "nothing is written while a list is refused";
    Type(sheet.Deactivate(), "3");
    Press(sheet, Ok::Ok);
    EXPECT_EQ(fields.identifier, "new");
    EXPECT_EQ(fields.deactivationList, "3");
    EXPECT_EQ(fields.activationList, "1,2");
}

TEST_F(ScreenCardSheetTest, WithoutACurrentCardTheCardPageEditsNothing) {
    fields.hasCard = false;
    fields.activationList.clear();
    ScreenCardSheet sheet(fields, &doc);
    sheet.show();
    EXPECT_FALSE(sheet.CardPage().isEnabled());
    Press(sheet, Ok::Ok);
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(fields.activationList, "");
}

TEST_F(ScreenCardSheetTest, TheCardListsAreChosenAmongTheSpritesAndTheMusicBrowsed) {
    AddSprite(5, 10);
    AddSprite(6, 10);
    ScreenCardSheet sheet(fields, &doc);
    sheet.show();
    sheet.Tabs().setCurrentIndex(1);
    ASSERT_NE(sheet.ChooseActivate(), nullptr);
    WhenModal([](QDialog& chooser) {
        auto* list = chooser.findChild<QListWidget*>();
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->count(), 2);
        list->item(1)->setSelected(true);
        Press(chooser, Ok::Ok);
    });
    QTest::mouseClick(sheet.ChooseDeactivate(), Qt::LeftButton);
    EXPECT_EQ(sheet.Deactivate().text(), "6");
    sheet.Tabs().setCurrentIndex(0);
    files.answers = {std::nullopt};
    QTest::mouseClick(&sheet.BrowseMusic(), Qt::LeftButton);
    EXPECT_EQ(sheet.Music().text(), "m.wav") << "a cancelled Browse changes nothing";
    Press(sheet, Ok::Ok);
    EXPECT_EQ(fields.deactivationList, "6");
}

TEST(SheetsInTheFrame, CtrlTabTurnsTheSheetsPagesNotTheFramesWindows) {
    frame_test::FrameFixture f;
    CMainFrame& frame = f.MakeFrame(f.EditingFactory());
    frame.show();
    frame.NewDocument();
    frame.NewDocument();
    CChildFrame* child = frame.ActiveChild();
    ASSERT_NE(child, nullptr);
    int page = -1;
    WhenModal([&](QDialog& sheet) {
        EXPECT_EQ(sheet.parentWidget(), &frame) << "the sheet is the frame's, outside the workspace";
        ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        page = dynamic_cast<ScreenCardSheet&>(sheet).Tabs().currentIndex();
        Press(sheet, Ok::Cancel);
    });
    ASSERT_TRUE(child->Parts().commands->RunCommand(cmd::kScreenProperties));
    EXPECT_EQ(page, 1) << "Ctrl+Tab brought the Card page";
    EXPECT_EQ(frame.ActiveChild(), child) << "the child window stayed the active one";
}

}  // namespace
