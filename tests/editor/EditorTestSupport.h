#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/EditingSeams.h"
#include "editor/EditorDialogs.h"
#include "model/FichaDoc.h"
#include "platform/FileDialog.h"

// Doubles of the editing commands' surroundings: the card view's state and the dialogs, answering from
// scripts and recording what was asked.
namespace editor_test {

// Installs a scripted file dialog for one test.
class ScopedFileDialog {
  public:
    explicit ScopedFileDialog(platform::FileDialog& dialog) { platform::SetFileDialog(&dialog); }
    ~ScopedFileDialog() { platform::SetFileDialog(nullptr); }
    ScopedFileDialog(const ScopedFileDialog&) = delete;
    ScopedFileDialog& operator=(const ScopedFileDialog&) = delete;
};

class FakeCardView : public CardEditing {
  public:
    explicit FakeCardView(CFichaDoc& doc) : doc_(doc) {}

    CTexto* CurrentText() const override { return text; }
    void SetCurrentText(CTexto* t) override { text = t; }
    CSprite* CurrentSprite() const override { return sprite; }
    void SetCurrentSprite(CSprite* s) override { sprite = s; }
    void DeselectAll() override {
        for (CSprite* s : doc_.GetSpriteList()) s->SetSelected(false);
        if (CFicha* card = doc_.GetCurrentCardPtr())
            for (CTexto* t : card->texts) t->selected = false;
    }
    void Refresh() override { ++refreshes; }
    std::string CardPaneText() const override { return {}; }
    std::string PositionPaneText() const override { return {}; }

    CTexto* text = nullptr;
    CSprite* sprite = nullptr;
    int refreshes = 0;

  private:
    CFichaDoc& doc_;
};

// Every dialog answers "cancelled" unless the test scripts it.
class ScriptedDialogs : public EditorDialogs {
  public:
    std::optional<std::string> ChooseImageFile() override {
        calls.push_back("image file");
        return Next(files);
    }
    std::optional<std::string> ChooseBitmapFile() override {
        calls.push_back("bitmap file");
        return Next(files);
    }
    std::optional<uint32_t> ChooseColour(uint32_t initial) override {
        calls.push_back("colour " + std::to_string(initial));
        return Next(colours);
    }
    std::optional<std::pair<uint32_t, uint32_t>> ChooseGradient(uint32_t initial, uint32_t final) override {
        calls.push_back("gradient " + std::to_string(initial) + " " + std::to_string(final));
        return Next(gradients);
    }
    bool TextProperties(TextFields& fields) override {
        calls.push_back("text properties");
        return onText && onText(fields);
    }
    std::optional<AlignTextsChoice> AlignTexts(const AlignTextsChoice& start) override {
        calls.push_back("align texts");
        alignStart = start;
        return onAlign ? onAlign(start) : std::nullopt;
    }
    bool TextFormat(const std::string& identifier, const FontChoice& start,
                    const std::function<void(const std::string&, const FontChoice&)>& apply) override {
        calls.push_back("text format");
        for (const FontChoice& font : fonts) apply(identifier, font);
        (void)start;
        return !fonts.empty();
    }
    bool PictureProperties(CFoto& picture) override {
        calls.push_back("picture properties");
        return onPicture && onPicture(picture);
    }
    bool VideoProperties(CVideo& video) override {
        calls.push_back("video properties");
        return onVideo && onVideo(video);
    }
    bool SpriteProperties(CPhasedSprite& sprite) override {
        calls.push_back("sprite properties");
        return onSprite && onSprite(sprite);
    }
    bool SpriteConfiguration(CPhasedSprite& sprite) override {
        calls.push_back("sprite configuration");
        return onSprite && onSprite(sprite);
    }
    bool SpriteEvents(CPhasedSprite& sprite) override {
        calls.push_back("sprite events");
        return onSprite && onSprite(sprite);
    }
    bool SpritesList(CSpriteList&) override {
        calls.push_back("sprites list");
        return spritesListConfirmed;
    }
    bool ScreenCardProperties(ScreenCardFields& fields) override {
        calls.push_back("screen properties");
        return onScreen && onScreen(fields);
    }
    std::optional<int> CardsList(const CArrayFichas&, int) override {
        calls.push_back("cards list");
        return chosenCard;
    }
    std::optional<std::string> IdentificatorField(const std::string&,
                                                  const std::vector<std::string>& identifiers) override {
        calls.push_back("identificator field");
        offeredIdentifiers = identifiers;
        return field;
    }
    std::optional<std::string> WorkDirectory(const std::string&) override {
        calls.push_back("work directory");
        return directory;
    }
    platform::MessageAnswer Message(const std::string& text, platform::MessageIcon,
                                    platform::MessageButtons) override {
        messages.push_back(text);
        return platform::MessageAnswer::ok;
    }

    std::deque<std::optional<std::string>> files;
    std::deque<std::optional<uint32_t>> colours;
    std::deque<std::optional<std::pair<uint32_t, uint32_t>>> gradients;
    std::function<bool(TextFields&)> onText;
    std::function<std::optional<AlignTextsChoice>(const AlignTextsChoice&)> onAlign;
    std::vector<FontChoice> fonts;
    std::function<bool(CFoto&)> onPicture;
    std::function<bool(CVideo&)> onVideo;
    std::function<bool(CPhasedSprite&)> onSprite;
    std::function<bool(ScreenCardFields&)> onScreen;
    bool spritesListConfirmed = false;
    std::optional<int> chosenCard;
    std::optional<std::string> field;
    std::optional<std::string> directory;

    std::vector<std::string> calls;
    std::vector<std::string> messages;
    std::optional<AlignTextsChoice> alignStart;
    std::vector<std::string> offeredIdentifiers;

  private:
    template <class T>
    static std::optional<T> Next(std::deque<std::optional<T>>& script) {
        if (script.empty()) return std::nullopt;
        std::optional<T> answer = script.front();
        script.pop_front();
        return answer;
    }
};

}  // namespace editor_test
