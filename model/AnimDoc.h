#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/AnimView.h"
#include "engine/SpriteList.h"
#include "engine/Variant.h"
#include "imaging/DibJpeg.h"
#include "model/PlayerRunState.h"

class CArchive;

namespace platform {
class File;
}

// The scene of a title: the screen's identifier, description and background music, the background
// image and the sprite list. It knows nothing of cards; the card document builds on it. On its own it is
// the document of a ".ANM" scene file, which holds the first nine rows of the title layout only.
//
// A document is made for one program (its variant, fixed for its life) and makes its sprite list and
// every sprite in it behave for that program.
class CAnimDoc : public AnimScene {
  public:
    explicit CAnimDoc(Variant variant);
    // The views still showing the document show nothing afterwards.
    ~CAnimDoc() override;
    CAnimDoc(const CAnimDoc&) = delete;
    CAnimDoc& operator=(const CAnimDoc&) = delete;

    // --- framework operations ---
    // A new scene: a black background (editor 640 x 480, player 320 x 240), no sprites, empty strings.
    virtual bool OnNewDocument();
    // Opens a ".ANM" scene file. The file is loaded into a scratch document and taken over only when the
    // whole file was read, so a failure, reported with the system's message, leaves the document as it
    // was. The player then applies the background-music rule.
    virtual bool OnOpenDocument(const std::string& path);
    // Deletes the background and every sprite.
    virtual void DeleteContents();
    // Rows 1 to 9 of the title layout: leading word, identifier, description, music, loop and stop flags,
    // the background (a flag, then the JFIF stream written straight onto the file) and the sprite list.
    virtual void Serialize(CArchive& ar);
    // Makes ready what the document shows first while a load waits for the background's pixels (see
    // LoadFrom), as long as `waiting` says the wait goes on. Here the visible sprites' pixels are decoded.
    virtual void PrepareFirstView(const std::function<bool()>& waiting) const;
    // Work of the caller's that the next open does while it waits for the background, or at the end of
    // its read when there is nothing to wait for; once, whether the open succeeds or not.
    void SetWorkWhileLoading(std::function<void()> work) { workWhileLoading_ = std::move(work); }

    // --- scene operations ---
    // Installs a new background. When the list holds sprites the user is asked first whether to delete
    // them. The document becomes modified and the views rebuild their buffers for the new background.
    void SetBackground(std::unique_ptr<CDibJpeg> background);
    CDibJpeg* GetBackground() const { return background_.get(); }
    CSpriteList& GetSpriteList() { return sprites_; }
    const CSpriteList& GetSpriteList() const { return sprites_; }

    // AnimScene, for the views.
    CDIB* Background() override { return background_.get(); }
    CSpriteList& Sprites() override { return sprites_; }

    Variant GetVariant() const { return variant_; }

    // --- views ---
    // The views that show this document, in the order they attached. Neither side owns the other: a view
    // shows the document through CAnimView::SetScene (AddView and RemoveView are the same from this side),
    // and a view that is destroyed takes itself out of the list.
    void AddView(CAnimView* view);
    void RemoveView(CAnimView* view);
    const std::vector<CAnimView*>& GetViews() const { return views_; }
    // States the view that receives the sprite list's dirty rectangles (attaching it first when it does
    // not show this document yet); null: none. When that view is removed or destroyed, no view receives
    // them until another is stated.
    void SetDirtyView(CAnimView* view);
    CAnimView* GetDirtyView() const { return dirtyView_; }
    // Composes and shows the whole scene in every view.
    void UpdateAllViews();

