#include <gtest/gtest.h>

#include <QDockWidget>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "editor/CommandCatalog.h"
#include "editor/CommandIds.h"
#include "editor/Icons.h"
#include "editor/Menus.h"
#include "tests/editor/FrameTestSupport.h"

using frame_test::Entries;
using frame_test::FrameFixture;
using frame_test::MenuBarMenu;
using frame_test::MenuBarTitles;
using frame_test::SubMenu;
using Strings = std::vector<std::string>;

namespace {

std::string Num(int id) {
    return std::to_string(id);
}

}  // namespace

TEST(FrameMenus, WithoutADocumentTheMenuBarIsResource128) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame();
    EXPECT_EQ(frame.MenuResourceShown(), 128);
    EXPECT_EQ(MenuBarTitles(*frame.menuBar()), (Strings{"&File", "&View", "&Help"}));
    EXPECT_EQ(Entries(*MenuBarMenu(*frame.menuBar(), "&File")),
              (Strings{"&New\tCtrl+N=57600", "&Open...\tCtrl+A=57601", "-", "Archivo reciente=0", "-",
                       "&Exit=57665"}));
    EXPECT_EQ(Entries(*MenuBarMenu(*frame.menuBar(), "&View")),
              (Strings{"&Tool bar=59392", "&Status bar=59393"}));
    EXPECT_EQ(Entries(*MenuBarMenu(*frame.menuBar(), "&Help")),
              (Strings{"&Help\tF1=57670", "&About Fabrio...=57664"}));
}

TEST(FrameMenus, WithADocumentTheMenuBarIsResource137WithItsTextsIdsAndOrder) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame();
    frame.NewDocument();
    frame.UpdateCommandUI();
    QMenuBar& bar = *frame.menuBar();
    EXPECT_EQ(frame.MenuResourceShown(), 137);
    EXPECT_EQ(MenuBarTitles(bar), (Strings{"&File", "&Edit", "&Screen", "&View", "&Window", "&Help"}));
    EXPECT_EQ(Entries(*MenuBarMenu(bar, "&File")),
              (Strings{"&New\tCtrl+N=57600", "&Open...\tCtrl+A=57601", "&Close=57602", "&Save\tCtrl+G=57603",
                       "Save &as...=57604", "-", "Archivo reciente=0", "-", "&Exit=57665"}));
    // The accelerator part is made from the table: every key of the command, modifiers Alt, Ctrl, Shift.
    EXPECT_EQ(Entries(*MenuBarMenu(bar, "&Edit")),
              (Strings{"&Undo\tCtrl+Z, Alt+Backspace=57643", "&Redo\tCtrl+Y, Ctrl+Shift+Z=57644", "-",
                       "Cu&t\tCtrl+X, Shift+Del=57635", "&Copy\tCtrl+C, Ctrl+Ins=57634",
                       "&Paste\tCtrl+V, Shift+Ins=57637"}));
    QMenu& screen = *MenuBarMenu(bar, "&Screen");
    EXPECT_EQ(Entries(screen),
              (Strings{"&Background Image>", "&Insert>", "Sprites &list...=32788", "-", "&Card>", "&Format>",
                       "-", "&Work Directory...=32831", "&Size to content=32861"}));
    EXPECT_EQ(Entries(*SubMenu(screen, "&Background Image")),
              (Strings{"Load from &file...=32771", "Fill with solid &color...=32858",
                       "Fill with gradient...=32859"}));
    EXPECT_EQ(Entries(*SubMenu(screen, "&Insert")),
              (Strings{"&Sprite...=32772", "&Text...=32824", "&Picture...=32850", "&Video...=32851"}));
    EXPECT_EQ(Entries(*SubMenu(screen, "&Card")),
              (Strings{"&Add card=32801", "&Duplicate card=32838", "D&elete card=32783", "-",
                       "&Idenfiticator field...=32845", "Cards &list...=32832", "-", "&Next card=32805",
                       "&Previous card=32806", "&First card=32826", "Las&t card=32827"}));
    EXPECT_EQ(
        Entries(*SubMenu(screen, "&Format")),
        (Strings{"&Align &up=32793", "Align &down=32794", "Align &left=32795", "Align &right=32796", "-",
                 "Space evenly &down=32797", "Space evenly &across=32798", "-", "&Text position=32823"}));
    EXPECT_EQ(Entries(*MenuBarMenu(bar, "&View")),
              (Strings{"&Tool bar=59392", "&Status bar=59393", "&Insert bar=32864", "&Grid=32866", "-",
                       "Check &panel=32867", "C&heck title=32868", "Card &overview=32869", "&Link map=32870",
                       "-", "&Test=32791", "Test from this &card=32865"}));
    EXPECT_EQ(Entries(*MenuBarMenu(bar, "&Window")),
              (Strings{"&New window=57648", "&Cascade=57650", "&Tile=57651", "&Arrange icons=57649"}));
    EXPECT_EQ(Entries(*MenuBarMenu(bar, "&Help")), (Strings{"&Help\tF1=57670", "&About Fabrio...=57664"}));

    // The last window gone, the bar without a document comes back.
    frame.CloseDocument(frame.ActiveChild()->Document());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    frame.UpdateCommandUI();
    EXPECT_EQ(frame.MenuResourceShown(), 128);
    EXPECT_EQ(MenuBarTitles(bar), (Strings{"&File", "&View", "&Help"}));
}

