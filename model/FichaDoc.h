#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/Actions.h"
#include "model/AnimDoc.h"
#include "model/Ficha.h"
#include "model/PictureCache.h"
#include "model/UndoHistory.h"

class CMciAvi;
class CPhasedSprite;

// The title document: the scene of CAnimDoc plus the stack of cards, the work directory and the current
// card. Both programs use it. The current card's pictures (and, in the editor, its video) take part in
// the scene as proxy sprites with negative numbers, which the document puts into the sprite list when a
// card is shown and takes out again whenever it is stored. The editor also keeps an undo
// history of snapshots in memory; the player owns the media device its card videos play through.
class CFichaDoc : public CAnimDoc {
  public:
    // The player's document owns a media device from the start.
    explicit CFichaDoc(Variant variant);
    ~CFichaDoc() override;

    // --- framework operations ---
    // Editor: a 640 x 480 black scene with one empty card, and the first undo snapshot. Player: a
    // 320 x 240 scene without cards.
    bool OnNewDocument() override;
    // Opens a title file. The file is loaded into a scratch document and taken over only when the whole
    // title was read, so a failure, reported with the system's message (exclamation icon), leaves the
    // title that is showing as it was: its cards, sprites, background, path and current card, and the
    // views that show it. The editor shows card 0 and takes the first undo snapshot; the player starts at
    // the run state's start card and applies the background-music rule.
    bool OnOpenDocument(const std::string& path) override;
    // Stores the document into a new file beside `path` and only then puts it in the place of `path`, so
    // that a failed save leaves the previous title as it was. Failures are reported with the system's
    // message.
    bool OnSaveDocument(const std::string& path);
    // Forgets the undo history.
    void OnCloseDocument();
    void DeleteContents() override;
    // The whole title layout. Storing leaves out the proxy sprites and puts them back afterwards.
    void Serialize(CArchive& ar) override;
    // The pixels of the visible sprites and of those the first card shows, less those it hides; then the
    // lines of the first card's texts.
    void PrepareFirstView(const std::function<bool()>& waiting) const override;

    // Loads a whole title from `file` without showing a card or touching the music: the current card is
    // 0 when there is a card. False, with nothing loaded, when the stream is not a title; `message` then
    // holds what opening shows.
    bool Load(platform::File& file, std::string* message = nullptr);
    // Stores the whole title into `file`. Faults are thrown as the archive throws them.
    void Store(platform::File& file);

    // --- cards ---
    CArrayFichas& GetCards() { return cards_; }
    const CArrayFichas& GetCards() const { return cards_; }
    // The card at `index`, or none outside 0 ... count - 1.
    CFicha* CardAt(int index) const;
    int GetCurrentCard() const { return currentCard_; }
    CFicha* GetCurrentCardPtr() const { return CardAt(currentCard_); }
    // Rebuilds the proxy sprites for `card` (the current card).
    void ShowCard(CFicha* card);

    // Editor navigation: the picture proxies go, the card becomes current and is shown.
    void FirstCard();
    void LastCard();
    void NextCard();             // enabled when there is a card after the current one
    void PreviousCard();         // enabled when the current card is not the first
    void SelectCard(int index);  // the cards list's choice (ignored outside the stack)
    bool CanGoNext() const;
    bool CanGoPrevious() const;
    // Editor: appends `card` and makes it the current card (Add card, Duplicate card).
    void AppendCard(std::unique_ptr<CFicha> card);
    // Editor: the current card goes. The index stays, or moves back by one when the last card went (to -1
    // when none is left), and the proxies follow the card that is current then.
    void DeleteCurrentCard();
    // Editor: the card at `from` takes the place `to`, the cards between closing up; the current card stays
    // the same card, at its new index. False, changing nothing, when either index is outside the stack.
    bool MoveCard(int from, int to);
    // Editor: builds the current card's proxies again from its pictures and video, after they changed.
    void RebuildProxies();

    // Player navigation: false, changing nothing, outside the stack. Entering a card shows every text
    // from its first line.
    bool GoToCard(int index);
    bool NextCardPlayer();
    bool PreviousCardPlayer();
    bool LastCardPlayer();