    // --- document state ---
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true) { modified_ = modified; }
    // The file the document was opened from or saved to (UTF-8 path of this file system); empty for a
    // new document.
    const std::string& GetPathName() const { return pathName_; }
    void SetPathName(const std::string& path);
    // The name the framework shows: the file's name, or the new document's name.
    const std::string& GetTitle() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    // The folder against which the names stored in the title (pictures, videos, music) resolve: the
    // title's own folder, as the player makes it the current directory. Empty: the current directory.
    const std::string& GetBaseDirectory() const { return baseDirectory_; }
    void SetBaseDirectory(const std::string& folder) { baseDirectory_ = folder; }

    // Where the background's JFIF stream lay in the file last loaded (begin and end offsets); nothing when
    // that file had no background. Tools that take a title apart copy these bytes as they are.
    struct ByteRange {
        uint64_t begin = 0;
        uint64_t end = 0;
    };
    const std::optional<ByteRange>& GetBackgroundRange() const { return backgroundRange_; }

    // What the background-music rule did when the player last opened the document, so that the player
    // can report it as it reports every other sound: nothing (no music, no device, or the music named is
    // the one already playing), a start of the title's music, or a stop of the music left playing.
    struct MusicChange {
        enum class Kind { none, started, stopped };
        Kind kind = Kind::none;
        std::string music;  // the title's music name, as stored (upper case), when it started
        bool loop = false;
    };
    const MusicChange& GetMusicChange() const { return musicChange_; }

    // Stored members, in stream order.
    uint32_t leadingWord = 0;  // stored back with the value loaded
    std::string identifier;
    std::string description;
    std::string backgroundMusic;  // WAV file played when the player opens the document
    uint32_t loopMusic = 0;       // 32-bit flags, kept as read so that they store back unchanged
    uint32_t stopPreviousMusic = 0;

  protected:
    // The new scene of both programs, of the given background size.
    void NewScene(int32_t width, int32_t height);
    // The player's rule for the background music when a document opens (also for scene files).
    void ApplyBackgroundMusicRule();
    // Loads the whole document from `file` in one archive; false (contents deleted) on any fault, with the
    // message that opening shows in `message`.
    bool LoadFrom(platform::File& file, std::string* message);
    // Exchanges the stored scene (the strings and flags, the background and the sprites) with `other`, a
    // document of the same program; the views, the dirty view, the path and the modified flag stay. The
    // views are handed the new background.
    void SwapScene(CAnimDoc& other);

    // Every view stops showing the document. The destructors call it, the card document's first, because
    // a card view may look at the cards while it is still attached.
    void DetachAllViews();
    void ViewAttached(CAnimView& view) override;
    void ViewDetached(CAnimView& view) override;

  protected:
    // Finds and reads ahead the music that ApplyBackgroundMusicRule is about to start, while a player's
    // load waits for the background.
    void PrepareBackgroundMusic() const;
    // Hands the caller's work (SetWorkWhileLoading) to the document that does the reading.
    void PassWorkWhileLoading(CAnimDoc& reader) { reader.workWhileLoading_ = std::move(workWhileLoading_); }
    void DoWorkWhileLoading();

  private:
    // The music PrepareBackgroundMusic found: the name it looked for, the folder it looked in, and what it
    // found there.
    struct FoundMusic {
        std::string name;
        std::string folder;
        std::optional<std::string> path;
    };

    const Variant variant_;
    std::unique_ptr<CDibJpeg> background_;
    CSpriteList sprites_;
    std::vector<CAnimView*> views_;
    CAnimView* dirtyView_ = nullptr;
    bool modified_ = false;
    std::string pathName_;
    std::string title_;
    std::string baseDirectory_;
    std::optional<ByteRange> backgroundRange_;
    // While a load runs: the background is decoded on the helper thread (see LoadFrom).
    bool readBackgroundAhead_ = false;
    MusicChange musicChange_;
    mutable std::optional<FoundMusic> foundMusic_;
    std::function<void()> workWhileLoading_;
};

// The run state the player's documents read and write when they open: the music playing and the card to
// start at. The player's application installs the one it keeps for the whole run; until then a
// process-wide one serves. Installing nullptr restores that one.
CPlayerRunState& RunState();
void SetRunState(CPlayerRunState* state);
