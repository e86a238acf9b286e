#include "model/FichaDoc.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <utility>
#include <vector>

#include "archive/Archive.h"
#include "engine/PhasedSprite.h"
#include "model/ArchiveErrors.h"
#include "platform/CodePage.h"
#include "platform/FileNames.h"
#include "platform/HelperThread.h"
#include "platform/MciDevice.h"
#include "platform/MessageBox.h"
#include "platform/PieceFile.h"

namespace {

// Takes the proxy sprites out of the list for as long as the document is being stored and puts them
// back afterwards, also when storing fails, so that the views keep showing the current card.
class ProxiesTakenOut {
  public:
    explicit ProxiesTakenOut(CSpriteList& list) : list_(list) {
        std::vector<std::pair<size_t, CSprite*>> proxies;
        for (size_t i = 0; i < list_.GetCount(); ++i)
            if (IsProxyNumber(list_.GetAt(i)->GetNumber())) proxies.emplace_back(i, list_.GetAt(i));
        for (auto& [index, sprite] : proxies) taken_.emplace_back(index, list_.Remove(sprite));
    }
    ~ProxiesTakenOut() {
        // Each goes back to the very place it had, in the order they were found, so that storing (and
        // every undo snapshot) leaves the drawing order as it was, also among sprites of equal plane.
        for (auto& [index, sprite] : taken_) list_.InsertAt(index, std::move(sprite));
    }
    ProxiesTakenOut(const ProxiesTakenOut&) = delete;
    ProxiesTakenOut& operator=(const ProxiesTakenOut&) = delete;

  private:
    CSpriteList& list_;
    std::vector<std::pair<size_t, std::unique_ptr<CSprite>>> taken_;
};

int newDocumentCount = 0;

// Titles up to this size are read whole before they are loaded.
constexpr uint64_t kWholeTitleLimit = uint64_t{256} << 20;

}  // namespace

CFichaDoc::CFichaDoc(Variant variant) : CAnimDoc(variant) {
    if (variant == Variant::player) mciAvi_ = std::make_unique<CMciAvi>();
}

CFichaDoc::~CFichaDoc() {
    DetachAllViews();
}

// ---------------------------------------------------------------- framework operations

bool CFichaDoc::OnNewDocument() {
    if (GetTitle().empty())
        SetTitle((GetVariant() == Variant::editor ? "Fabrio" : "Lumeo") + std::to_string(++newDocumentCount));
    if (GetVariant() == Variant::editor) {
        NewScene(640, 480);
        workDirectory.clear();
        currentCard_ = -1;
        cards_.Add(std::make_unique<CFicha>());
        currentCard_ = 0;
        StartUndoHistory();
    } else {
        NewScene(320, 240);
        workDirectory.clear();
        currentCard_ = -1;
        hasVideo_ = false;
    }
    return true;
}

bool CFichaDoc::OnOpenDocument(const std::string& path) {
    // The title is read whole and loaded from memory: one read of the file instead of reads and seeks
    // around every image, and the images keep the bytes they were read from as pieces of it. Only a title
    // too large for that goes through the archive's buffer. The helper thread that decodes the background
    // wakes meanwhile.
    platform::HelperTask::Prepare();
    platform::FileError error = platform::FileError::none;
    platform::SharedBytes bytes = platform::ReadWholeFile(path, kWholeTitleLimit, &error);
    platform::DiskFile disk;
    if (!bytes && error == platform::FileError::none) error = disk.Open(path, platform::DiskFile::Mode::read);
    if (error != platform::FileError::none) {
        platform::ShowMessage(FileErrorMessage(error, path, DocumentOperation::open), "",
                              platform::MessageIcon::exclamation);
        return false;
    }
    platform::SharedMemoryFile memory(bytes, path);
    platform::File& file = bytes ? static_cast<platform::File&>(memory) : disk;
    // A player action may name a title that is missing or damaged; the one showing must survive that, so
    // the file is read into a scratch document first.
    std::string message;
    CFichaDoc loaded(GetVariant());
    loaded.SetBaseDirectory(platform::FolderOfPath(path));
    PassWorkWhileLoading(loaded);
    if (!loaded.Load(file, &message)) {
        platform::ShowMessage(message, "", platform::MessageIcon::exclamation);
        return false;
    }
    SwapTitle(loaded);
    SetPathName(path);
    if (GetVariant() == Variant::editor) {
        SetModifiedFlag(false);
        UpdateAllViews();
        if (CFicha* card = CardAt(0)) ShowCard(card);
        SetModifiedFlag(false);
        UpdateAllViews();
        StartUndoHistory();
    } else {
        hasVideo_ = false;
        currentCard_ = FirstCardShown();
        if (CFicha* card = CardAt(currentCard_)) ShowCard(card);
        SetModifiedFlag(false);
        ApplyBackgroundMusicRule();
    }
    return true;
}

