#pragma once

#include <string>

#include "platform/Geometry.h"

class CSprite;
class CTexto;

// What the editing commands ask of the card view that shows their document: the view's own state (the
// current text and the current sprite, which are not part of the title) and its refresh. The editor's
// card view implements it.
class CardEditing {
  public:
    virtual ~CardEditing() = default;

    // The text that carries the resize tracker and is the target of the text commands; null for none.
    virtual CTexto* CurrentText() const = 0;
    // Makes `text` (or none) the current text; the tracker follows it.
    virtual void SetCurrentText(CTexto* text) = 0;
    // The sprite (or proxy) last pressed or right-clicked, the target of the sprite commands.
    virtual CSprite* CurrentSprite() const = 0;
    virtual void SetCurrentSprite(CSprite* sprite) = 0;
    // Deselects every sprite, proxy, picture, the video and every text of the current card.
    virtual void DeselectAll() = 0;
    // Renders the scene again into the back buffer and repaints the view (after every model change).
    virtual void Refresh() = 0;

    // The status bar's texts: "Ficha: %d de %d" (empty without a current card) and
    // "Pos X: %d, Pos Y: %d" with the last pointer position in card coordinates.
    virtual std::string CardPaneText() const = 0;
    virtual std::string PositionPaneText() const = 0;
};

// The model side of the insert tools, which the card view calls at the press point (card coordinates)
// or with the rectangle the user drew. The editing commands implement it; each takes its undo step.
class CardInsertion {
  public:
    virtual ~CardInsertion() = default;

    // Asks for an image file and places a new sprite's top-left corner at `at`; false when none was loaded.
    virtual bool InsertSprite(const platform::Point& at) = 0;
    // Appends a new selected text "Texto" filling `place` to the current card; the new text, or null.
    virtual CTexto* InsertText(const platform::Rect& place) = 0;
    // A new picture at `at` through its property dialog; false when cancelled.
    virtual bool InsertPicture(const platform::Point& at) = 0;
    // Places the card's video at `at` and opens its property dialog; false when cancelled.
    virtual bool InsertVideo(const platform::Point& at) = 0;
};