TEST(FrameMenus, ContextMenusHaveTheirOwnTextsAndRunThroughTheRouter) {
    frame_test::RecordingTarget router;
    router.claims[cmd::kBackgroundSolidColor] = {true, false};
    router.claims[cmd::kScreenProperties] = {false, false};
    auto screen = BuildContextMenu(menu::kScreen, router);
    EXPECT_EQ(Entries(*screen),
              (Strings{"Load from &file...=32771", "Fill with &color...=32858", "Fill with gradient...=32859",
                       "-", "&Size to content=32861", "-", "&Properties=32786"}));
    QMetaObject::invokeMethod(screen.get(), "aboutToShow");
    QAction* colour = screen->actions()[1];
    QAction* properties = screen->actions().back();
    EXPECT_TRUE(colour->isEnabled());
    EXPECT_FALSE(properties->isEnabled()) << "its target says it cannot run now";
    EXPECT_FALSE(screen->actions()[0]->isEnabled()) << "nobody handles it";
    colour->trigger();
    EXPECT_EQ(router.ran, (std::vector<int>{cmd::kBackgroundSolidColor}));
    // Only commands with a button on toolbar 128 show an image.
    EXPECT_FALSE(screen->actions()[0]->icon().isNull());
    EXPECT_TRUE(colour->icon().isNull());

    auto sprite = BuildContextMenu(menu::kSprite, router);
    EXPECT_EQ(Entries(*sprite),
              (Strings{"&Configuration...=32778", "&Events...=32776", "Change &bitmap...=32844", "-",
                       "P&roperties\tEnter=32779", "-", "&Delete\tDel=32780"}));
    auto text = BuildContextMenu(menu::kText, router);
    EXPECT_EQ(Entries(*text),
              (Strings{"&Edit text...=32825", "&Align texts...=32833", "&Text format...=32834", "-",
                       "&Repeat in all cards=32835", "&Convert in counter=32837", "-", "&Delete=32839"}));
    EXPECT_EQ(Entries(*BuildContextMenu(menu::kPicture, router)),
              (Strings{"&Properties=32853", "&Delete=32852"}));
    EXPECT_EQ(Entries(*BuildContextMenu(menu::kVideo, router)),
              (Strings{"&Properties=32857", "&Delete=32856"}));
}