bool CFichaDoc::OnSaveDocument(const std::string& path) {
    // A read-only title stays read-only: replacing it by renaming would get round its protection.
    if (platform::IsReadOnlyFile(path)) {
        platform::ShowMessage(
            FileErrorMessage(platform::FileError::accessDenied, path, DocumentOperation::save));
        return false;
    }
    std::string scratch;
    for (int n = 0; scratch.empty() || platform::FileExists(scratch); ++n)
        scratch = path + ".sav" + std::to_string(n) + "~";
    platform::DiskFile file;
    platform::FileError error = file.Open(scratch, platform::DiskFile::Mode::write);
    if (error != platform::FileError::none) {
        platform::ShowMessage(FileErrorMessage(error, path, DocumentOperation::save));
        return false;
    }
    std::string message;
    try {
        Store(file);
        file.Close();
        const platform::FileError renamed = platform::RenameFile(scratch, path);
        if (renamed == platform::FileError::none) {
            SetPathName(path);
            SetModifiedFlag(false);
            undo_.MarkSaved();
            return true;
        }
        message = FileErrorMessage(renamed, path, DocumentOperation::save);
    } catch (...) {
        message = MessageForException(std::current_exception(), DocumentOperation::save, path);
    }
    file.Close();
    platform::RemoveFile(scratch);
    platform::ShowMessage(message);
    return false;
}

void CFichaDoc::OnCloseDocument() {
    undo_.Clear();
    if (mciAvi_) mciAvi_->Close();
}

void CFichaDoc::DeleteContents() {
    cards_.DeleteAll();
    CAnimDoc::DeleteContents();
    currentCard_ = -1;
    hasVideo_ = false;
}

void CFichaDoc::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ProxiesTakenOut proxies(GetSpriteList());
        CAnimDoc::Serialize(ar);
        ar.Io(workDirectory);
        cards_.Serialize(ar);
        return;
    }
    CAnimDoc::Serialize(ar);
    ar.Io(workDirectory);
    cards_.Serialize(ar);
    currentCard_ = cards_.GetSize() > 0 ? 0 : -1;
}

int CFichaDoc::FirstCardShown() const {
    // The player starts at the card its run state asks for, when the title has it.
    const int start = GetVariant() == Variant::player ? RunState().StartCard() : 0;
    return CardAt(start) ? start : (cards_.GetSize() > 0 ? 0 : -1);
}

void CFichaDoc::PrepareFirstView(const std::function<bool()>& waiting) const {
    const bool player = GetVariant() == Variant::player;
    const CFicha* card = CardAt(FirstCardShown());
    if (!card) {
        CAnimDoc::PrepareFirstView(waiting);
        return;
    }
    const std::vector<int32_t> shown = CSpriteList::ParseNumberList(card->activationList);
    const std::vector<int32_t> hidden = CSpriteList::ParseNumberList(card->deactivationList);
    auto listed = [](const std::vector<int32_t>& numbers, int32_t number) {
        return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
    };
    for (const CSprite* sprite : GetSpriteList()) {
        if (!waiting()) return;
        if ((sprite->IsVisible() || listed(shown, sprite->GetNumber())) &&
            !listed(hidden, sprite->GetNumber()))
            sprite->DecodeShownPixels();
    }
    for (const CTexto* text : card->texts) {
        if (!waiting()) return;
        text->LayOut(player);
    }
    if (waiting()) PrepareBackgroundMusic();
}

