#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The numbers of the title format that say what a sprite does or stands for: the action codes of the
// click and move events, the sprite numbers of the menu with a sound, and the proxy numbers the documents
// give the sprites that show the current card's pictures and video.

// Click action codes. A code is the position of its label in the editor's click list (kClickActionLabels),
// so the order of this list is part of the format.
enum ClickAction : int32_t {
    kActionNone = 0,
    kActionOpenCard = 1,      // open another title at a chosen card
    kActionNextCard = 2,      // at the last card, open another title
    kActionPreviousCard = 3,  // at the first card, open another title at a chosen card
    kActionCardsList = 4,     // choose a card in the cards list
    kActionTextLineUp = 5,    // scroll the text named by argument 1
    kActionTextLineDown = 6,
    kActionTextPageUp = 7,
    kActionTextPageDown = 8,
    kActionTextScrollKnob = 9,  // dragged to scroll the text
    kActionTextScrollBar = 10,  // the knob's track; no click behaviour
    kActionPlaySound = 11,
    kActionVolumeKnob = 12,      // dragged to set the volume
    kActionVolumeBar = 13,       // the volume knob's track; no click behaviour
    kActionMuteOn = 14,          // shown while muted; a click switches muting off
    kActionMuteOff = 15,         // shown while not muted; a click switches muting on
    kActionPlayVideoTitle = 16,  // open the title numbered after the current card
    kActionVideoPlay = 17,
    kActionVideoStop = 18,
    kActionVideoStart = 19,        // no click behaviour
    kActionVideoFastForward = 20,  // no click behaviour
    kActionVideoRewind = 21,       // no click behaviour
    kActionVideoBar = 22,          // the video knob's track; no click behaviour
    kActionVideoKnob = 23,         // dragged to seek the card's video
    kActionShowSprites = 24,       // the sprites of the number list in argument 1
    kActionHideSprites = 25,
    kActionAbleSprites = 26,
    kActionDisableSprites = 27,
    kActionSlideShow = 28,
    kActionShowMenu = 29,  // show the sprites numbered after this one
    kActionShowBitmap = 30,
    kActionEndProgram = 31,
    kActionLinkToUrl = 32,
    kActionSendEmail = 33,
};
constexpr int32_t kClickActionCount = 34;  // a code outside 0 ... 33 behaves like kActionNone

// The sprites of the text scroll actions: each names its text in click argument 1, and the player shows
// them only where that text needs scrolling.
constexpr bool IsTextScrollAction(int32_t code) {
    return code >= kActionTextLineUp && code <= kActionTextScrollBar;
}
// The video widgets the player shows only when the current card has a video.
constexpr bool IsVideoWidgetAction(int32_t code) {
    return code == kActionVideoPlay || code == kActionVideoStop || code == kActionVideoBar ||
           code == kActionVideoKnob;
}

// Move action codes: the position of the label in the editor's move list (kMoveActionLabels). Only move
// argument 1 is used.
enum MoveAction : int32_t {
    kMoveActionNone = 0,
    kMoveActionChangeFrame = 1,  // "Sprite - Change plane": the frame (cell row) of a phased sprite
    kMoveActionAnimate = 2,      // the sprite numbered by argument 1, or the hovered one
    kMoveActionShowSprites = 3,  // shown while the pointer is over the sprite
    kMoveActionHideSprites = 4,  // hidden while the pointer is over the sprite
    kMoveActionPlaySound = 5,
};
constexpr int32_t kMoveActionCount = 6;

// The labels of the editor's action lists, in code order, as the editor shows them.
constexpr std::array<const char*, kClickActionCount> kClickActionLabels = {
    "None",
    "File - Open a card",
    "Cards - Next card",
    "Cards - Previous card",
    "Cards - Cards list",
    "Text - Line up",
    "Text - Line down",
    "Text - Page up",
    "Text - Page down",
    "Text - Scroll control",
    "Text - Scroll bar",
    "Sound - Play a sound",
    "Sound - Volume control",
    "Sound - Volume bar",
    "Sound - Mute on",
    "Sound - Mute Off",
    "Video - Play a video",
    "Video - Play",
    "Video - Stop",
    "Video - Start",
    "Video - Fast forward",
    "Video - Rewind",
    "Video - Bar",
    "Video - Control",
    "Sprite - Show",
    "Sprite - Hide",
    "Sprite - Able",
    "Sprite - Disable",
    "Other - Slide Show",
    "Other - Show menu",
    "Other - Show bitmap",
    "Other - End the program",
    "Internet - Link to URL",
    "Internet - Send E-Mail",
};
constexpr std::array<const char*, kMoveActionCount> kMoveActionLabels = {
    "None",          "Sprite - Change plane", "Sprite - Animate",
    "Sprite - Show", "Sprite - Hide",         "Sound - Play a sound",
};

// A list shorter than its codes would leave the last labels empty.
static_assert(kClickActionLabels[kActionSendEmail] != nullptr &&
              kMoveActionLabels[kMoveActionPlaySound] != nullptr);

// The menu with a sound: when the menu sprite of this number opens, the sound named by click argument 1
// of the sprite numbered kMenuSoundSpriteNumber plays, and it stops when the menu closes.
constexpr int32_t kSoundMenuNumber = 500;
constexpr int32_t kMenuSoundSpriteNumber = 501;

// Proxy sprites stand for the current card's pictures and, in the editor, its video; they carry negative
// numbers so that the number lists authors write never reach them. Authored sprites have numbers 0 or more.
constexpr bool IsProxyNumber(int32_t number) {
    return number < 0;
}
// The editor's card video.
constexpr int32_t kVideoProxyNumber = -1;
// Picture k of the card (k = 1, 2, ... in array order) is -k in the player and -(k + 1) in the editor,
// whose -1 is the video.
constexpr int32_t kPlayerFirstPictureProxyNumber = -1;
constexpr int32_t kEditorFirstPictureProxyNumber = -2;
constexpr int32_t PictureProxyNumber(size_t index, bool editor) {
    return (editor ? kEditorFirstPictureProxyNumber : kPlayerFirstPictureProxyNumber) -
           static_cast<int32_t>(index);
}
// In the editor: whether the number is that of a picture proxy (and not the video's).
constexpr bool IsPictureProxyNumberOfEditor(int32_t number) {
    return number <= kEditorFirstPictureProxyNumber;
}
