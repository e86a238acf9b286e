#include "player/Keys.h"

#include <Qt>
#include <algorithm>

namespace {

constexpr KeyChord Plain(int key) {
    return {key, ShiftRule::ignored, false, false};
}

}  // namespace

const std::array<PlayerKeyBinding, 11> kPlayerKeys = {{
    {PlayerCommand::focusNext,
     {{{Qt::Key_Tab, ShiftRule::off}}},
     "Tab",
     "focus the next sprite that reacts to a click, from the front-most back, wrapping around"},
    {PlayerCommand::focusPrevious,
     {{{Qt::Key_Tab, ShiftRule::on}, Plain(Qt::Key_Backtab)}},
     "Shift+Tab",
     "focus the previous one, from the rear-most forward"},
    {PlayerCommand::clickFocused,
     {{Plain(Qt::Key_Return), Plain(Qt::Key_Enter), Plain(Qt::Key_Space)}},
     "Enter, Space",
     "click the focused sprite"},
    {PlayerCommand::closeMenu,
     {{Plain(Qt::Key_Escape)}},
     "Escape",
     "close the open menu, as a click on empty space does, and drop the focus"},
    {PlayerCommand::outlines,
     {{Plain(Qt::Key_Alt)}},
     "Alt (held)",
     "outline every sprite that reacts to a click"},
    {PlayerCommand::volumeUp, {{Plain(Qt::Key_Plus), Plain(Qt::Key_Equal)}}, "+", "volume up (a sixteenth)"},
    {PlayerCommand::volumeDown, {{Plain(Qt::Key_Minus)}}, "-", "volume down (a sixteenth)"},
    {PlayerCommand::mute, {{Plain(Qt::Key_M)}}, "M", "mute on and off"},
    {PlayerCommand::picture,
     {{Plain(Qt::Key_F12)}},
     "F12",
     "save a picture of the card (TITLE-cardN-K.png) beside the title, or in the pictures folder"},
    {PlayerCommand::inspector,
     {{Plain(Qt::Key_F2)}},
     "F2",
     "show or hide the inspector: the sprite under the pointer, its plane, frame and actions"},
    {PlayerCommand::fullScreen,
     {{Plain(Qt::Key_F11),
       {Qt::Key_Return, ShiftRule::ignored, true},
       {Qt::Key_Enter, ShiftRule::ignored, true}}},
     "F11, Alt+Enter",
     "full screen on and off"},
}};

namespace {

bool Matches(const KeyChord& chord, const ui::KeyEvent& event) {
    if (chord.key != event.key) return false;
    // Alt is itself the key of a row: its own press carries the Alt modifier.
    if (chord.key != Qt::Key_Alt && chord.alt != event.alt) return false;
    if (chord.control != event.control) return false;
    if (chord.shift == ShiftRule::on && !event.shift) return false;
    if (chord.shift == ShiftRule::off && event.shift) return false;
    return true;
}

}  // namespace

std::optional<PlayerCommand> MatchPlayerKey(const ui::KeyEvent& event) {
    for (const PlayerKeyBinding& row : kPlayerKeys)
        for (const KeyChord& chord : row.chords)
            if (chord.key != 0 && Matches(chord, event)) return row.command;
    return std::nullopt;
}

std::string PlayerKeysHelp() {
    std::string text = "Keys:\n";
    for (const PlayerKeyBinding& row : kPlayerKeys) {
        std::string keys = std::string("  ") + row.keys;
        keys.resize(std::max<size_t>(keys.size() + 2, 18), ' ');
        text += keys + row.what + "\n";
    }
    text += "  Ctrl + right click on the card   the credits\n";
    return text;
}