bool CFichaDoc::Load(platform::File& file, std::string* message) {
    currentCard_ = -1;
    hasVideo_ = false;
    if (LoadFrom(file, message)) return true;
    currentCard_ = -1;
    return false;
}

void CFichaDoc::SwapTitle(CFichaDoc& other) {
    // The cards go first, so that a view composing for the new background already finds the new cards.
    std::swap(workDirectory, other.workDirectory);
    std::vector<std::unique_ptr<CFicha>> mine, theirs;
    while (cards_.GetSize() > 0) mine.push_back(cards_.RemoveAt(cards_.GetSize() - 1));
    while (other.cards_.GetSize() > 0) theirs.push_back(other.cards_.RemoveAt(other.cards_.GetSize() - 1));
    for (auto it = theirs.rbegin(); it != theirs.rend(); ++it) cards_.Add(std::move(*it));
    for (auto it = mine.rbegin(); it != mine.rend(); ++it) other.cards_.Add(std::move(*it));
    std::swap(cards_.captionField, other.cards_.captionField);
    std::swap(currentCard_, other.currentCard_);
    std::swap(hasVideo_, other.hasVideo_);
    SwapScene(other);
}

void CFichaDoc::Store(platform::File& file) {
    CArchive ar(file, CArchive::store);
    Serialize(ar);
    ar.Close();
}

// ---------------------------------------------------------------- cards

CFicha* CFichaDoc::CardAt(int index) const {
    if (index < 0) return nullptr;
    return cards_.GetAt(static_cast<size_t>(index));
}

std::string CFichaDoc::MediaName(const std::string& storedName) const {
    if (GetVariant() == Variant::editor && !workDirectory.empty()) return workDirectory + "\\" + storedName;
    return storedName;
}

std::optional<std::string> CFichaDoc::ResolveMediaName(const std::string& storedName) const {
    if (storedName.empty()) return std::nullopt;
    return platform::ResolveWindowsPath(MediaName(storedName), GetBaseDirectory());
}

std::unique_ptr<CPhasedSprite> CFichaDoc::MakePictureProxy(const CFoto& picture, int32_t number) const {
    std::optional<std::string> path = ResolveMediaName(picture.fileName);
    if (!path) return nullptr;
    auto sprite = std::make_unique<CPhasedSprite>();
    if (!pictures_.Load(*path, *sprite)) return nullptr;
    sprite->ComputeTransparentColour();
    // A picture reduced by nothing is shown as it was loaded, without a copy of its pixels.
    if (picture.reduction != 0 && !sprite->ResizePercent(picture.reduction)) return nullptr;
    // A picture reduced to nothing has no pixels to show or to hit.
    if (sprite->CDIB::GetWidth() <= 0 || sprite->CDIB::GetHeight() <= 0) return nullptr;
    sprite->SetNumFrames(1);
    sprite->SetNumColumns(1);
    sprite->SetTransparent(false);
    sprite->SetPosition(picture.x, picture.y);
    sprite->SetNumber(number);
    sprite->SetText(picture.fileName);
    return sprite;
}

