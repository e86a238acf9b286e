#pragma once

#include "editor/EditorDialogs.h"

class CFichaDoc;
class QDialog;
class QWidget;

// The dialogs of the running editor. The file choices go through the platform's file dialog, the colours
// through QColorDialog and the messages through the platform's message box (QtEditorDialogs.cpp); the
// property sheets of sprites, screen and card are in QtPropertySheets.cpp, the element dialogs in
// QtElementDialogs.cpp.
class QtEditorDialogs : public EditorDialogs {
  public:
    // `document`, when given, is the title the sheets offer cards, sprites and texts of.
    explicit QtEditorDialogs(QWidget* parent = nullptr, const CFichaDoc* document = nullptr)
        : parent_(parent), document_(document) {}

    std::optional<std::string> ChooseImageFile() override;
    std::optional<std::string> ChooseBitmapFile() override;
    std::optional<uint32_t> ChooseColour(uint32_t initial) override;
    std::optional<std::pair<uint32_t, uint32_t>> ChooseGradient(uint32_t initial, uint32_t final) override;

    bool TextProperties(TextFields& fields) override;
    std::optional<AlignTextsChoice> AlignTexts(const AlignTextsChoice& start) override;
    bool TextFormat(const std::string& identifier, const FontChoice& start,
                    const std::function<void(const std::string&, const FontChoice&)>& apply) override;
    bool PictureProperties(CFoto& picture) override;
    bool VideoProperties(CVideo& video) override;
    bool SpriteProperties(CPhasedSprite& sprite) override;
    bool SpriteConfiguration(CPhasedSprite& sprite) override;
    bool SpriteEvents(CPhasedSprite& sprite) override;
    bool SpritesList(CSpriteList& sprites) override;
    bool ScreenCardProperties(ScreenCardFields& fields) override;
    std::optional<int> CardsList(const CArrayFichas& cards, int current) override;
    std::optional<std::string> IdentificatorField(const std::string& current,
                                                  const std::vector<std::string>& identifiers) override;
    std::optional<std::string> WorkDirectory(const std::string& current) override;

    platform::MessageAnswer Message(const std::string& text, platform::MessageIcon icon,
                                    platform::MessageButtons buttons) override;

    // The font dialog that the text dialogs open (CFontChoiceDlg).
    virtual std::optional<FontChoice> ChooseFont(const FontChoice& start);

  protected:
    // Shows one of the element dialogs modally and returns how it ended; tests drive the dialog instead.
    virtual int Run(QDialog& dialog);

  private:
    QWidget* parent_;
    const CFichaDoc* document_;
};

// The colour dialog's red, green and blue as a Windows colour reference (0x00BBGGRR).
uint32_t ColorrefFromRgb(int red, int green, int blue);
