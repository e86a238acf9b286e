#pragma once

#include <QString>
#include <memory>
#include <vector>

class CommandTarget;
class QMenu;
class QWidget;

// Fabrio's menu resources as data: the two menu bars (128 without a document, 137 with one) and the
// context menus of the card view (133 sprite, 173 text, 180 picture, 181 video, 182 screen). Texts are
// those of the resources, with "&" before the mnemonic and the accelerator text after a tab where the
// resource had one (the menus replace that part by the text made from the accelerator table).
struct MenuEntry {
    enum class Kind { command, separator, popup, recentFiles };
    Kind kind = Kind::command;
    int id = 0;
    QString text;
    std::vector<MenuEntry> items;  // of a popup
};

namespace menu {
constexpr int kNoDocument = 128;
constexpr int kDocument = 137;
constexpr int kSprite = 133;
constexpr int kText = 173;
constexpr int kPicture = 180;
constexpr int kVideo = 181;
constexpr int kScreen = 182;
}  // namespace menu

// The popups of a menu resource, in order (a context menu resource has one popup); empty for an unknown
// resource.
const std::vector<MenuEntry>& MenuResource(int resource);
// The text the command first has in the document's menu bar, or in a context menu when it is not in the
// bar; empty when no menu names it.
QString MenuTextOf(int id);
// The placeholder of the recent-file list while it is empty.
inline const char* kRecentFilePlaceholder = "Archivo reciente";

// A context menu of `resource` whose entries run through `router`: they carry the toolbar's images and
// the generated accelerator texts, and take their enabled and checked states from the router when made and
// each time the menu is about to show. The card view opens these at the pointer; the frame opens the screen
// menu under the toolbar's Load background button.
std::unique_ptr<QMenu> BuildContextMenu(int resource, CommandTarget& router, QWidget* parent = nullptr);