void CFichaDoc::RebuildVideoProxy(const CFicha& card) {
    CSpriteList& list = GetSpriteList();
    if (CSprite* old = list.FindByNumber(kVideoProxyNumber)) list.Remove(old);
    if (!card.video.HasVideo()) return;
    std::optional<std::string> path = ResolveMediaName(card.video.file);
    CMciAvi avi;
    // The device takes names as titles store them, so the real path goes back to the code page. A clip
    // that is not found is still handed to the device, whose warning box tells the author that the
    // card's video is missing.
    if (!avi.Open(path ? platform::Utf8ToCp1252(*path) : MediaName(card.video.file), nullptr)) return;
    platform::Rect frame = avi.SourceRect();
    avi.Close();
    auto proxy = std::make_unique<CPhasedSprite>();
    if (frame.IsEmpty() || !proxy->Create(frame.Width(), frame.Height(), 3)) return;
    proxy->ComputeTransparentColour();
    proxy->SetTransparent(false);
    proxy->SetPosition(card.video.x, card.video.y);
    proxy->SetNumber(kVideoProxyNumber);
    proxy->SetText(card.video.file);
    list.Insert(std::move(proxy));
}

void CFichaDoc::ShowCard(CFicha* card) {
    if (!card) return;
    CSpriteList& list = GetSpriteList();
    const bool editor = GetVariant() == Variant::editor;
    if (editor) {
        RebuildVideoProxy(*card);
    } else {
        hasVideo_ = card->video.HasVideo();
        std::vector<CSprite*> proxies;
        for (CSprite* sprite : list)
            if (IsProxyNumber(sprite->GetNumber())) proxies.push_back(sprite);
        for (CSprite* sprite : proxies) list.Remove(sprite);
    }
    for (size_t k = 0; k < card->pictures.GetSize(); ++k) {
        const CFoto* picture = card->pictures.GetAt(k);
        if (picture->fileName.empty()) continue;
        if (auto proxy = MakePictureProxy(*picture, PictureProxyNumber(k, editor)))
            list.Insert(std::move(proxy));
    }
}

void CFichaDoc::RemovePictureProxies() {
    CSpriteList& list = GetSpriteList();
    std::vector<CSprite*> pictures;
    for (CSprite* sprite : list)
        if (IsPictureProxyNumberOfEditor(sprite->GetNumber())) pictures.push_back(sprite);
    for (CSprite* sprite : pictures) list.Remove(sprite);
}

void CFichaDoc::EditorGoTo(int index) {
    if (!CardAt(index)) return;
    RemovePictureProxies();
    currentCard_ = index;
    ShowCard(CardAt(index));
    UpdateAllViews();
}

void CFichaDoc::FirstCard() {
    EditorGoTo(0);
}
void CFichaDoc::LastCard() {
    EditorGoTo(static_cast<int>(cards_.GetSize()) - 1);
}
bool CFichaDoc::CanGoNext() const {
    return currentCard_ >= 0 && currentCard_ + 1 < static_cast<int>(cards_.GetSize());
}
bool CFichaDoc::CanGoPrevious() const {
    return currentCard_ > 0 && CardAt(currentCard_ - 1);
}
void CFichaDoc::NextCard() {
    if (CanGoNext()) EditorGoTo(currentCard_ + 1);
}
void CFichaDoc::PreviousCard() {
    if (CanGoPrevious()) EditorGoTo(currentCard_ - 1);
}
void CFichaDoc::SelectCard(int index) {
    EditorGoTo(index);
}

void CFichaDoc::AppendCard(std::unique_ptr<CFicha> card) {
    if (!cards_.Add(std::move(card))) return;
    EditorGoTo(static_cast<int>(cards_.GetSize()) - 1);
}

void CFichaDoc::DeleteCurrentCard() {
    if (!CardAt(currentCard_)) return;
    // Every proxy belongs to the card that goes, the video's too.
    CSpriteList& list = GetSpriteList();
    std::vector<CSprite*> proxies;
    for (CSprite* sprite : list)
        if (IsProxyNumber(sprite->GetNumber())) proxies.push_back(sprite);
    for (CSprite* sprite : proxies) list.Remove(sprite);
    cards_.RemoveAt(static_cast<size_t>(currentCard_));
    if (currentCard_ >= static_cast<int>(cards_.GetSize())) --currentCard_;
    if (CFicha* card = CardAt(currentCard_)) ShowCard(card);
    UpdateAllViews();
}

