#include "model/AnimDoc.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "archive/Archive.h"
#include "model/ArchiveErrors.h"
#include "platform/CodePage.h"
#include "platform/FileNames.h"
#include "platform/MessageBox.h"
#include "platform/Sound.h"

namespace {

CPlayerRunState defaultRunState;
CPlayerRunState* installedRunState = nullptr;

}  // namespace

CPlayerRunState& RunState() {
    return installedRunState ? *installedRunState : defaultRunState;
}
void SetRunState(CPlayerRunState* state) {
    installedRunState = state;
}

CAnimDoc::CAnimDoc(Variant variant) : variant_(variant), sprites_(variant) {}

CAnimDoc::~CAnimDoc() {
    DetachAllViews();
}

void CAnimDoc::DetachAllViews() {
    // The views may outlive the document for a moment; they must not keep composing a scene that is gone.
    // Each one's detaching takes it out of the list, so the loop works on a copy.
    const std::vector<CAnimView*> views = views_;
    for (CAnimView* view : views) view->SetScene(nullptr);
}

// ---------------------------------------------------------------- framework operations

void CAnimDoc::NewScene(int32_t width, int32_t height) {
    DeleteContents();
    auto background = std::make_unique<CDibJpeg>();
    background->Create(width, height, 3);
    SetBackground(std::move(background));
    identifier.clear();
    description.clear();
    backgroundMusic.clear();
    loopMusic = 0;
    stopPreviousMusic = 0;
    SetModifiedFlag(false);
}

bool CAnimDoc::OnNewDocument() {
    // The scene document exists only in the player, whose new scene is the small one; the editor's size
    // is kept for a scene made there all the same.
    if (variant_ == Variant::editor)
        NewScene(640, 480);
    else
        NewScene(320, 240);
    return true;
}

bool CAnimDoc::OnOpenDocument(const std::string& path) {
    platform::DiskFile file;
    platform::FileError error = file.Open(path, platform::DiskFile::Mode::read);
    std::string message;
    if (error != platform::FileError::none) {
        platform::ShowMessage(FileErrorMessage(error, path, DocumentOperation::open));
        return false;
    }
    CAnimDoc loaded(variant_);
    loaded.SetBaseDirectory(platform::FolderOfPath(path));
    PassWorkWhileLoading(loaded);
    if (!loaded.LoadFrom(file, &message)) {
        platform::ShowMessage(message);
        return false;
    }
    SwapScene(loaded);
    SetPathName(path);
    SetModifiedFlag(false);
    UpdateAllViews();
    if (variant_ == Variant::player) ApplyBackgroundMusicRule();
    return true;
}

void CAnimDoc::DeleteContents() {
    background_.reset();
    backgroundRange_.reset();
    sprites_.DeleteAll();
}

void CAnimDoc::Serialize(CArchive& ar) {
    ar.Io(leadingWord);
    ar.Io(identifier);
    ar.Io(description);
    ar.Io(backgroundMusic);
    ar.Io(loopMusic);
    ar.Io(stopPreviousMusic);
    if (ar.IsStoring()) {
        uint32_t hasBackground = background_ ? 1 : 0;
        ar.Io(hasBackground);
        if (background_) background_->Serialize(ar);
    } else {
        uint32_t hasBackground = 0;
        ar.Io(hasBackground);
        if (hasBackground != 0) {
            auto background = std::make_unique<CDibJpeg>();
            // The document reports a broken stream itself, with the message of a failed open.
            background->SetQuiet(true);
            ar.Flush();
            ByteRange range;
            range.begin = ar.GetFile().Position();
            // Decoded on the helper thread while the rest is read; LoadFrom waits for it at the end.
            if (readBackgroundAhead_) {
                if (!background->ReadAhead(ar.GetFile()))
                    throw CArchiveException(CArchiveException::generic, ar.Path());
            } else {
                background->Serialize(ar);
            }
            range.end = ar.GetFile().Position();
            backgroundRange_ = range;
            // The list was emptied before loading, so installing asks no question.
            SetBackground(std::move(background));
        }
    }
    sprites_.Serialize(ar);
}

void CAnimDoc::PrepareFirstView(const std::function<bool()>& waiting) const {
    for (const CSprite* sprite : sprites_) {
        if (!waiting()) return;
        if (sprite->IsVisible()) sprite->DecodeShownPixels();
    }
    if (waiting()) PrepareBackgroundMusic();
}

void CAnimDoc::DoWorkWhileLoading() {
    if (std::function<void()> work = std::exchange(workWhileLoading_, nullptr)) work();
}

bool CAnimDoc::LoadFrom(platform::File& file, std::string* message) {
    const uint64_t start = file.Position();
    // First with the background decoded on the helper thread while everything after it is read. Should
    // its decoder end the stream elsewhere than its markers said, what followed was read from the wrong
    // place: the load starts over with the background decoded first.
    for (const bool ahead : {true, false}) {
        DeleteContents();
        readBackgroundAhead_ = ahead;
        std::exception_ptr failure;
        try {
            CArchive ar(file, CArchive::load);
            Serialize(ar);
            ar.Close();
        } catch (...) {
            failure = std::current_exception();
        }
        readBackgroundAhead_ = false;
        // The wait is put to use, as long as it lasts.
        if (!failure && background_ && background_->StillDecoding()) {
            DoWorkWhileLoading();
            PrepareFirstView([this] { return background_->StillDecoding(); });
            // What is left of the wait goes into decoding the lower rows of the background, where its
            // stream allows.
            if (background_->StillDecoding()) background_->ShareDecoding();
        }
        // The background's outcome comes first, as when it was decoded before anything after it was read.
        const CDibJpeg::Outcome outcome =
            background_ ? background_->FinishReading() : CDibJpeg::Outcome::read;
        if (outcome == CDibJpeg::Outcome::misplaced && ahead) {
            file.Seek(start);
            continue;
        }
        if (outcome != CDibJpeg::Outcome::read)
            failure = std::make_exception_ptr(CArchiveException(CArchiveException::generic, file.Path()));
        DoWorkWhileLoading();
        if (!failure) return true;
        if (message) *message = MessageForException(failure, DocumentOperation::open);
        break;
    }
    // Whatever the load had built so far goes: no half-read document is ever shown.
    DeleteContents();
    return false;
}