TEST(FrameMenus, AcceleratorNamesPutTheModifiersInTheOrderAltCtrlShift) {
    EXPECT_EQ(AcceleratorName(QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::ALT | Qt::Key_F)), "Alt+Ctrl+Shift+F");
    EXPECT_EQ(AcceleratorName(QKeySequence(Qt::SHIFT | Qt::Key_Delete)), "Shift+Del");
    EXPECT_EQ(AcceleratorName(QKeySequence(Qt::Key_Return)), "Enter");
    EXPECT_EQ(AcceleratorName(QKeySequence(Qt::Key_F1)), "F1");
    // The resource's own accelerator text is replaced, not kept beside the new one.
    EXPECT_EQ(MenuTextWithAccelerators("Cu&t\tCtrl+X", cmd::kEditCut), "Cu&t\tCtrl+X, Shift+Del");
    EXPECT_EQ(MenuTextWithAccelerators("&Close\tWhatever", cmd::kFileClose), "&Close");
}

TEST(FrameMenus, EveryAcceleratorOfTheTableRunsItsCommand) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame();
    frame.NewDocument();
    frame_test::RecordingParts& parts = frame_test::Recording(*frame.ActiveChild());
    const std::vector<std::pair<QKeyCombination, int>> keys = {
        {Qt::CTRL | Qt::Key_N, cmd::kFileNew},
        {Qt::CTRL | Qt::Key_A, cmd::kFileOpen},
        {Qt::CTRL | Qt::Key_G, cmd::kFileSave},
        {Qt::CTRL | Qt::Key_P, cmd::kFilePrint},
        {Qt::CTRL | Qt::Key_C, cmd::kEditCopy},
        {Qt::CTRL | Qt::Key_Insert, cmd::kEditCopy},
        {Qt::CTRL | Qt::Key_V, cmd::kEditPaste},
        {Qt::SHIFT | Qt::Key_Insert, cmd::kEditPaste},
        {Qt::CTRL | Qt::Key_X, cmd::kEditCut},
        {Qt::SHIFT | Qt::Key_Delete, cmd::kEditCut},
        {Qt::CTRL | Qt::Key_Z, cmd::kEditUndo},
        {Qt::ALT | Qt::Key_Backspace, cmd::kEditUndo},
        {Qt::CTRL | Qt::Key_Y, cmd::kEditRedo},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, cmd::kEditRedo},
        {QKeyCombination(Qt::Key_Delete), cmd::kDeleteSelection},
        {QKeyCombination(Qt::Key_Return), cmd::kSpriteProperties},
        {QKeyCombination(Qt::Key_F1), cmd::kHelp},
    };
    // The view claims every command, so that each key lands where the test sees it.
    for (const auto& [combination, id] : keys) parts.view.claims[id] = {true, false};
    frame.show();
    QApplication::setActiveWindow(&frame);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    for (const auto& [combination, id] : keys) {
        parts.view.ran.clear();
        QTest::keyClick(frame.ActiveChild()->Parts().widget, combination.key(),
                        combination.keyboardModifiers());
        EXPECT_EQ(parts.view.ran, (std::vector<int>{id}))
            << QKeySequence(combination).toString().toStdString();
    }
}