bool CFichaDoc::MoveCard(int from, int to) {
    if (!CardAt(from) || !CardAt(to)) return false;
    if (from == to) return true;
    // The proxies show the current card, which stays the one shown: only its index changes.
    const CFicha* current = GetCurrentCardPtr();
    cards_.InsertAt(static_cast<size_t>(to), cards_.RemoveAt(static_cast<size_t>(from)));
    for (int i = 0; i < static_cast<int>(cards_.GetSize()); ++i)
        if (CardAt(i) == current) currentCard_ = i;
    UpdateAllViews();
    return true;
}

void CFichaDoc::RebuildProxies() {
    EditorGoTo(currentCard_);
}

bool CFichaDoc::GoToCard(int index) {
    CFicha* card = CardAt(index);
    if (!card) return false;
    currentCard_ = index;
    card->ResetTextScroll();
    ShowCard(card);
    return true;
}

bool CFichaDoc::NextCardPlayer() {
    if (currentCard_ >= static_cast<int>(cards_.GetSize()) - 1) return false;
    return GoToCard(currentCard_ + 1);
}

bool CFichaDoc::PreviousCardPlayer() {
    if (currentCard_ <= 0) return false;
    return GoToCard(currentCard_ - 1);
}

bool CFichaDoc::LastCardPlayer() {
    bool moved = GoToCard(static_cast<int>(cards_.GetSize()) - 1);
    UpdateAllViews();
    return moved;
}

bool CFichaDoc::ApplyCurrentCardToSprites() {
    CFicha* card = GetCurrentCardPtr();
    if (!card) return false;
    CSpriteList& list = GetSpriteList();
    for (CSprite* sprite : list) {
        const int32_t action = sprite->GetClickAction();
        if (IsTextScrollAction(action)) {
            // A scroll widget shows only where its text has more lines than the rectangle holds.
            const CTexto* text = card->texts.FindExact(sprite->GetClickArgument(0));
            sprite->SetVisible(text && text->CountBreaks() >= text->VisibleLines());
        } else if (IsVideoWidgetAction(action)) {
            sprite->SetVisible(hasVideo_);
        }
    }
    std::vector<int32_t> shown = CSpriteList::ParseNumberList(card->activationList);
    std::vector<int32_t> hidden = CSpriteList::ParseNumberList(card->deactivationList);
    list.ShowSprites(shown);
    list.HideSprites(hidden);
    return !shown.empty() || !hidden.empty();
}

// ---------------------------------------------------------------- undo

// The snapshots stay in memory: nothing else reads them, and a copy in memory costs a fraction of writing
// the title to a scratch file before every change. They are stored into pieces: pictures whose pixels did
// not change are pieces of the bytes they were read from, and cards and sprites that did not change since
// the last snapshot are the pieces they wrote then (see StoredForm), so a snapshot after a small change
// stores little more than that change.
namespace {
bool checkSnapshots = false;
}  // namespace

void CFichaDoc::CheckSnapshotsAgainstStore(bool on) {
    checkSnapshots = on;
}

UndoHistory::Snapshot CFichaDoc::CaptureSnapshot() {
    platform::PieceFile file("undo");
    // The last snapshot's count of pieces is a good guess of this one's.
    file.Reserve(lastPieceCount_ + 16);
    try {
        Store(file);
    } catch (...) {
        // A title that cannot be stored cannot be snapshotted either; the change goes on without a step.
        return nullptr;
    }
    auto snapshot = std::make_shared<const platform::PieceBytes>(file.Take());
    lastPieceCount_ = snapshot->Pieces().size();
    if (checkSnapshots) CheckSnapshot(*snapshot);
    return snapshot;
}

