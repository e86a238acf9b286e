#pragma once

#include <optional>
#include <string>
#include <vector>

class CArrayFichas;
class CSpriteList;
class QWidget;

// Small lists from which the event pages and the card page fill a field with what the title holds, so
// that the author picks a card, sprites or a text instead of remembering their numbers and names. Each
// is modal and gives nothing when cancelled.

// A card of `cards`, shown by caption; `current` is preselected when it is a card. The index chosen.
std::optional<int> ChooseCardOf(const CArrayFichas& cards, int current, QWidget* parent);

// Sprites of `sprites` (not the proxies of pictures and the video), by number and text, those of the
// number list `current` preselected. `many` lets several be chosen, at most as many as a list holds
// (more are refused with a message and the list stays open). The numbers chosen, as a number list.
std::optional<std::string> ChooseSpritesOf(const CSpriteList& sprites, const std::string& current, bool many,
                                           QWidget* parent);

// One of `identifiers`, `current` preselected.
std::optional<std::string> ChooseTextOf(const std::vector<std::string>& identifiers,
                                        const std::string& current, QWidget* parent);
