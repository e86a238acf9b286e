#include "editor/AuthoringAids.h"

#include <QFileInfo>
#include <QMdiArea>

#include "editor/CardOverview.h"
#include "editor/CheckPanel.h"
#include "editor/CommandIds.h"
#include "editor/EditorCommands.h"
#include "editor/FichaView.h"
#include "editor/LinkMap.h"
#include "editor/MainFrame.h"
#include "editor/PlayerCopy.h"
#include "model/FichaDoc.h"
#include "platform/File.h"
#include "platform/MessageBox.h"

namespace {

// Whether the file at `path` reads as a whole title.
bool ReadsAsTitle(const QString& path) {
    platform::DiskFile file;
    if (file.Open(path.toStdString(), platform::DiskFile::Mode::read) != platform::FileError::none)
        return false;
    CFichaDoc scratch(Variant::editor);
    return scratch.Load(file);
}

}  // namespace

CAuthoringAids::CAuthoringAids(CMainFrame& frame, const QString& recoveryFolder)
    : QObject(&frame),
      frame_(frame),
      recovery_(recoveryFolder.isEmpty() ? CRecoveryStore::DefaultFolder() : recoveryFolder) {
    check_ = new CCheckPanel(&frame);
    frame.addDockWidget(Qt::BottomDockWidgetArea, check_);
    check_->hide();
    overview_ = new CCardOverview(&frame);
    frame.addDockWidget(Qt::BottomDockWidgetArea, overview_);
    overview_->hide();
    connect(check_, &CCheckPanel::checkRequested, this, &CAuthoringAids::Recheck);
    connect(check_, &CCheckPanel::findingChosen, this, &CAuthoringAids::GoToFinding);
    connect(overview_, &CCardOverview::cardClicked, this, &CAuthoringAids::GoToCard);
    connect(overview_, &CCardOverview::cardMoved, this, &CAuthoringAids::MoveCard);
    // A dock made visible shows the active document at once.
    connect(check_, &QDockWidget::visibilityChanged, this, [this](bool on) {
        if (on && check_->Document() != ActiveDocument()) Recheck();
    });
    connect(overview_, &QDockWidget::visibilityChanged, this, [this](bool on) {
        if (on) overview_->ShowDocument(ActiveDocument());
    });
    follow_.setInterval(kFollowIntervalMs);
    connect(&follow_, &QTimer::timeout, this, &CAuthoringAids::Follow);
    follow_.start();
    autosave_.setInterval(kAutosaveIntervalMs);
    connect(&autosave_, &QTimer::timeout, this, &CAuthoringAids::Autosave);
    autosave_.start();
}

CAuthoringAids::~CAuthoringAids() {
    follow_.stop();
    autosave_.stop();
    if (map_) delete map_;
}

CChildFrame* CAuthoringAids::Active() const {
    return frame_.ActiveChild();
}

CFichaDoc* CAuthoringAids::ActiveDocument() const {
    CChildFrame* child = Active();
    return child ? &child->Document() : nullptr;
}

// ---------------------------------------------------------------- commands

bool CAuthoringAids::CommandState(int id, State& state) {
    const bool document = ActiveDocument() != nullptr;
    switch (id) {
        case cmd::kViewCheckPanel:
            state = {true, !check_->isHidden()};
            return true;
        case cmd::kViewCardOverview:
            state = {true, !overview_->isHidden()};
            return true;
        case cmd::kCheckTitle:
        case cmd::kViewLinkMap:
            state = {document, false};
            return true;
        default:
            return false;
    }
}

bool CAuthoringAids::RunCommand(int id) {
    switch (id) {
        case cmd::kViewCheckPanel:
            check_->setVisible(check_->isHidden());
            if (!check_->isHidden() && check_->Document() != ActiveDocument()) Recheck();
            return true;
        case cmd::kCheckTitle:
            check_->show();
            check_->raise();
            Recheck();
            return true;
        case cmd::kViewCardOverview:
            overview_->setVisible(overview_->isHidden());
            if (!overview_->isHidden()) overview_->ShowDocument(ActiveDocument());
            return true;
        case cmd::kViewLinkMap:
            ShowLinkMap();
            return true;
        default:
            return false;
    }
}

