#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/PieceFile.h"

// The editor's undo and redo of one title: whole snapshots of the document in the title-file format, kept
// in memory. A step holds the state from before its command's first change, the command's name for the
// Edit menu and the cards the change began and ended on. Below the steps lies the baseline, the state the
// document was created or opened with: changes that no command recorded (the few commands that take no
// snapshot) are undone back to the last snapshot, or to the baseline when there is no step.
//
// The history knows nothing of documents: the document hands it snapshots (bytes in shared pieces, so
// that snapshots a small change apart share most of theirs) and loads what it gets back. It also follows the
// save point, so that undoing back to the saved state clears the modified flag and redoing away from it sets
// it again.
class UndoHistory {
  public:
    using Bytes = std::vector<uint8_t>;
    using Snapshot = std::shared_ptr<const platform::PieceBytes>;
    // A snapshot of bytes held in one buffer.
    static Snapshot FromBytes(Bytes bytes);

    static constexpr size_t kMaxSteps = 100;
    static constexpr size_t kMaxBytes = size_t{64} << 20;

    // What the document goes to after an undo or a redo: the card to show and its modified flag.
    struct Arrival {
        int card = -1;
        bool modified = false;
    };

    // New and Open: the history starts over from `baseline`, which is the saved state.
    void Reset(Snapshot baseline, int card);
    // Close: nothing is kept.
    void Clear();
    bool IsActive() const { return baseline_ != nullptr; }

    // Records the state from before a change. `modified` is the document's flag at this moment. Any redo
    // steps go (they are kept until the step is confirmed or dropped, see DropStep).
    void Push(std::string name, Snapshot before, int card, bool modified);
    // The card the change of the newest step ended on (added and deleted cards move the current card).
    void SetStepEndCard(int card);
    // The command of the newest step was cancelled: the step goes and the redo steps come back.
    void DropStep();
    // The newest step stays for good: a later DropStep does not touch it. Every other operation of the
    // history confirms it too.
    void ConfirmStep();

    // The state an undo would load, given the document's state now: the newest step that differs from
    // it (steps that changed nothing are dropped on the way), or the baseline. Null: nothing to undo.
    Snapshot UndoTarget(const Snapshot& current);
    // The document has loaded UndoTarget: the step moves to the redo side holding `current`.
    Arrival CommitUndo(Snapshot current, int currentCard, bool modified);
    Snapshot RedoTarget() const;
    Arrival CommitRedo(Snapshot current, int currentCard, bool modified);

    // The document was saved: its state now is the save point.
    void MarkSaved();
    // No state of the history is what the file holds (a document restored from a recovery copy starts
    // from unsaved work): undoing back to the baseline leaves the document modified until the next save.
    void ForgetSavePoint() { savedState_ = ++counter_; }

    bool CanUndoStep() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // The names of the steps an undo or a redo would take back; empty for a nameless one.
    std::string UndoName() const { return undo_.empty() ? std::string() : undo_.back().name; }
    std::string RedoName() const { return redo_.empty() ? std::string() : redo_.back().name; }
    size_t UndoCount() const { return undo_.size(); }
    size_t RedoCount() const { return redo_.size(); }
    // The bytes of every distinct snapshot, the baseline's included, each counted whole even where
    // snapshots share pieces: the bound errs on the safe side.
    size_t ByteCount() const;

  private:
    struct Step {
        std::string name;
        Snapshot bytes;
        int cardBefore = -1;
        int cardAfter = -1;
        uint64_t state = 0;  // which document state the bytes hold, for the save point
    };

    static bool Same(const Snapshot& a, const Snapshot& b);
    // The identity of the document's present state, given its modified flag.
    uint64_t CurrentState(bool modified);
    // The bytes of the snapshots held, counted once per holder: never less than ByteCount, and quicker.
    size_t HeldBytes() const;
    // Calls `visit` with each holder's snapshot: the baseline's, the undo steps', the redo steps'.
    template <class Visit>
    void ForEachSnapshot(Visit visit) const;
    // Drops the oldest steps while the history holds too many or too many bytes.
    void Trim();

    Snapshot baseline_;
    int baselineCard_ = -1;
    uint64_t baselineState_ = 0;
    std::deque<Step> undo_;
    std::vector<Step> redo_;
    // The redo steps a new step set aside, until the step is confirmed or dropped.
    std::vector<Step> setAside_;
    bool droppable_ = false;
    uint64_t stateBeforeStep_ = 0;
    uint64_t counter_ = 0;
    uint64_t currentState_ = 0;
    uint64_t savedState_ = 0;
    mutable std::vector<const platform::PieceBytes*> countScratch_;
};
