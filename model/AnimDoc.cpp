#include "model/AnimDoc.h"

#include <algorithm>
#include <exception>

#include "archive/Archive.h"
#include "model/ArchiveErrors.h"
#include "platform/CodePage.h"
#include "platform/FileNames.h"
#include "platform/MessageBox.h"
#include "platform/Program.h"
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

CAnimDoc::CAnimDoc() = default;

CAnimDoc::~CAnimDoc() {
    // The views may outlive the document for a moment; they must not keep composing a scene that is gone.
    for (CAnimView* view : views_)
        if (view->GetScene() == this) view->SetScene(nullptr);
}

// ---------------------------------------------------------------- framework operations

void CAnimDoc::NewScene(int32_t width, int32_t height) {
    DeleteContents();
    auto background = std::make_unique<CDibJpeg>();
    background->Create(width, height, 3);
    SetBackground(std::move(background));
    AttachSpritesToFirstView();
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
    if (platform::IsEditor())
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
        DeleteContents();
        platform::ShowMessage(FileErrorMessage(error, path, DocumentOperation::open));
        return false;
    }
    if (!LoadFrom(file, &message)) {
        platform::ShowMessage(message);
        return false;
    }
    SetPathName(path);
    AttachSpritesToFirstView();
    SetModifiedFlag(false);
    UpdateAllViews();
    if (platform::IsPlayer()) ApplyBackgroundMusicRule();
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
            background->Serialize(ar);
            range.end = ar.GetFile().Position();
            backgroundRange_ = range;
            // The list was emptied before loading, so installing asks no question.
            SetBackground(std::move(background));
        }
    }
    sprites_.Serialize(ar);
}

bool CAnimDoc::LoadFrom(platform::File& file, std::string* message) {
    DeleteContents();
    try {
        CArchive ar(file, CArchive::load);
        Serialize(ar);
        ar.Close();
        return true;
    } catch (...) {
        if (message) *message = MessageForException(std::current_exception(), DocumentOperation::open);
    }
    // Whatever the load had built so far goes: no half-read document is ever shown.
    DeleteContents();
    return false;
}

// ---------------------------------------------------------------- scene operations

void CAnimDoc::SetBackground(std::unique_ptr<CDibJpeg> background) {
    if (!sprites_.IsEmpty()) {
        const char* question = platform::IsEditor() ? "Do you want to delete the sprite list ?"
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
    if (!view || std::find(views_.begin(), views_.end(), view) != views_.end()) return;
    views_.push_back(view);
    view->SetScene(this);
    if (background_) view->NewBackground(*background_);
}

void CAnimDoc::RemoveView(CAnimView* view) {
    auto it = std::find(views_.begin(), views_.end(), view);
    if (it == views_.end()) return;
    if (view->GetScene() == this) view->SetScene(nullptr);
    views_.erase(it);
    AttachSpritesToFirstView();
}

void CAnimDoc::AttachSpritesToFirstView() {
    sprites_.SetView(views_.empty() ? nullptr : views_.front());
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

void CAnimDoc::ApplyBackgroundMusicRule() {
    platform::Sound& sound = platform::Sounds();
    if (sound.WaveDeviceCount() <= 0) return;
    CPlayerRunState& state = RunState();
    if (!backgroundMusic.empty()) {
        // Names are compared without regard to letter case, so that a title that names the music playing
        // in other letters does not start it again from the beginning.
        backgroundMusic = platform::Cp1252ToUpper(backgroundMusic);
        if (platform::Cp1252ToUpper(state.PlayingMusic()) != backgroundMusic) {
            std::optional<std::string> resolved =
                platform::ResolveWindowsPath(backgroundMusic, baseDirectory_);
            sound.PlayFile(resolved ? *resolved : platform::Cp1252ToUtf8(backgroundMusic), loopMusic != 0);
        }
        state.SetPlayingMusic(backgroundMusic);
    } else if (stopPreviousMusic != 0) {
        sound.Stop();
        state.SetPlayingMusic("");
    }
}