// ---------------------------------------------------------------- following the active document

CAuthoringAids::Generation CAuthoringAids::GenerationOf(CFichaDoc* doc) {
    Generation g;
    g.doc = doc;
    if (!doc) return g;
    g.undo = doc->GetUndoHistory().UndoCount();
    g.redo = doc->GetUndoHistory().RedoCount();
    g.cards = doc->GetCards().GetSize();
    g.current = doc->GetCurrentCard();
    g.modified = doc->IsModified();
    return g;
}

void CAuthoringAids::Follow() {
    CFichaDoc* doc = ActiveDocument();
    const Generation now = GenerationOf(doc);
    if (now == seen_) return;
    const bool otherDocument = now.doc != seen_.doc;
    seen_ = now;
    // The panel lets go of a document that may be closed by now; shown, it checks the new one.
    if (otherDocument) check_->Check(check_->isHidden() ? nullptr : doc);
    // Undoing the move takes its notes back with it.
    if (notesDoc_ && (notesDoc_ != doc || now.undo < notesSteps_)) {
        notesDoc_ = nullptr;
        check_->SetMoveNotes({});
    }
    if (!overview_->isHidden()) overview_->ShowDocument(doc);
    if (map_ && !map_->isHidden()) map_->ShowDocument(doc);
}

void CAuthoringAids::Recheck() {
    check_->Check(ActiveDocument());
}

void CAuthoringAids::ShowLinkMap() {
    if (!map_) map_ = new CLinkMap(&frame_);
    map_->ShowDocument(ActiveDocument());
    map_->show();
    map_->raise();
}

void CAuthoringAids::GoToCard(int index) {
    CChildFrame* child = Active();
    if (!child) return;
    if (auto* commands = dynamic_cast<CEditorCommands*>(child->Parts().commands)) commands->ShowCardAt(index);
    frame_.UpdateCommandUI();
    Follow();
}

void CAuthoringAids::GoToFinding(const TitleFinding& finding) {
    CChildFrame* child = Active();
    if (!child || &child->Document() != check_->Document()) return;
    CFichaDoc& doc = child->Document();
    if (finding.card >= 0 && finding.card != doc.GetCurrentCard()) GoToCard(finding.card);
    auto* view = dynamic_cast<CFichaView*>(child->Parts().view);
    if (!view || !finding.sprite) return;
    CSprite* sprite = doc.GetSpriteList().FindByNumber(*finding.sprite);
    if (!sprite) return;
    view->DeselectAll();
    view->SelectSprite(*sprite, true);
    view->SetCurrentSprite(sprite);
    view->Refresh();
    frame_.UpdateCommandUI();
}

void CAuthoringAids::MoveCard(int from, int to) {
    CChildFrame* child = Active();
    if (!child) return;
    auto* commands = dynamic_cast<CEditorCommands*>(child->Parts().commands);
    CFichaDoc& doc = child->Document();
    if (!commands || !commands->MoveCard(from, to)) return;
    // The order of before, as the notes need it: the card now at i was at order[i].
    std::vector<size_t> order(doc.GetCards().GetSize());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    const size_t moved = order[size_t(from)];
    order.erase(order.begin() + from);
    order.insert(order.begin() + to, moved);
    notesDoc_ = &doc;
    notesSteps_ = doc.GetUndoHistory().UndoCount();
    check_->Check(&doc);
    check_->SetMoveNotes(CardReferencesAfterMove(doc, order));
    if (!check_->MoveNotes().empty()) check_->show();
    frame_.UpdateCommandUI();
    Follow();
}

// ---------------------------------------------------------------- autosave and recovery

