#include "editor/Menus.h"

#include <QAction>
#include <QMenu>
#include <map>

#include "editor/CommandCatalog.h"
#include "editor/CommandIds.h"
#include "editor/CommandTarget.h"
#include "editor/Icons.h"

namespace {

using Kind = MenuEntry::Kind;

MenuEntry Item(int id, const char* text) {
    return {Kind::command, id, QString::fromUtf8(text), {}};
}
MenuEntry Separator() {
    return {Kind::separator, 0, QString(), {}};
}
MenuEntry Popup(const char* text, std::vector<MenuEntry> items) {
    return {Kind::popup, 0, QString::fromUtf8(text), std::move(items)};
}
MenuEntry RecentFiles() {
    return {Kind::recentFiles, cmd::kFileMruFirst, QString::fromUtf8(kRecentFilePlaceholder), {}};
}

std::vector<MenuEntry> NoDocumentMenu() {
    return {
        Popup("&File", {Item(cmd::kFileNew, "&New\tCtrl+N"), Item(cmd::kFileOpen, "&Open...\tCtrl+A"),
                        Separator(), RecentFiles(), Separator(), Item(cmd::kAppExit, "&Exit")}),
        Popup("&View", {Item(cmd::kViewToolBar, "&Tool bar"), Item(cmd::kViewStatusBar, "&Status bar")}),
        Popup("&Help", {Item(cmd::kHelp, "&Help"), Item(cmd::kAppAbout, "&About Fabrio...")}),
    };
}

std::vector<MenuEntry> ScreenMenu() {
    return {
        Popup("&Background Image", {Item(cmd::kBackgroundFromFile, "Load from &file..."),
                                    Item(cmd::kBackgroundSolidColor, "Fill with solid &color..."),
                                    Item(cmd::kBackgroundGradient, "Fill with gradient...")}),
        Popup("&Insert", {Item(cmd::kInsertSprite, "&Sprite..."), Item(cmd::kInsertText, "&Text..."),
                          Item(cmd::kInsertPicture, "&Picture..."), Item(cmd::kInsertVideo, "&Video...")}),
        Item(cmd::kSpritesList, "Sprites &list..."),
        Separator(),
        Popup("&Card", {Item(cmd::kAddCard, "&Add card"), Item(cmd::kDuplicateCard, "&Duplicate card"),
                        Item(cmd::kDeleteCard, "D&elete card"), Separator(),
                        Item(cmd::kIdentificatorField, "&Idenfiticator field..."),
                        Item(cmd::kCardsList, "Cards &list..."), Separator(),
                        Item(cmd::kNextCard, "&Next card"), Item(cmd::kPreviousCard, "&Previous card"),
                        Item(cmd::kFirstCard, "&First card"), Item(cmd::kLastCard, "Las&t card")}),
        Popup("&Format", {Item(cmd::kAlignUp, "&Align &up"), Item(cmd::kAlignDown, "Align &down"),
                          Item(cmd::kAlignLeft, "Align &left"), Item(cmd::kAlignRight, "Align &right"),
                          Separator(), Item(cmd::kSpaceEvenlyDown, "Space evenly &down"),
                          Item(cmd::kSpaceEvenlyAcross, "Space evenly &across"), Separator(),
                          Item(cmd::kTextPosition, "&Text position")}),
        Separator(),
        Item(cmd::kWorkDirectory, "&Work Directory..."),
        Item(cmd::kSizeToContent, "&Size to content"),
    };
}

std::vector<MenuEntry> DocumentMenu() {
    return {
        Popup("&File", {Item(cmd::kFileNew, "&New\tCtrl+N"), Item(cmd::kFileOpen, "&Open...\tCtrl+A"),
                        Item(cmd::kFileClose, "&Close"), Item(cmd::kFileSave, "&Save\tCtrl+G"),
                        Item(cmd::kFileSaveAs, "Save &as..."), Separator(), RecentFiles(), Separator(),
                        Item(cmd::kAppExit, "&Exit")}),
        // Redo is this editor's own: the undo history has many levels.
        Popup("&Edit", {Item(cmd::kEditUndo, "&Undo\tCtrl+Z"), Item(cmd::kEditRedo, "&Redo\tCtrl+Y"),
                        Separator(), Item(cmd::kEditCut, "Cu&t\tCtrl+X"),
                        Item(cmd::kEditCopy, "&Copy\tCtrl+C"), Item(cmd::kEditPaste, "&Paste\tCtrl+V")}),
        Popup("&Screen", ScreenMenu()),
        Popup("&View",
              {Item(cmd::kViewToolBar, "&Tool bar"), Item(cmd::kViewStatusBar, "&Status bar"),
               Item(cmd::kViewInsertBar, "&Insert bar"), Item(cmd::kViewGrid, "&Grid"), Separator(),
               Item(cmd::kViewCheckPanel, "Check &panel"), Item(cmd::kCheckTitle, "C&heck title"),
               Item(cmd::kViewCardOverview, "Card &overview"), Item(cmd::kViewLinkMap, "&Link map"),
               Separator(), Item(cmd::kTest, "&Test"), Item(cmd::kTestFromThisCard, "Test from this &card")}),
        Popup("&Window", {Item(cmd::kWindowNew, "&New window"), Item(cmd::kWindowCascade, "&Cascade"),
                          Item(cmd::kWindowTile, "&Tile"), Item(cmd::kWindowArrange, "&Arrange icons")}),
        Popup("&Help", {Item(cmd::kHelp, "&Help"), Item(cmd::kAppAbout, "&About Fabrio...")}),
    };
}

std::map<int, std::vector<MenuEntry>> MakeResources() {
    std::map<int, std::vector<MenuEntry>> resources;
    resources[menu::kNoDocument] = NoDocumentMenu();
    resources[menu::kDocument] = DocumentMenu();
    resources[menu::kSprite] = {Popup(
        "Sprite",
        {Item(cmd::kSpriteConfiguration, "&Configuration..."), Item(cmd::kSpriteEvents, "&Events..."),
         Item(cmd::kChangeBitmap, "Change &bitmap..."), Separator(),
         Item(cmd::kSpriteProperties, "P&roperties"), Separator(), Item(cmd::kDeleteSelection, "&Delete")})};
    resources[menu::kText] = {
        Popup("Text", {Item(cmd::kEditText, "&Edit text..."), Item(cmd::kAlignTexts, "&Align texts..."),
                       Item(cmd::kTextFormat, "&Text format..."), Separator(),
                       Item(cmd::kRepeatInAllCards, "&Repeat in all cards"),
                       Item(cmd::kConvertInCounter, "&Convert in counter"), Separator(),
                       Item(cmd::kDeleteText, "&Delete")})};
    resources[menu::kPicture] = {Popup(
        "Picture", {Item(cmd::kPictureProperties, "&Properties"), Item(cmd::kPictureDelete, "&Delete")})};
    resources[menu::kVideo] = {
        Popup("Video", {Item(cmd::kVideoProperties, "&Properties"), Item(cmd::kVideoDelete, "&Delete")})};
    resources[menu::kScreen] = {Popup("Screen", {Item(cmd::kBackgroundFromFile, "Load from &file..."),
                                                 Item(cmd::kBackgroundSolidColor, "Fill with &color..."),
                                                 Item(cmd::kBackgroundGradient, "Fill with gradient..."),
                                                 Separator(), Item(cmd::kSizeToContent, "&Size to content"),
                                                 Separator(), Item(cmd::kScreenProperties, "&Properties")})};
    return resources;
}

const std::map<int, std::vector<MenuEntry>>& Resources() {
    static const auto resources = MakeResources();
    return resources;
}

const MenuEntry* FindEntry(const std::vector<MenuEntry>& entries, int id) {
    for (const MenuEntry& e : entries) {
        if (e.kind == Kind::command && e.id == id) return &e;
        if (e.kind == Kind::popup)
            if (const MenuEntry* found = FindEntry(e.items, id)) return found;
    }
    return nullptr;
}

void AddContextEntries(QMenu& menu, const std::vector<MenuEntry>& entries, CommandTarget& router) {
    for (const MenuEntry& e : entries) {
        if (e.kind == Kind::separator) {
            menu.addSeparator();
        } else if (e.kind == Kind::popup) {
            AddContextEntries(*menu.addMenu(e.text), e.items, router);
        } else if (e.kind == Kind::command) {
            QAction* action = menu.addAction(MenuTextWithAccelerators(e.text, e.id));
            action->setData(e.id);
            action->setStatusTip(CommandPrompt(e.id));
            if (HasToolBarImage(e.id)) action->setIcon(CommandIcon(e.id));
            const int id = e.id;
            QObject::connect(action, &QAction::triggered, &menu, [&router, id] { router.RunCommand(id); });
        }
    }
}

void UpdateContextStates(QMenu& menu, CommandTarget& router) {
    for (QAction* action : menu.actions()) {
        if (QMenu* sub = action->menu()) {
            UpdateContextStates(*sub, router);
            continue;
        }
        if (action->isSeparator()) continue;
        CommandTarget::State state;
        const bool handled = router.CommandState(action->data().toInt(), state);
        action->setEnabled(handled && state.enabled);
        action->setCheckable(handled && state.checked);
        action->setChecked(handled && state.checked);
    }
}

}  // namespace

const std::vector<MenuEntry>& MenuResource(int resource) {
    static const std::vector<MenuEntry> none;
    const auto found = Resources().find(resource);
    return found == Resources().end() ? none : found->second;
}

QString MenuTextOf(int id) {
    for (int resource :
         {menu::kDocument, menu::kSprite, menu::kText, menu::kPicture, menu::kVideo, menu::kScreen})
        if (const MenuEntry* e = FindEntry(MenuResource(resource), id)) return e->text;
    return QString();
}

std::unique_ptr<QMenu> BuildContextMenu(int resource, CommandTarget& router, QWidget* parent) {
    auto menu = std::make_unique<QMenu>(parent);
    const std::vector<MenuEntry>& popups = MenuResource(resource);
    if (!popups.empty()) {
        menu->setTitle(popups.front().text);
        AddContextEntries(*menu, popups.front().items, router);
    }
    QMenu* shown = menu.get();
    UpdateContextStates(*shown, router);
    QObject::connect(shown, &QMenu::aboutToShow, shown,
                     [shown, &router] { UpdateContextStates(*shown, router); });
    return menu;
}
