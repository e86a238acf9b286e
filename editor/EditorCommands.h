#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/CommandTarget.h"
#include "editor/EditingSeams.h"

class CDibJpeg;
class CFichaDoc;
class CFicha;
class CPhasedSprite;
class EditorClipboard;
class EditorDialogs;

// The editing commands of one title document: cards and navigation, the three backgrounds, the model
// side of inserting, deletion, the editor clipboard, undo and redo, the commands on one text across the
// cards, the property dialogs and the work directory. Every command that changes the title marks it
// modified and refreshes its views; the commands that the title's undo records take their step before
// their first change, named after the command, and drop it again when their dialog or file choice is
// cancelled.
//
// The frame asks these commands after the card view (editor/CommandTarget.h); the card view calls the
// insertion side (editor/EditingSeams.h) for its insert tools.
class CEditorCommands : public CommandTarget, public CardInsertion {
  public:
    // `view` may be null until the card view exists (SetCardEditing).
    CEditorCommands(CFichaDoc& doc, CardEditing* view, EditorClipboard& clipboard, EditorDialogs& dialogs);
    ~CEditorCommands() override;
    CEditorCommands(const CEditorCommands&) = delete;
    CEditorCommands& operator=(const CEditorCommands&) = delete;

    void SetCardEditing(CardEditing* view) { view_ = view; }

    // CommandTarget
    bool CommandState(int id, State& state) override;
    bool RunCommand(int id) override;

    // CardInsertion
    bool InsertSprite(const platform::Point& at) override;
    CTexto* InsertText(const platform::Rect& place) override;
    bool InsertPicture(const platform::Point& at) override;
    bool InsertVideo(const platform::Point& at) override;

    // The Edit menu's texts for Undo and Redo: "Undo Move", "Redo Delete card" ("Undo" and "Redo" when
    // the step has no name).
    std::string UndoText() const;
    std::string RedoText() const;
    // The name of the undo step that command `id` takes ("Delete card"); empty for commands that take none.
    static std::string StepName(int id);

    // The card overview's and the check panel's ways into the cards: going to a card as the cards list
    // does, and moving a card to another place in the stack as one undo step "Move card". MoveCard is
    // false, leaving no step, when nothing moved.
    void ShowCardAt(int index);
    bool MoveCard(int from, int to);
    static constexpr const char* kMoveCardStep = "Move card";

  private:
    class Step;

    // Marks the title modified and shows the change in every view.
    void Changed();
    void Refresh();
    // The view's targets of the text and sprite commands; null when there is no view or none is set.
    CTexto* CurrentText() const;
    CSprite* CurrentSprite() const;
    // The current sprite when it is an ordinary (not proxy) sprite.
    CPhasedSprite* CurrentOrdinarySprite() const;
    void ForgetCurrentElements();
    bool AnySelected() const;

    // Card management and navigation.
    void AddCard();
    void DuplicateCard();
    void DeleteCard();
    void GoToCard(int which);
    void CardsList();
    void IdentificatorField();
    // Backgrounds.
    void BackgroundFromFile();
    void BackgroundSolidColour();
    void BackgroundGradient();
    void InstallBackground(std::unique_ptr<CDibJpeg> background);
    // Deletion and the clipboard.
    // True when anything was selected and deleted.
    bool DeleteSelection(bool textsOnly);
    void Copy();
    void Paste();
    void Undo();
    void Redo();
    // Texts.
    void EditText();
    void AlignTexts();
    void TextFormat();
    void RepeatInAllCards();
    void ConvertInCounter();
    // Sprites, pictures, the video, the screen.
    void SpriteProperties();
    void SpriteConfiguration(bool events);
    void ChangeBitmap();
    void PictureProperties();
    void VideoProperties();
    void ScreenProperties();
    void SpritesList();
    void WorkDirectory();

    // Writes the positions of the current card's picture and video proxies back into their records, so
    // that a rebuild of the proxies keeps where the author dragged them.
    void KeepProxyPositions();

    CFichaDoc& doc_;
    CardEditing* view_;
    EditorClipboard& clipboard_;
    EditorDialogs& dialogs_;
};