bool CAuthoringAids::WriteCopy(const std::shared_ptr<CFichaDoc>& doc, Copy& copy) {
    platform::SharedBytes bytes = doc->TitleBytes();
    if (!bytes) return false;
    const uint64_t hash = HashBytes(bytes->data(), bytes->size());
    if (!copy.id.isEmpty() && hash == copy.hash) return true;
    if (copy.id.isEmpty()) copy.id = recovery_.NewId();
    if (!recovery_.Write(copy.id, *bytes, QString::fromStdString(doc->GetPathName()),
                         QString::fromStdString(doc->GetTitle())))
        return false;
    copy.hash = hash;
    return true;
}

void CAuthoringAids::Autosave() {
    std::map<CFichaDoc*, std::shared_ptr<CFichaDoc>> open;
    for (CChildFrame* child : frame_.Children()) open[&child->Document()] = child->SharedDocument();
    // Copies of documents that closed, or that are saved now, go.
    for (auto it = copies_.begin(); it != copies_.end();) {
        std::shared_ptr<CFichaDoc> doc = it->second.doc.lock();
        if (doc && open.count(doc.get()) && doc->IsModified()) {
            ++it;
            continue;
        }
        recovery_.Remove(it->second.id);
        it = copies_.erase(it);
    }
    for (auto& [raw, doc] : open) {
        if (!doc->IsModified()) continue;
        Copy& copy = copies_[raw];
        copy.doc = doc;
        WriteCopy(doc, copy);
    }
}

void CAuthoringAids::DocumentSaved(CFichaDoc& doc) {
    auto found = copies_.find(&doc);
    if (found != copies_.end() && !doc.IsModified()) {
        recovery_.Remove(found->second.id);
        copies_.erase(found);
    }
    if (&doc == ActiveDocument() && !check_->isHidden()) check_->Check(&doc);
}

void CAuthoringAids::ClosedCleanly() {
    for (auto& [doc, copy] : copies_) recovery_.Remove(copy.id);
    copies_.clear();
}

bool CAuthoringAids::Restore(const CRecoveryStore::Copy& left) {
    std::shared_ptr<CFichaDoc> doc = MakeSharedDocument();
    if (!doc->OnOpenDocument(left.copyPath.toStdString())) return false;
    // The document is the title the user was working on, not the copy: saving writes the title's file.
    doc->SetPathName(left.originalPath.toStdString());
    if (left.originalPath.isEmpty()) doc->SetTitle(left.title.toStdString());
    doc->SetModifiedFlag(true);
    doc->GetUndoHistory().ForgetSavePoint();
    if (!frame_.ShowDocument(doc)) return false;
    // The restored work is copied again in this session before the old copy goes.
    Copy& copy = copies_[doc.get()];
    copy.doc = doc;
    if (WriteCopy(doc, copy)) CRecoveryStore::Discard(left);
    return true;
}

int CAuthoringAids::OfferRecovery() {
    int restored = 0;
    for (const CRecoveryStore::Copy& left : recovery_.LeftBehind()) {
        const QString name = left.title.isEmpty() ? QFileInfo(left.originalPath).fileName() : left.title;
        if (!ReadsAsTitle(left.copyPath)) {
            const QString aside = CRecoveryStore::SetAside(left);
            platform::ShowMessage(QStringLiteral("The recovery copy of %1 is damaged and cannot be restored. "
                                                 "It was set aside as %2.")
                                      .arg(name, aside)
                                      .toStdString(),
                                  "Fabrio", platform::MessageIcon::exclamation);
            continue;
        }
        const QString question =
            QStringLiteral(
                "Fabrio ended without saving %1. A recovery copy of it was kept on %2.\n\n"
                "Do you want to restore it? No discards the copy.")
                .arg(name, left.written.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
        const platform::MessageAnswer answer =
            platform::Messages().Show(question.toStdString(), "Fabrio", platform::MessageIcon::question,
                                      platform::MessageButtons::yesNo);
        if (answer != platform::MessageAnswer::yes) {
            CRecoveryStore::Discard(left);
            continue;
        }
        if (Restore(left)) ++restored;
    }
    return restored;
}
