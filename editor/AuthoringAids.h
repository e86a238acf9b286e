#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "editor/CommandTarget.h"
#include "editor/LinkMap.h"
#include "editor/Recovery.h"
#include "model/TitleCheck.h"

class CCardOverview;
class CChildFrame;
class CCheckPanel;
class CFichaDoc;
class CMainFrame;

// The authoring aids of the main frame, beyond the original editor: the check panel, the card overview,
// the link map, and the autosave with its recovery at the next start. They follow the active document:
// a light look every half second notices when it changed (a new undo step, an undo, another current
// card, another window) and brings the overview and an open link map up to date. The check panel checks
// again when the title is saved, when asked, and when another document becomes the active one.
//
// The frame asks them for the View menu's commands after itself (CommandTarget).
class CAuthoringAids : public QObject, public CommandTarget {
    Q_OBJECT
  public:
    static constexpr int kAutosaveIntervalMs = 2 * 60 * 1000;
    static constexpr int kFollowIntervalMs = 500;

    // `recoveryFolder` empty: the user's own (CRecoveryStore::DefaultFolder).
    CAuthoringAids(CMainFrame& frame, const QString& recoveryFolder);
    ~CAuthoringAids() override;

    bool CommandState(int id, State& state) override;
    bool RunCommand(int id) override;

    CCheckPanel& CheckPanel() const { return *check_; }
    CCardOverview& CardOverview() const { return *overview_; }
    // The link map window, made the first time it is shown; null before.
    CLinkMap* LinkMap() const { return map_; }
    CRecoveryStore& Recovery() { return recovery_; }

    // Looks at the active document now, as the half-second look does.
    void Follow();
    // Writes a recovery copy of every modified document whose title changed since its last copy, and
    // removes the copies of documents that were saved or closed.
    void Autosave();
    // At start: offers each copy an earlier editor left behind, one question each. A copy that reads is
    // restored as a modified document bound to its title's path, or discarded; one that does not read
    // is reported and set aside. Returns how many documents came back.
    int OfferRecovery();
    // The frame closed with every document answered for: this session's copies go.
    void ClosedCleanly();
    // The frame saved `doc`.
    void DocumentSaved(CFichaDoc& doc);

  private:
    struct Copy {
        QString id;
        std::weak_ptr<CFichaDoc> doc;
        uint64_t hash = 0;
    };
    struct Generation {
        CFichaDoc* doc = nullptr;
        size_t undo = 0, redo = 0, cards = 0;
        int current = -1;
        bool modified = false;
        bool operator==(const Generation&) const = default;
    };

    CChildFrame* Active() const;
    CFichaDoc* ActiveDocument() const;
    static Generation GenerationOf(CFichaDoc* doc);
    void Recheck();
    void GoToFinding(const TitleFinding& finding);
    void MoveCard(int from, int to);
    void GoToCard(int index);
    void ShowLinkMap();
    bool WriteCopy(const std::shared_ptr<CFichaDoc>& doc, Copy& copy);
    bool Restore(const CRecoveryStore::Copy& copy);

    CMainFrame& frame_;
    CRecoveryStore recovery_;
    CCheckPanel* check_ = nullptr;
    CCardOverview* overview_ = nullptr;
    QPointer<CLinkMap> map_;
    QTimer follow_;
    QTimer autosave_;
    Generation seen_;
    std::map<CFichaDoc*, Copy> copies_;
    // The notes of the last move hold while the move is not undone: the undo steps of its document then.
    CFichaDoc* notesDoc_ = nullptr;
    size_t notesSteps_ = 0;
};
