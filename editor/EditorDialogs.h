#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/MessageBox.h"

class CArrayFichas;
class CFoto;
class CPhasedSprite;
class CSpriteList;
class CVideo;

// The fields of the text property dialog: what it shows of one text and gives back on OK.
struct TextFields {
    std::string identifier;
    std::string text;
    std::string fontFace;
    bool underline = false;
    bool italic = false;
    bool bold = false;
    int32_t height = 15;
    uint32_t colour = 0;  // 0x00BBGGRR
    bool visible = true;
    int32_t x = 0;  // the rectangle's left and top
    int32_t y = 0;
};

// What the align-texts dialog (position and size) asks to do with the texts of one identifier.
struct AlignTextsChoice {
    std::string identifier;
    bool position = true;
    int32_t x = 0;
    int32_t y = 0;
    bool size = false;
    int32_t width = 0;
    int32_t height = 0;
};

// A font as the font dialog gives it back.
struct FontChoice {
    std::string face;
    int32_t height = 15;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    uint32_t colour = 0;
};

// The screen page and the card page of the screen/card property sheet.
struct ScreenCardFields {
    std::string identifier;
    std::string description;
    std::string backgroundMusic;
    bool stopPreviousMusic = false;
    bool loopMusic = false;
    bool hasCard = false;  // without a current card the card page edits nothing
    std::string activationList;
    std::string deactivationList;
};

// Every dialog the editing commands open, behind one interface: the program shows the real ones (the file
// dialogs of the platform, the colour dialog, the property sheets), tests script the answers. Each returns
// what the user confirmed, or "cancelled" (false or nothing); the dialogs that edit a record in place
// write it only on OK.
class EditorDialogs {
  public:
    virtual ~EditorDialogs() = default;

    // --- files ---
    // An image for a background, a picture or a new sprite: the open dialog of loading by extension.
    virtual std::optional<std::string> ChooseImageFile() = 0;
    // A new sheet for a sprite (BMP or PCX).
    virtual std::optional<std::string> ChooseBitmapFile() = 0;

    // --- colours ---
    // The colour dialog with the full custom-colour panel shown and `initial` preselected.
    virtual std::optional<uint32_t> ChooseColour(uint32_t initial) = 0;
    // The gradient dialog: initial and final colour, starting as `initial` and `final`.
    virtual std::optional<std::pair<uint32_t, uint32_t>> ChooseGradient(uint32_t initial, uint32_t final) = 0;

    // --- texts ---
    virtual bool TextProperties(TextFields& fields) = 0;
    // Align texts with position and size: what to apply, starting from `start`.
    virtual std::optional<AlignTextsChoice> AlignTexts(const AlignTextsChoice& start) = 0;
    // Text format: the dialog stays open until closed; every confirmed font dialog calls `apply` with the
    // identifier then shown and the font chosen. True when `apply` ran at least once.
    virtual bool TextFormat(const std::string& identifier, const FontChoice& start,
                            const std::function<void(const std::string&, const FontChoice&)>& apply) = 0;

    // --- pictures, the video, sprites ---
    virtual bool PictureProperties(CFoto& picture) = 0;
    virtual bool VideoProperties(CVideo& video) = 0;
    // The sprite property sheet (configuration and events).
    virtual bool SpriteProperties(CPhasedSprite& sprite) = 0;
    virtual bool SpriteConfiguration(CPhasedSprite& sprite) = 0;
    virtual bool SpriteEvents(CPhasedSprite& sprite) = 0;
    // The sprites list, from which sprite property sheets open: true when one of them was confirmed.
    virtual bool SpritesList(CSpriteList& sprites) = 0;

    // --- document and cards ---
    virtual bool ScreenCardProperties(ScreenCardFields& fields) = 0;
    // The cards list: the chosen card, or nothing when closed without a choice.
    virtual std::optional<int> CardsList(const CArrayFichas& cards, int current) = 0;
    // The card identifier field: the new field name; `identifiers` are the choices, sorted.
    virtual std::optional<std::string> IdentificatorField(const std::string& current,
                                                          const std::vector<std::string>& identifiers) = 0;
    virtual std::optional<std::string> WorkDirectory(const std::string& current) = 0;

    // --- messages ---
    // A message box of the platform; the text is UTF-8.
    virtual platform::MessageAnswer Message(const std::string& text, platform::MessageIcon icon,
                                            platform::MessageButtons buttons) = 0;
};