void CFichaDoc::CheckSnapshot(const platform::PieceBytes& snapshot) {
    // The plain storing deselects the texts, which the snapshot did not.
    std::vector<CTexto*> selected;
    for (const CFicha* card : cards_)
        for (CTexto* text : card->texts)
            if (text->selected) selected.push_back(text);
    platform::MemoryFile plain;
    Store(plain);
    for (CTexto* text : selected) text->selected = true;
    if (snapshot == *UndoHistory::FromBytes(plain.Bytes())) return;
    std::fprintf(stderr,
                 "an undo snapshot differs from the stored title: a stored member changed without "
                 "its change mark\n");
    std::abort();
}

platform::SharedBytes CFichaDoc::TitleBytes() {
    UndoHistory::Snapshot snapshot = CaptureSnapshot();
    return snapshot ? snapshot->Joined() : nullptr;
}

void CFichaDoc::StartUndoHistory() {
    if (GetVariant() != Variant::editor) return;
    UndoHistory::Snapshot baseline = CaptureSnapshot();
    if (baseline)
        undo_.Reset(std::move(baseline), currentCard_);
    else
        undo_.Clear();
}

void CFichaDoc::TakeUndoSnapshot() {
    TakeUndoSnapshot(std::string());
}

void CFichaDoc::TakeUndoSnapshot(const std::string& step) {
    if (!undo_.IsActive()) return;
    if (UndoHistory::Snapshot before = CaptureSnapshot())
        undo_.Push(step, std::move(before), currentCard_, IsModified());
    else
        undo_.ConfirmStep();  // a cancel of this command must not drop the step before it
}

void CFichaDoc::EndUndoStep() {
    undo_.SetStepEndCard(currentCard_);
}

void CFichaDoc::DropUndoSnapshot() {
    undo_.DropStep();
}

bool CFichaDoc::CanUndo() const {
    // Without a step, the changes of the commands that take no snapshot still go back to the baseline.
    return undo_.CanUndoStep() || (undo_.IsActive() && IsModified());
}

bool CFichaDoc::CanRedo() const {
    return undo_.CanRedo();
}

std::string CFichaDoc::UndoText() const {
    const std::string name = undo_.CanUndoStep() ? undo_.UndoName() : std::string();
    return name.empty() ? "Undo" : "Undo " + name;
}

std::string CFichaDoc::RedoText() const {
    const std::string name = undo_.RedoName();
    return name.empty() ? "Redo" : "Redo " + name;
}

bool CFichaDoc::GoToSnapshot(const UndoHistory::Snapshot& target,
                             const std::function<UndoHistory::Arrival()>& commit) {
    // The snapshot is read into a scratch document first, so that one that cannot be read leaves this
    // document and the history as they are instead of empty.
    // Read in place: the images keep pieces of the snapshot instead of copies.
    platform::SharedMemoryFile file(target->Joined(), "undo");
    CFichaDoc loaded(GetVariant());
    if (!loaded.Load(file)) return false;
    const UndoHistory::Arrival arrival = commit();
    SwapTitle(loaded);
    const int count = static_cast<int>(cards_.GetSize());
    currentCard_ = count == 0 ? -1 : std::clamp(arrival.card, 0, count - 1);
    if (CFicha* shown = CardAt(currentCard_)) ShowCard(shown);
    SetModifiedFlag(arrival.modified);
    UpdateAllViews();
    return true;
}

bool CFichaDoc::Undo() {
    UndoHistory::Snapshot current = CaptureSnapshot();
    UndoHistory::Snapshot target = undo_.UndoTarget(current);
    if (!target) return false;
    return GoToSnapshot(target,
                        [&] { return undo_.CommitUndo(std::move(current), currentCard_, IsModified()); });
}

bool CFichaDoc::Redo() {
    UndoHistory::Snapshot target = undo_.RedoTarget();
    if (!target) return false;
    UndoHistory::Snapshot current = CaptureSnapshot();
    if (!current) return false;
    return GoToSnapshot(target,
                        [&] { return undo_.CommitRedo(std::move(current), currentCard_, IsModified()); });
}
