#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/FileDialog.h"

// What each of the four arguments of a click or move action means, so that the event pages can say it
// beside the field and offer the right help to fill it: a file to browse for, a card or sprites to pick
// from the title. The player reads the arguments (player/); this table only describes them.

enum class ArgumentKind {
    unused,           // the action ignores this argument
    titleStem,        // a title file name without ".fca"
    videoStem,        // the beginning of numbered title names: "clip" for clip01.fca, clip02.fca ...
    cardNumber,       // a card counted from 1, or "*"
    cardIndex,        // a card counted from 0, or "*"
    textIdentifier,   // the identifier of a text of the card shown
    soundFile,        // a WAV file
    pictureFile,      // a JPEG picture
    slideBackground,  // a JPEG or BMP picture drawn behind the slides
    slidePrefix,      // the beginning of the slides' file names
    slideFolder,      // the folder of the slides
    numberList,       // sprite numbers separated by commas
    spriteNumber,     // one sprite number
    frameNumber,      // a frame of the sprite's own sheet
    address,          // a web address or document
    mailAddress,      // an e-mail address
};

struct ArgumentMeaning {
    ArgumentKind kind = ArgumentKind::unused;
    const char* meaning = "";  // shown beside the field; empty for unused arguments
};
using ActionArgumentMeanings = std::array<ArgumentMeaning, 4>;

// The meanings of the arguments of click action `code` and move action `code`; a code outside the lists
// uses none of them.
const ActionArgumentMeanings& ClickArgumentMeanings(int32_t code);
const ActionArgumentMeanings& MoveArgumentMeanings(int32_t code);

// The help a field of this kind offers.
enum class ArgumentHelp { none, browse, chooseCard, chooseSprites, chooseText };
ArgumentHelp HelpFor(ArgumentKind kind);

// The open dialog that Browse shows for an argument of this kind; nothing for kinds that name no file.
std::optional<platform::FileDialogRequest> BrowseRequest(ArgumentKind kind);

// What the field receives for the file `chosen` (a path of this file system) of a title stored at
// `titlePath` (empty when never saved): inside the title's folder the name relative to it, with
// backslashes, as the title's other names are written, otherwise the whole path; a title stem loses its
// ".fca", a video stem also the card number at its end, a slide folder is the folder of the chosen picture
// (empty for the title's own folder).
std::string ArgumentForChosenFile(ArgumentKind kind, const std::string& chosen, const std::string& titlePath);

// How many numbers a sprite number list holds, counted as the player splits it: "3,,7" holds three, the
// empty text none.
size_t CountListNumbers(std::string_view list);
// The message that refuses a list of `count` numbers; `what` names the list ("Argument 1").
std::string TooManyNumbersMessage(const std::string& what, size_t count);
