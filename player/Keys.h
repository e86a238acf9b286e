#pragma once

#include <array>
#include <optional>
#include <string>

#include "ui/ViewClient.h"

// Every key the player answers to, in one table: the card view and the frame look keys up here, and the
// help text is written from it, so the keys and their description cannot drift apart.
enum class PlayerCommand {
    focusNext,      // the keyboard focus to the next sprite that reacts to a click, front to back
    focusPrevious,  // the same, back to front
    clickFocused,   // a click on the focused sprite
    closeMenu,      // what a click on empty space does, and the focus goes away
    outlines,       // held: every sprite that reacts to a click is outlined
    volumeUp,
    volumeDown,
    mute,
    picture,    // a PNG of the card beside the title
    inspector,  // the sprite under the pointer, described beside it
    fullScreen,
};

// How a chord treats the Shift key: '+' needs Shift on many keyboards and Tab changes its meaning.
enum class ShiftRule { ignored, off, on };

struct KeyChord {
    int key = 0;  // a Qt::Key value; 0 ends a row's chords
    ShiftRule shift = ShiftRule::ignored;
    bool alt = false;
    bool control = false;
};

struct PlayerKeyBinding {
    PlayerCommand command;
    std::array<KeyChord, 3> chords;
    const char* keys;  // as the help shows them
    const char* what;
};

extern const std::array<PlayerKeyBinding, 11> kPlayerKeys;

// The command of the first row with a chord that matches, or nothing for a key the player ignores.
std::optional<PlayerCommand> MatchPlayerKey(const ui::KeyEvent& event);
// The "Keys:" part of `lumeo --help`: one line for each row of the table, then the mouse's own chord.
std::string PlayerKeysHelp();

// The volume keys move the wave volume by this much of 65535 on each press.
constexpr int kVolumeKeyStep = 4096;