void CAnimDoc::SwapScene(CAnimDoc& other) {
    std::swap(leadingWord, other.leadingWord);
    std::swap(identifier, other.identifier);
    std::swap(description, other.description);
    std::swap(backgroundMusic, other.backgroundMusic);
    std::swap(loopMusic, other.loopMusic);
    std::swap(stopPreviousMusic, other.stopPreviousMusic);
    std::swap(background_, other.background_);
    std::swap(backgroundRange_, other.backgroundRange_);
    std::swap(foundMusic_, other.foundMusic_);
    sprites_.SwapSprites(other.sprites_);
    if (background_)
        for (CAnimView* view : views_) view->NewBackground(*background_);
}

// ---------------------------------------------------------------- scene operations

void CAnimDoc::SetBackground(std::unique_ptr<CDibJpeg> background) {
    if (!sprites_.IsEmpty()) {
        const char* question = variant_ == Variant::editor ? "Do you want to delete the sprite list ?"
                                                           : "\xC2\xBF Desea borrar la lista de Sprites ?";
        platform::MessageAnswer answer = platform::Messages().Show(
            question, "", platform::MessageIcon::question, platform::MessageButtons::yesNo);
        if (answer == platform::MessageAnswer::yes) sprites_.DeleteAll();
    }
    background_ = std::move(background);
    SetModifiedFlag(true);
    if (background_)
        for (CAnimView* view : views_) view->NewBackground(*background_);
}

// ---------------------------------------------------------------- views

void CAnimDoc::AddView(CAnimView* view) {
    if (view) view->SetScene(this);
}

void CAnimDoc::RemoveView(CAnimView* view) {
    if (view && view->GetScene() == this) view->SetScene(nullptr);
}

void CAnimDoc::SetDirtyView(CAnimView* view) {
    if (view) AddView(view);
    dirtyView_ = view;
    sprites_.SetView(view);
}

void CAnimDoc::ViewAttached(CAnimView& view) {
    if (std::find(views_.begin(), views_.end(), &view) == views_.end()) views_.push_back(&view);
    if (background_) view.NewBackground(*background_);
}

void CAnimDoc::ViewDetached(CAnimView& view) {
    views_.erase(std::remove(views_.begin(), views_.end(), &view), views_.end());
    if (dirtyView_ == &view) {
        dirtyView_ = nullptr;
        sprites_.SetView(nullptr);
    }
}

void CAnimDoc::UpdateAllViews() {
    for (CAnimView* view : views_) view->OnUpdate();
}

void CAnimDoc::SetPathName(const std::string& path) {
    pathName_ = path;
    title_ = platform::NameOfPath(path);
    baseDirectory_ = platform::FolderOfPath(path);
}

// ---------------------------------------------------------------- background music

void CAnimDoc::PrepareBackgroundMusic() const {
    foundMusic_.reset();
    if (variant_ != Variant::player || backgroundMusic.empty()) return;
    platform::Sound& sound = platform::Sounds();
    if (sound.WaveDeviceCount() <= 0) return;
    const std::string name = platform::Cp1252ToUpper(backgroundMusic);
    if (platform::Cp1252ToUpper(RunState().PlayingMusic()) == name) return;
    foundMusic_ = FoundMusic{name, baseDirectory_, platform::ResolveWindowsPath(name, baseDirectory_)};
    if (foundMusic_->path) sound.Prepare(*foundMusic_->path);
}

void CAnimDoc::ApplyBackgroundMusicRule() {
    platform::Sound& sound = platform::Sounds();
    musicChange_ = {};
    // What the load found ahead serves this once.
    const std::optional<FoundMusic> foundMusic = std::exchange(foundMusic_, std::nullopt);
    if (sound.WaveDeviceCount() <= 0) return;
    CPlayerRunState& state = RunState();
    if (!backgroundMusic.empty()) {
        // Names are compared without regard to letter case, so that a title that names the music playing
        // in other letters does not start it again from the beginning.
        backgroundMusic = platform::Cp1252ToUpper(backgroundMusic);
        if (platform::Cp1252ToUpper(state.PlayingMusic()) != backgroundMusic) {
            const bool found =
                foundMusic && foundMusic->name == backgroundMusic && foundMusic->folder == baseDirectory_;
            std::optional<std::string> resolved =
                found ? foundMusic->path : platform::ResolveWindowsPath(backgroundMusic, baseDirectory_);
            sound.PlayFile(resolved ? *resolved : platform::Cp1252ToUtf8(backgroundMusic), loopMusic != 0);
            musicChange_ = {MusicChange::Kind::started, backgroundMusic, loopMusic != 0};
        }
        state.SetPlayingMusic(backgroundMusic);
    } else if (stopPreviousMusic != 0) {
        sound.Stop();
        state.SetPlayingMusic("");
        musicChange_.kind = MusicChange::Kind::stopped;
    }
}
