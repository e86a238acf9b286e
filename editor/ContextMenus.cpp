#include "editor/ContextMenus.h"

#include <QAction>
#include <array>

#include "editor/CommandIds.h"
#include "editor/CommandTarget.h"

namespace {

constexpr std::array<ContextMenuEntry, 5> kSpriteMenu{{
    {cmd::kSpriteConfiguration, "&Configuration..."},
    {cmd::kSpriteEvents, "&Events..."},
    {cmd::kChangeBitmap, "Change &bitmap..."},
    {cmd::kSpriteProperties, "P&roperties"},
    {cmd::kDeleteSelection, "&Delete"},
}};
constexpr std::array<ContextMenuEntry, 6> kTextMenu{{
    {cmd::kEditText, "&Edit text..."},
    {cmd::kAlignTexts, "&Align texts..."},
    {cmd::kTextFormat, "&Text format..."},
    {cmd::kRepeatInAllCards, "&Repeat in all cards"},
    {cmd::kConvertInCounter, "&Convert in counter"},
    {cmd::kDeleteText, "&Delete"},
}};
constexpr std::array<ContextMenuEntry, 2> kPictureMenu{{
    {cmd::kPictureProperties, "&Properties"},
    {cmd::kPictureDelete, "&Delete"},
}};
constexpr std::array<ContextMenuEntry, 2> kVideoMenu{{
    {cmd::kVideoProperties, "&Properties"},
    {cmd::kVideoDelete, "&Delete"},
}};
constexpr std::array<ContextMenuEntry, 5> kScreenMenu{{
    {cmd::kBackgroundFromFile, "Load from &file..."},
    {cmd::kBackgroundSolidColor, "Fill with &color..."},
    {cmd::kBackgroundGradient, "Fill with gradient..."},
    {cmd::kSizeToContent, "&Size to content"},
    {cmd::kScreenProperties, "&Properties"},
}};

}  // namespace

std::span<const ContextMenuEntry> ContextMenuEntries(int menuId) {
    switch (menuId) {
        case menu::kSprite:
            return kSpriteMenu;
        case menu::kText:
            return kTextMenu;
        case menu::kPicture:
            return kPictureMenu;
        case menu::kVideo:
            return kVideoMenu;
        case menu::kScreen:
            return kScreenMenu;
        default:
            return {};
    }
}

std::unique_ptr<QMenu> BuildContextMenu(int menuId, CommandTarget& router, QWidget* parent) {
    std::span<const ContextMenuEntry> entries = ContextMenuEntries(menuId);
    if (entries.empty()) return nullptr;
    auto popup = std::make_unique<QMenu>(parent);
    for (const ContextMenuEntry& entry : entries) {
        QAction* action = popup->addAction(QString::fromUtf8(entry.text));
        action->setData(entry.command);
        CommandTarget::State state;
        const bool known = router.CommandState(entry.command, state);
        action->setEnabled(known && state.enabled);
        if (known && state.checked) {
            action->setCheckable(true);
            action->setChecked(true);
        }
        const int id = entry.command;
        QObject::connect(action, &QAction::triggered, popup.get(), [&router, id] { router.RunCommand(id); });
    }
    return popup;
}