TEST(FrameMenus, RoutingAsksTheViewThenTheEditingCommandsThenTheFrame) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame();
    frame.NewDocument();
    frame_test::RecordingParts& parts = frame_test::Recording(*frame.ActiveChild());
    parts.view.claims[cmd::kEditCut] = {true, false};
    parts.commands.claims[cmd::kEditCut] = {true, false};
    parts.commands.claims[cmd::kEditCopy] = {true, false};
    parts.view.claims[cmd::kEditPaste] = {false, false};  // the view knows it and says no
    parts.commands.claims[cmd::kEditPaste] = {true, false};
    frame.UpdateCommandUI();

    frame.Action(cmd::kEditCut)->trigger();
    EXPECT_EQ(parts.view.ran, (std::vector<int>{cmd::kEditCut}));
    EXPECT_TRUE(parts.commands.ran.empty());
    frame.Action(cmd::kEditCopy)->trigger();
    EXPECT_EQ(parts.commands.ran, (std::vector<int>{cmd::kEditCopy}));

    frame.UpdateCommandUI();
    EXPECT_FALSE(frame.Action(cmd::kEditPaste)->isEnabled()) << "the first target that knows it decides";
    EXPECT_FALSE(frame.Router().RunCommand(cmd::kEditPaste));
    EXPECT_TRUE(parts.commands.ran.size() == 1);

    // The frame's own commands come last, and what nobody handles is disabled.
    EXPECT_TRUE(frame.Action(cmd::kViewInsertBar)->isEnabled());
    EXPECT_FALSE(frame.Action(cmd::kNoAction)->isEnabled());
    EXPECT_FALSE(frame.Action(cmd::kTextPosition)->isEnabled());
    // A view may take one of the frame's commands over.
    parts.view.claims[cmd::kFileSave] = {true, false};
    frame.UpdateCommandUI();
    frame.Action(cmd::kFileSave)->trigger();
    EXPECT_EQ(parts.view.ran.back(), cmd::kFileSave);
    EXPECT_TRUE(f.fileDialog.requests.empty()) << "the frame's save did not run";

    // The router handed to the children routes the same way.
    CommandTarget::State state;
    EXPECT_TRUE(parts.router->CommandState(cmd::kEditCopy, state));
    EXPECT_TRUE(state.enabled);
    EXPECT_FALSE(parts.router->CommandState(cmd::kNoAction, state));
}

TEST(FrameMenus, CheckStatesFollowTheTargets) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame();
    frame.NewDocument();
    frame_test::RecordingParts& parts = frame_test::Recording(*frame.ActiveChild());
    parts.view.claims[cmd::kInsertText] = {true, true};
    parts.view.claims[cmd::kSelectTool] = {true, false};
    parts.view.claims[cmd::kViewGrid] = {true, true};
    frame.UpdateCommandUI();
    EXPECT_TRUE(frame.Action(cmd::kInsertText)->isChecked());
    EXPECT_FALSE(frame.Action(cmd::kSelectTool)->isChecked());
    EXPECT_TRUE(frame.Action(cmd::kViewGrid)->isChecked());
    // A click on a checkable button toggles it in Qt; the target's state wins at the next update.
    frame.Action(cmd::kSelectTool)->trigger();
    EXPECT_FALSE(frame.Action(cmd::kSelectTool)->isChecked());
}

TEST(FrameMenus, PromptsAndToolTipsComeFromTheStringTable) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame();
    EXPECT_EQ(frame.Action(cmd::kBackgroundFromFile)->statusTip(), "Loads the background from a file");
    EXPECT_EQ(frame.Action(cmd::kBackgroundFromFile)->toolTip(), "Load background");
    EXPECT_EQ(frame.Action(cmd::kTest)->statusTip(), "Tests the screen");
    EXPECT_EQ(frame.Action(cmd::kTest)->toolTip(), "Test");
    EXPECT_EQ(frame.Action(cmd::kSpaceEvenlyDown)->statusTip(),
              "Evenly spaces the selected items vertically");
    EXPECT_EQ(frame.Action(cmd::kDuplicateCard)->statusTip(),
              "Duplicates and adds the actual card to the end of de cards list");
    EXPECT_EQ(frame.Action(cmd::kSizeToContent)->toolTip(), "Size to content");
    EXPECT_EQ(frame.Action(cmd::kViewInsertBar)->statusTip(), "Shows or hide the insert bar");
    EXPECT_EQ(frame.Action(cmd::kViewInsertBar)->toolTip(), "Toggle insert bar");
    // Every command of the menus and toolbars has a prompt.
    for (int id : MainToolBarButtons()) {
        if (id && id != cmd::kNoAction) {
            EXPECT_FALSE(CommandPrompt(id).isEmpty()) << id;
        }
    }

    // A prompt covers the idle text while it shows, and the idle text comes back after it.
    frame.show();
    EXPECT_EQ(frame.IdlePane().text(), "Ready");
    frame.statusBar()->showMessage(frame.Action(cmd::kTest)->statusTip());
    EXPECT_FALSE(frame.IdlePane().isVisible());
    frame.statusBar()->clearMessage();
    EXPECT_TRUE(frame.IdlePane().isVisible());
}

