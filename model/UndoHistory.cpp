#include "model/UndoHistory.h"

#include <algorithm>

UndoHistory::Snapshot UndoHistory::FromBytes(Bytes bytes) {
    return std::make_shared<const platform::PieceBytes>(
        platform::PieceBytes::Of(std::make_shared<const Bytes>(std::move(bytes))));
}

void UndoHistory::Reset(Snapshot baseline, int card) {
    Clear();
    baseline_ = std::move(baseline);
    baselineCard_ = card;
    baselineState_ = currentState_ = savedState_ = ++counter_;
}

void UndoHistory::Clear() {
    baseline_.reset();
    undo_.clear();
    redo_.clear();
    ConfirmStep();
}

bool UndoHistory::Same(const Snapshot& a, const Snapshot& b) {
    return a == b || (a && b && *a == *b);
}

uint64_t UndoHistory::CurrentState(bool modified) {
    // The document's flag is what the user sees, so it wins: a document that says it is saved is the save
    // point, and one that says it is changed while standing on the save point has changes no step holds.
    if (!modified && currentState_ != savedState_)
        currentState_ = savedState_ = ++counter_;
    else if (modified && currentState_ == savedState_)
        currentState_ = ++counter_;
    return currentState_;
}

void UndoHistory::ConfirmStep() {
    droppable_ = false;
    setAside_.clear();
}

void UndoHistory::Push(std::string name, Snapshot before, int card, bool modified) {
    if (!IsActive() || !before) return;
    ConfirmStep();
    const uint64_t state = CurrentState(modified);
    // A step that begins where the last one began shares its buffer: nothing changed in between.
    const Snapshot& previous = undo_.empty() ? baseline_ : undo_.back().bytes;
    if (Same(previous, before)) before = previous;
    setAside_ = std::move(redo_);
    redo_.clear();
    droppable_ = true;
    undo_.push_back({std::move(name), std::move(before), card, card, state});
    stateBeforeStep_ = state;
    // The command changes the document from here on.
    currentState_ = ++counter_;
    Trim();
}

void UndoHistory::SetStepEndCard(int card) {
    ConfirmStep();
    if (!undo_.empty()) undo_.back().cardAfter = card;
}

void UndoHistory::DropStep() {
    if (!droppable_ || undo_.empty()) return;
    undo_.pop_back();
    redo_ = std::move(setAside_);
    ConfirmStep();
    currentState_ = stateBeforeStep_;
}

UndoHistory::Snapshot UndoHistory::UndoTarget(const Snapshot& current) {
    if (!IsActive() || !current) return nullptr;
    while (!undo_.empty() && Same(undo_.back().bytes, current)) {
        ConfirmStep();
        undo_.pop_back();
    }
    if (!undo_.empty()) return undo_.back().bytes;
    return Same(baseline_, current) ? nullptr : baseline_;
}

UndoHistory::Arrival UndoHistory::CommitUndo(Snapshot current, int currentCard, bool modified) {
    ConfirmStep();
    const uint64_t state = CurrentState(modified);
    Arrival arrival;
    if (undo_.empty()) {
        // Back to the baseline: the changes no step recorded become one nameless redo step.
        redo_.push_back({"", std::move(current), baselineCard_, currentCard, state});
        currentState_ = baselineState_;
        arrival.card = baselineCard_;
    } else {
        Step step = std::move(undo_.back());
        undo_.pop_back();
        redo_.push_back({step.name, std::move(current), step.cardBefore, step.cardAfter, state});
        currentState_ = step.state;
        arrival.card = step.cardBefore;
    }
    arrival.modified = currentState_ != savedState_;
    Trim();
    return arrival;
}

UndoHistory::Snapshot UndoHistory::RedoTarget() const {
    return redo_.empty() ? nullptr : redo_.back().bytes;
}

UndoHistory::Arrival UndoHistory::CommitRedo(Snapshot current, int currentCard, bool modified) {
    (void)currentCard;
    Arrival arrival;
    if (redo_.empty()) return arrival;
    ConfirmStep();
    const uint64_t state = CurrentState(modified);
    Step step = std::move(redo_.back());
    redo_.pop_back();
    undo_.push_back({step.name, std::move(current), step.cardBefore, step.cardAfter, state});
    currentState_ = step.state;
    arrival.card = step.cardAfter;
    arrival.modified = currentState_ != savedState_;
    Trim();
    return arrival;
}

void UndoHistory::MarkSaved() {
    ConfirmStep();
    currentState_ = savedState_ = ++counter_;
}

template <class Visit>
void UndoHistory::ForEachSnapshot(Visit visit) const {
    if (baseline_) visit(*baseline_);
    for (const Step& step : undo_)
        if (step.bytes) visit(*step.bytes);
    for (const Step& step : redo_)
        if (step.bytes) visit(*step.bytes);
}

size_t UndoHistory::ByteCount() const {
    // Snapshots are held by more than one step at times; each counts once. A sorted list of them is
    // cheaper than a hash set for the hundred or so there are, and it is kept between calls.
    std::vector<const platform::PieceBytes*>& held = countScratch_;
    held.clear();
    ForEachSnapshot([&](const platform::PieceBytes& snapshot) { held.push_back(&snapshot); });
    std::sort(held.begin(), held.end());
    held.erase(std::unique(held.begin(), held.end()), held.end());
    size_t total = 0;
    for (const platform::PieceBytes* snapshot : held) total += snapshot->Size();
    return total;
}

size_t UndoHistory::HeldBytes() const {
    size_t total = 0;
    ForEachSnapshot([&](const platform::PieceBytes& snapshot) { total += snapshot.Size(); });
    return total;
}

void UndoHistory::Trim() {
    // Counting each holder's snapshot is quick and never less than the distinct count, which is needed
    // only when it is over the bound.
    auto over = [this] {
        return undo_.size() + redo_.size() > kMaxSteps ||
               (HeldBytes() > kMaxBytes && ByteCount() > kMaxBytes);
    };
    while (over()) {
        if (undo_.size() > 1) {
            // The oldest step goes: the state before it can no longer be reached, and the state before the
            // next step becomes the floor of the history.
            undo_.pop_front();
            baseline_ = undo_.front().bytes;
            baselineCard_ = undo_.front().cardBefore;
            baselineState_ = undo_.front().state;
        } else if (!redo_.empty()) {
            // The redo step farthest away goes next.
            redo_.erase(redo_.begin());
        } else {
            // One state before the present one is always kept, however large.
            break;
        }
    }
}
