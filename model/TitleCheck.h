#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

class CFichaDoc;

// What would go wrong when a title plays, found without playing it: files the title names that are not
// beside it, sprite numbers no sprite has, texts no card holds, other titles that are missing or do not
// open, and card indexes outside the titles they name. fcatool check prints the findings; the editor
// lists them in its check panel and draws the links in its link map.

// One finding: the line fcatool prints and where it lies, so that an editor can show the element.
struct TitleFinding {
    std::string line;               // UTF-8
    int card = -1;                  // the card the finding is on; -1 when it is on none
    std::optional<int32_t> sprite;  // the sprite whose action or list it is about
};

// Walks `doc`, a document loaded as the player loads it (no proxy sprites), in a fixed order: the
// background music, the cards in order, then the sprites in list order. Other titles are looked for in
// the document's folder and opened once each.
std::vector<TitleFinding> CheckTitle(CFichaDoc& doc);

// The numbers of the sprites that each card shows when the player enters it straight from the title as
// it was loaded (the card's widgets and lists applied, as fcatool render shows it). The sprites'
// visibility is put back afterwards; the current card is left at the last card.
std::vector<std::set<int32_t>> SpritesShownByCards(CFichaDoc& doc);

// The findings about the actions of `doc` whose card numbers mean another card after the cards were
// reordered. `order[i]` is the index the card now at i had before. An action reaches a card of this
// title when it names the title's own file stem (or, for "File - Open a card", no stem at all), and the
// titles numbered after the cards ("Video - Play a video") follow the card positions.
std::vector<TitleFinding> CardReferencesAfterMove(const CFichaDoc& doc, const std::vector<size_t>& order);

// Where an action of the title leads: another card of the title, another title (at a card or at
// whichever card it starts at), the cards list, and whether the target exists.
struct TitleLink {
    enum class Kind { card, title, cardsList };
    int fromCard = -1;   // the card whose entering shows the sprite
    int32_t sprite = 0;  // the sprite whose click action it is
    int32_t action = 0;  // the click action code
    Kind kind = Kind::card;
    std::string title;     // Kind::title: the file name the action opens ("menu.fca"), UTF-8
    int card = -1;         // the target card index; -1 when the title decides (its start card)
    bool missing = false;  // the title is not beside this one, does not open, or has no such card
};

// Every link of every card, in card order then sprite order.
std::vector<TitleLink> TitleLinks(CFichaDoc& doc);