TEST(FrameMenus, MenusShowTheImagesOfToolbar128Only) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame();
    EXPECT_FALSE(frame.Action(cmd::kEditCut)->icon().isNull());
    EXPECT_TRUE(frame.Action(cmd::kEditCut)->isIconVisibleInMenu());
    // The insert tools have images on the insert bar, but toolbar 128 has none for them.
    EXPECT_FALSE(frame.Action(cmd::kInsertSprite)->icon().isNull());
    EXPECT_FALSE(frame.Action(cmd::kInsertSprite)->isIconVisibleInMenu());
    EXPECT_TRUE(frame.Action(cmd::kFileClose)->icon().isNull());
}

TEST(FrameMenus, Toolbar128HasItsButtonsInOrderAndTheBackgroundDropDown) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame();
    std::vector<int> ids;
    for (QAction* action : frame.ToolBar().actions()) {
        if (action->isSeparator()) {
            ids.push_back(0);
        } else if (QWidget* widget = frame.ToolBar().widgetForAction(action);
                   widget == &frame.LoadBackgroundButton()) {
            ids.push_back(frame.LoadBackgroundButton().defaultAction()->data().toInt());
        } else {
            ids.push_back(action->data().toInt());
        }
    }
    // Toolbar 128 by the resource numbers of its buttons, 0 for a separator.
    EXPECT_EQ(ids, (std::vector<int>{57600, 57601, 57603, 0,     57635, 57634, 57637, 0,     57643,
                                     0,     32771, 32788, 0,     32791, 0,     32793, 32795, 32794,
                                     32796, 32797, 32798, 0,     32801, 32783, 32838, 32832, 0,
                                     32826, 32806, 32805, 32827, 0,     57670, 32862}));
    QToolButton& button = frame.LoadBackgroundButton();
    EXPECT_EQ(button.popupMode(), QToolButton::MenuButtonPopup);
    ASSERT_EQ(button.menu(), &frame.LoadBackgroundMenu());
    EXPECT_EQ(Entries(frame.LoadBackgroundMenu()).front(),
              "Load from &file...=" + Num(cmd::kBackgroundFromFile));
    EXPECT_EQ(Entries(frame.LoadBackgroundMenu()).size(), 7u);
    frame.UpdateCommandUI();
    EXPECT_FALSE(frame.Action(cmd::kNoAction)->isEnabled());
}

TEST(FrameMenus, TheDropDownOpensTheScreenMenuUnderTheButton) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame();
    frame.NewDocument();
    frame_test::Recording(*frame.ActiveChild()).view.claims[cmd::kBackgroundFromFile] = {true, false};
    frame.UpdateCommandUI();
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QToolButton& button = frame.LoadBackgroundButton();
    QPoint shownAt;
    bool shown = false;
    QObject::connect(&frame.LoadBackgroundMenu(), &QMenu::aboutToShow, [&] {
        shown = true;
        QTimer::singleShot(0, [&] {
            shownAt = frame.LoadBackgroundMenu().pos();
            frame.LoadBackgroundMenu().close();
        });
    });
    // The arrow lies at the button's right end.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(button.width() - 3, button.height() / 2));
    QTest::qWait(50);
    ASSERT_TRUE(shown);
    const QPoint bottomLeft = button.mapToGlobal(QPoint(0, button.height()));
    EXPECT_EQ(shownAt.x(), bottomLeft.x());
    EXPECT_NEAR(shownAt.y(), bottomLeft.y(), 1);
}