    // The player's entering of a card, as far as the scene goes: the widgets of texts and videos are
    // shown only where they have something to work on, then the card's activation list is shown and its
    // deactivation list hidden. Returns whether either list named a sprite.
    bool ApplyCurrentCardToSprites();

    // --- editor undo ---
    // Many levels of undo and redo, each a snapshot of the whole title in memory (UndoHistory). New and
    // Open start the history; the commands take a step before their first change.
    // A nameless step (the card view's drag and resize).
    void TakeUndoSnapshot();
    // A step named after its command, as the Edit menu shows it ("Undo Delete card").
    void TakeUndoSnapshot(const std::string& step);
    // The newest step's change ended on the current card (commands that add or delete cards call it, so
    // that redo returns to where the change left the title).
    void EndUndoStep();
    // The command of the newest step was cancelled before it changed anything: the step goes and the
    // redo steps come back.
    void DropUndoSnapshot();
    // Whether Undo has something to bring back: a step, or changes that no step recorded.
    bool CanUndo() const;
    bool CanRedo() const;
    // "Undo Move", "Redo Delete card"; "Undo" and "Redo" for nameless steps.
    std::string UndoText() const;
    std::string RedoText() const;
    // Brings back the state before the newest step (or the baseline) and shows the card its change was
    // made on; the modified flag follows the save point. A snapshot that cannot be read leaves the
    // document as it is. False when there was nothing to undo.
    bool Undo();
    // Takes the newest undone step again and shows the card its change ended on.
    bool Redo();
    // The whole title in the title-file format, as a save writes it, leaving the document as it is (its
    // texts keep their selection); null when it cannot be stored. The autosave and the editor's panels
    // read the title through it without touching the file. The bytes come in one buffer.
    platform::SharedBytes TitleBytes();
    // Tests: every snapshot is also stored the plain way and compared; a difference (a stored member
    // changed without its change mark) ends the program with a message.
    static void CheckSnapshotsAgainstStore(bool on);
    UndoHistory& GetUndoHistory() { return undo_; }
    const UndoHistory& GetUndoHistory() const { return undo_; }

    // --- stored and run-time members ---
    std::string workDirectory;  // editor: folder put in front of picture and video names
    bool HasVideo() const { return hasVideo_; }
    // The player's media device for the card video; created with the document.
    CMciAvi* GetMciAvi() const { return mciAvi_.get(); }

    // The real path of a picture or video named by the title: the editor puts the work directory in
    // front; both resolve the Windows name against the title's folder. Nothing when no such file exists.
    std::optional<std::string> ResolveMediaName(const std::string& storedName) const;

  private:
    // Exchanges the stored title and the card state with `other`, a document of the same program that
    // has just been loaded: SwapScene, the work directory, the cards, the current card and the video
    // flag. The views, the path, the undo file and the media device stay with each document.
    void SwapTitle(CFichaDoc& other);
    // The name of a picture or video as the program opens it: in the editor behind the work directory.
    std::string MediaName(const std::string& storedName) const;
    void RemovePictureProxies();
    void RebuildVideoProxy(const CFicha& card);
    std::unique_ptr<CPhasedSprite> MakePictureProxy(const CFoto& picture, int32_t number) const;
    // The index of the card an open shows first; -1 without cards.
    int FirstCardShown() const;
    // The cards' pictures, kept decoded while their files stay as they were.
    mutable PictureCache pictures_;
    void ShowCurrentCard();
    void EditorGoTo(int index);
    // The whole title in the title-file format; null when it cannot be stored.
    UndoHistory::Snapshot CaptureSnapshot();
    void CheckSnapshot(const platform::PieceBytes& snapshot);
    size_t lastPieceCount_ = 0;
    // Loads `target` in the place of the title, then lets `commit` move the history and say which card
    // to show; false, changing nothing, when the bytes are not a title.
    bool GoToSnapshot(const UndoHistory::Snapshot& target,
                      const std::function<UndoHistory::Arrival()>& commit);
    void StartUndoHistory();

    CArrayFichas cards_;
    int currentCard_ = -1;
    UndoHistory undo_;
    bool hasVideo_ = false;
    std::unique_ptr<CMciAvi> mciAvi_;
};
