#pragma once

#include <QMenu>
#include <memory>
#include <span>

class CommandTarget;
class QWidget;

// The context menus of the editing view, by the numbers of their menu resources.
namespace menu {
constexpr int kSprite = 133;
constexpr int kText = 173;
constexpr int kPicture = 180;
constexpr int kVideo = 181;
constexpr int kScreen = 182;
}  // namespace menu

struct ContextMenuEntry {
    int command;       // cmd::k...
    const char* text;  // with its mnemonic
};

// The entries of a context menu in their order; empty for a number that is no context menu.
std::span<const ContextMenuEntry> ContextMenuEntries(int menuId);

// Builds the popup of `menuId`: every entry carries its command identifier as the action's data, is
// enabled and checked as `router` says (an entry no target knows is disabled), and runs through `router`
// when chosen. Null for a number that is no context menu.
std::unique_ptr<QMenu> BuildContextMenu(int menuId, CommandTarget& router, QWidget* parent = nullptr);
