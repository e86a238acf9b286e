#include "model/UndoHistory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using Snapshot = UndoHistory::Snapshot;

Snapshot State(const std::string& text, size_t padding = 0) {
    UndoHistory::Bytes bytes(text.begin(), text.end());
    bytes.resize(bytes.size() + padding, 0);
    return UndoHistory::FromBytes(std::move(bytes));
}

std::string Text(const Snapshot& s) {
    if (!s) return "<none>";
    const platform::SharedBytes joined = s->Joined();
    return joined ? std::string(joined->begin(), joined->end()) : std::string();
}

// A document of strings driven through the history the way CFichaDoc drives it.
struct Doc {
    UndoHistory history;
    std::string content = "A";
    int card = 0;
    bool modified = false;

    void Open() { history.Reset(State(content), card); }
    void Change(const std::string& step, const std::string& to, int newCard = -1) {
        history.Push(step, State(content), card, modified);
        content = to;
        if (newCard >= 0) card = newCard;
        history.SetStepEndCard(card);
        modified = true;
    }
    bool Undo() {
        Snapshot now = State(content);
        Snapshot target = history.UndoTarget(now);
        if (!target) return false;
        UndoHistory::Arrival arrival = history.CommitUndo(now, card, modified);
        content = Text(target);
        card = arrival.card;
        modified = arrival.modified;
        return true;
    }
    bool Redo() {
        Snapshot target = history.RedoTarget();
        if (!target) return false;
        UndoHistory::Arrival arrival = history.CommitRedo(State(content), card, modified);
        content = Text(target);
        card = arrival.card;
        modified = arrival.modified;
        return true;
    }
};

TEST(UndoHistoryTest, UndoAndRedoWalkTheStepsAndReturnToTheirCards) {
    Doc doc;
    doc.Open();
    doc.Change("Add card", "AB", 1);  // made on card 0, ended on the new card 1
    doc.card = 0;                     // the author looks at another card
    doc.Change("Edit text", "AB'");
    EXPECT_EQ(doc.history.UndoName(), "Edit text");
    doc.card = 1;
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.content, "AB");
    EXPECT_EQ(doc.card, 0) << "the card the text was edited on";
    EXPECT_EQ(doc.history.RedoName(), "Edit text");
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.content, "A");
    EXPECT_EQ(doc.card, 0);
    EXPECT_FALSE(doc.modified) << "back at the state that was opened";
    EXPECT_FALSE(doc.Undo()) << "nothing before the baseline";
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.content, "AB");
    EXPECT_EQ(doc.card, 1) << "redo goes where the change left the title";
    EXPECT_TRUE(doc.modified);
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.content, "AB'");
    EXPECT_FALSE(doc.Redo());
}

TEST(UndoHistoryTest, ANewStepForgetsTheRedoStepsUnlessItIsDropped) {
    Doc doc;
    doc.Open();
    doc.Change("one", "A1");
    doc.Change("two", "A2");
    ASSERT_TRUE(doc.Undo());
    // A dialog opens and is cancelled: its step goes and the redo step comes back.
    doc.history.Push("Properties", State(doc.content), doc.card, doc.modified);
    EXPECT_FALSE(doc.history.CanRedo());
    doc.history.DropStep();
    EXPECT_EQ(doc.history.UndoName(), "one");
    ASSERT_TRUE(doc.history.CanRedo());
    EXPECT_EQ(doc.history.RedoName(), "two");
    doc.history.DropStep();  // a second drop has no step of its own to drop
    EXPECT_EQ(doc.history.UndoCount(), 1u);
    // A confirmed step forgets them.
    doc.Change("three", "A3");
    EXPECT_FALSE(doc.history.CanRedo());
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.content, "A1");
}

TEST(UndoHistoryTest, ChangesWithoutAStepGoBackWithThePreviousStepOrToTheBaseline) {
    Doc doc;
    doc.Open();
    doc.content = "A spaced";  // a command that takes no snapshot
    doc.modified = true;
    EXPECT_FALSE(doc.history.CanUndoStep());
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.content, "A");
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(doc.history.RedoName(), "") << "a nameless redo step";
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.content, "A spaced");

    doc.Change("Move", "B");
    doc.content = "B spaced";
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.content, "A spaced") << "the unrecorded change went with the step before it";
}

TEST(UndoHistoryTest, StepsThatChangedNothingAreSkipped) {
    Doc doc;
    doc.Open();
    doc.Change("Move", "B");
    doc.history.Push("Properties", State("B"), 0, true);  // confirmed without a change
    EXPECT_EQ(doc.history.UndoName(), "Properties");
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.content, "A") << "one undo takes back the move";
    EXPECT_EQ(doc.history.RedoCount(), 1u);
}

TEST(UndoHistoryTest, TheModifiedFlagFollowsTheSavePoint) {
    Doc doc;
    doc.Open();
    doc.Change("one", "A1");
    doc.Change("two", "A2");
    doc.history.MarkSaved();
    doc.modified = false;
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(doc.modified);
    ASSERT_TRUE(doc.Undo());
    EXPECT_TRUE(doc.modified) << "the opened state is no longer the saved one";
    ASSERT_TRUE(doc.Redo());
    ASSERT_TRUE(doc.Redo());
    EXPECT_FALSE(doc.modified) << "redo back to the saved state";
    // A change no step records, made on the save point, is a change all the same.
    doc.content = "A2 spaced";
    doc.modified = true;
    ASSERT_TRUE(doc.Undo());
    ASSERT_TRUE(doc.Redo());
    EXPECT_EQ(doc.content, "A2 spaced");
    EXPECT_TRUE(doc.modified);
}

TEST(UndoHistoryTest, AtMostAHundredStepsTheOldestDroppedFirst) {
    Doc doc;
    doc.Open();
    for (int i = 1; i <= 130; ++i) doc.Change("step " + std::to_string(i), "S" + std::to_string(i));
    EXPECT_EQ(doc.history.UndoCount(), UndoHistory::kMaxSteps);
    int undone = 0;
    while (doc.Undo()) ++undone;
    EXPECT_EQ(undone, 100);
    EXPECT_EQ(doc.content, "S30") << "the state before step 31, the oldest kept";
}

TEST(UndoHistoryTest, AtMostSixtyFourMegabytesTheOldestDroppedFirst) {
    Doc doc;
    doc.history.Reset(State("A", 10u << 20), 0);
    for (int i = 1; i <= 10; ++i) doc.history.Push("big", State(std::to_string(i), 10u << 20), 0, true);
    EXPECT_LE(doc.history.ByteCount(), UndoHistory::kMaxBytes);
    EXPECT_EQ(doc.history.UndoCount(), 6u);
    // Shared buffers are counted once.
    Doc shared;
    Snapshot same = State("X", 20u << 20);
    shared.history.Reset(same, 0);
    for (int i = 0; i < 10; ++i) shared.history.Push("same", same, 0, true);
    EXPECT_EQ(shared.history.UndoCount(), 10u);
    EXPECT_EQ(shared.history.ByteCount(), same->Size());
}

}  // namespace