TEST(FrameMenus, TheInsertBarPaletaHasTwoColumnsDocksLeftFloatsAndToggles) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame();
    frame.show();
    QDockWidget& bar = frame.InsertBar();
    EXPECT_EQ(bar.windowTitle(), "Paleta");
    EXPECT_EQ(frame.dockWidgetArea(&bar), Qt::LeftDockWidgetArea);
    EXPECT_TRUE(bar.features() & QDockWidget::DockWidgetFloatable);
    auto* grid = qobject_cast<QGridLayout*>(bar.widget()->layout());
    ASSERT_NE(grid, nullptr);
    const std::vector<int> expected = {cmd::kSelectTool, cmd::kInsertSprite, cmd::kInsertText,
                                       cmd::kInsertPicture, cmd::kInsertVideo};
    for (size_t i = 0; i < expected.size(); ++i) {
        auto* button = qobject_cast<QToolButton*>(grid->itemAtPosition(int(i / 2), int(i % 2))->widget());
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->defaultAction()->data().toInt(), expected[i]) << i;
    }

    frame.UpdateCommandUI();
    EXPECT_TRUE(frame.Action(cmd::kViewInsertBar)->isChecked());
    frame.Action(cmd::kViewInsertBar)->trigger();
    EXPECT_FALSE(bar.isVisible());
    EXPECT_FALSE(frame.Action(cmd::kViewInsertBar)->isChecked());
    frame.Action(cmd::kViewInsertBar)->trigger();
    EXPECT_TRUE(bar.isVisible());
    EXPECT_TRUE(frame.Action(cmd::kViewInsertBar)->isChecked());
    EXPECT_EQ(frame.dockWidgetArea(&bar), Qt::LeftDockWidgetArea) << "it keeps its docking place";

    bar.setFloating(true);
    frame.Action(cmd::kViewInsertBar)->trigger();
    frame.Action(cmd::kViewInsertBar)->trigger();
    EXPECT_TRUE(bar.isFloating()) << "a floating bar shows again floating";
}

TEST(FrameMenus, TheStatusPanesShowTheViewsTextsOrNothing) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame();
    frame.UpdateCommandUI();
    EXPECT_TRUE(frame.CardPane().text().isEmpty());
    EXPECT_FALSE(frame.CardPane().isEnabled());
    EXPECT_FALSE(frame.PositionPane().isEnabled());
    frame.NewDocument();
    frame.UpdateCommandUI();
    EXPECT_EQ(frame.CardPane().text(), "Ficha: 2 de 3");
    EXPECT_EQ(frame.PositionPane().text(), "Pos X: 12, Pos Y: 34");
    EXPECT_TRUE(frame.CardPane().isEnabled());
    frame_test::Recording(*frame.ActiveChild()).editing.positionText = "Pos X: 600, Pos Y: 470";
    frame.UpdateCommandUI();
    EXPECT_EQ(frame.PositionPane().text(), "Pos X: 600, Pos Y: 470");
    EXPECT_GE(frame.CardPane().minimumWidth(),
              frame.CardPane().fontMetrics().horizontalAdvance(QStringLiteral("Card: %d de %d  ")));
}

TEST(FrameMenus, TheToolAndStatusBarsToggleWithTheirCheckMarks) {
    FrameFixture f;
    CMainFrame& frame = f.MakeFrame();
    frame.show();
    frame.UpdateCommandUI();
    EXPECT_TRUE(frame.Action(cmd::kViewToolBar)->isChecked());
    frame.Action(cmd::kViewToolBar)->trigger();
    EXPECT_FALSE(frame.ToolBar().isVisible());
    EXPECT_FALSE(frame.Action(cmd::kViewToolBar)->isChecked());
    frame.Action(cmd::kViewStatusBar)->trigger();
    EXPECT_FALSE(frame.statusBar()->isVisible());
    EXPECT_FALSE(frame.Action(cmd::kViewStatusBar)->isChecked());
}
