#include "editor/EditorCommands.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

#include "editor/CommandIds.h"
#include "editor/EditorClipboard.h"
#include "editor/EditorDialogs.h"
#include "engine/PhasedSprite.h"
#include "imaging/DibJpeg.h"
#include "model/Actions.h"
#include "model/FichaDoc.h"

namespace {

constexpr int32_t kBackgroundWidth = 640;
constexpr int32_t kBackgroundHeight = 480;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;

const char* const kVideoPasteMessage =
    "You can\xC2\xB4t paste a video clip in a card that already has one. You must delete the existing one.";

// The names of the undo steps, as the Edit menu shows them after "Undo" and "Redo".
const std::map<int, std::string>& StepNames() {
    static const std::map<int, std::string> names = {
        {cmd::kAddCard, "Add card"},
        {cmd::kDuplicateCard, "Duplicate card"},
        {cmd::kDeleteCard, "Delete card"},
        {cmd::kBackgroundFromFile, "Load background"},
        {cmd::kBackgroundSolidColor, "Fill with solid color"},
        {cmd::kBackgroundGradient, "Fill with gradient"},
        {cmd::kInsertSprite, "Insert sprite"},
        {cmd::kInsertText, "Insert text"},
        {cmd::kInsertPicture, "Insert picture"},
        {cmd::kInsertVideo, "Insert video"},
        {cmd::kDeleteSelection, "Delete"},
        {cmd::kDeleteText, "Delete text"},
        {cmd::kEditCut, "Cut"},
        {cmd::kEditPaste, "Paste"},
        {cmd::kEditText, "Edit text"},
        {cmd::kAlignTexts, "Align texts"},
        {cmd::kTextFormat, "Text format"},
        {cmd::kRepeatInAllCards, "Repeat in all cards"},
        {cmd::kConvertInCounter, "Convert in counter"},
        {cmd::kSpriteProperties, "Sprite properties"},
        {cmd::kSpriteConfiguration, "Sprite configuration"},
        {cmd::kSpriteEvents, "Sprite events"},
        {cmd::kSpritesList, "Sprites list"},
        {cmd::kPictureProperties, "Picture properties"},
        {cmd::kVideoProperties, "Video properties"},
        {cmd::kScreenProperties, "Screen properties"},
        {cmd::kIdentificatorField, "Identificator field"},
        {cmd::kWorkDirectory, "Work directory"},
    };
    return names;
}

bool IsPictureProxy(const CSprite* sprite) {
    return sprite && IsPictureProxyNumberOfEditor(sprite->GetNumber());
}
bool IsVideoProxy(const CSprite* sprite) {
    return sprite && sprite->GetNumber() == kVideoProxyNumber;
}
size_t PictureIndexOf(const CSprite& proxy) {
    return static_cast<size_t>(kEditorFirstPictureProxyNumber - proxy.GetNumber());
}

// The video's selected flag is the record's run-time word.
bool IsSelected(const CVideo& video) {
    return video.runtimeWord != 0;
}

}  // namespace

// One undo step of a command: taken before the command's first change, kept by Done, dropped when the
// command ends without it (a cancelled dialog or file choice, nothing to work on).
class CEditorCommands::Step {
  public:
    Step(CFichaDoc& doc, int id) : Step(doc, StepName(id)) {}
    Step(CFichaDoc& doc, const std::string& name) : doc_(doc) { doc_.TakeUndoSnapshot(name); }
    ~Step() {
        if (!done_) doc_.DropUndoSnapshot();
    }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;
    // The change is made: the step stays and remembers the card the change ended on.
    void Done() {
        doc_.EndUndoStep();
        done_ = true;
    }

  private:
    CFichaDoc& doc_;
    bool done_ = false;
};

CEditorCommands::CEditorCommands(CFichaDoc& doc, CardEditing* view, EditorClipboard& clipboard,
                                 EditorDialogs& dialogs)
    : doc_(doc), view_(view), clipboard_(clipboard), dialogs_(dialogs) {}

CEditorCommands::~CEditorCommands() = default;

std::string CEditorCommands::StepName(int id) {
    auto it = StepNames().find(id);
    return it == StepNames().end() ? std::string() : it->second;
}

std::string CEditorCommands::UndoText() const {
    return doc_.UndoText();
}
std::string CEditorCommands::RedoText() const {
    return doc_.RedoText();
}

// ---------------------------------------------------------------- routing

bool CEditorCommands::CommandState(int id, State& state) {
    state = {};
    switch (id) {
        case cmd::kNextCard:
            state.enabled = doc_.CanGoNext();
            return true;
        case cmd::kPreviousCard:
            state.enabled = doc_.CanGoPrevious();
            return true;
        case cmd::kEditCut:
        case cmd::kEditCopy:
            state.enabled = AnySelected();
            return true;
        case cmd::kEditPaste:
            state.enabled = clipboard_.IsFilled();
            return true;
        case cmd::kEditUndo:
            state.enabled = doc_.CanUndo();
            return true;
        case cmd::kEditRedo:
            state.enabled = doc_.CanRedo();
            return true;
        case cmd::kDeleteText:
        case cmd::kEditText:
        case cmd::kAlignTexts:
        case cmd::kTextFormat:
        case cmd::kRepeatInAllCards:
        case cmd::kConvertInCounter:
            state.enabled = CurrentText() != nullptr;
            return true;
        // These menu entries have no command behind them and stay disabled.
        case cmd::kTextPosition:
        case cmd::kPictureDelete:
        case cmd::kVideoDelete:
            return true;
        case cmd::kAddCard:
        case cmd::kDuplicateCard:
        case cmd::kDeleteCard:
        case cmd::kFirstCard:
        case cmd::kLastCard:
        case cmd::kCardsList:
        case cmd::kIdentificatorField:
        case cmd::kBackgroundFromFile:
        case cmd::kBackgroundSolidColor:
        case cmd::kBackgroundGradient:
        case cmd::kDeleteSelection:
        case cmd::kSpriteProperties:
        case cmd::kSpriteConfiguration:
        case cmd::kSpriteEvents:
        case cmd::kChangeBitmap:
        case cmd::kPictureProperties:
        case cmd::kVideoProperties:
        case cmd::kScreenProperties:
        case cmd::kSpritesList:
        case cmd::kWorkDirectory:
            state.enabled = true;
            return true;
        default:
            return false;
    }
}

bool CEditorCommands::RunCommand(int id) {
    State state;
    if (!CommandState(id, state)) return false;
    if (!state.enabled) return true;
    switch (id) {
        case cmd::kAddCard:
            AddCard();
            break;
        case cmd::kDuplicateCard:
            DuplicateCard();
            break;
        case cmd::kDeleteCard:
            DeleteCard();
            break;
        case cmd::kNextCard:
        case cmd::kPreviousCard:
        case cmd::kFirstCard:
        case cmd::kLastCard:
            GoToCard(id);
            break;
        case cmd::kCardsList:
            CardsList();
            break;
        case cmd::kIdentificatorField:
            IdentificatorField();
            break;
        case cmd::kBackgroundFromFile:
            BackgroundFromFile();
            break;
        case cmd::kBackgroundSolidColor:
            BackgroundSolidColour();
            break;
        case cmd::kBackgroundGradient:
            BackgroundGradient();
            break;
        case cmd::kDeleteSelection:
        case cmd::kDeleteText: {
            // Nothing selected: nothing deleted and no step.
            Step step(doc_, id);
            if (DeleteSelection(id == cmd::kDeleteText)) step.Done();
            break;
        }
        case cmd::kEditCut: {
            // Copy and Delete as one command with one step.
            Step step(doc_, id);
            Copy();
            if (DeleteSelection(false)) step.Done();
            break;
        }
        case cmd::kEditCopy:
            Copy();
            break;
        case cmd::kEditPaste:
            Paste();
            break;
        case cmd::kEditUndo:
            Undo();
            break;
        case cmd::kEditRedo:
            Redo();
            break;
        case cmd::kEditText:
            EditText();
            break;
        case cmd::kAlignTexts:
            AlignTexts();
            break;
        case cmd::kTextFormat:
            TextFormat();
            break;
        case cmd::kRepeatInAllCards:
            RepeatInAllCards();
            break;
        case cmd::kConvertInCounter:
            ConvertInCounter();
            break;
        case cmd::kSpriteProperties:
            SpriteProperties();
            break;
        case cmd::kSpriteConfiguration:
            SpriteConfiguration(false);
            break;
        case cmd::kSpriteEvents:
            SpriteConfiguration(true);
            break;
        case cmd::kChangeBitmap:
            ChangeBitmap();
            break;
        case cmd::kPictureProperties:
            PictureProperties();
            break;
        case cmd::kVideoProperties:
            VideoProperties();
            break;
        case cmd::kScreenProperties:
            ScreenProperties();
            break;
        case cmd::kSpritesList:
            SpritesList();
            break;
        case cmd::kWorkDirectory:
            WorkDirectory();
            break;
        default:
            break;
    }
    return true;
}

// ---------------------------------------------------------------- helpers

void CEditorCommands::Refresh() {
    doc_.UpdateAllViews();
    if (view_) view_->Refresh();
}

void CEditorCommands::Changed() {
    doc_.SetModifiedFlag(true);
    Refresh();
}

CTexto* CEditorCommands::CurrentText() const {
    CTexto* text = view_ ? view_->CurrentText() : nullptr;
    // A text of another card (or one that is gone) is no target.
    CFicha* card = doc_.GetCurrentCardPtr();
    return text && card && card->texts.Contains(text) ? text : nullptr;
}

CSprite* CEditorCommands::CurrentSprite() const {
    CSprite* sprite = view_ ? view_->CurrentSprite() : nullptr;
    return sprite && doc_.GetSpriteList().Contains(sprite) ? sprite : nullptr;
}

CPhasedSprite* CEditorCommands::CurrentOrdinarySprite() const {
    CSprite* sprite = CurrentSprite();
    if (!sprite || IsProxyNumber(sprite->GetNumber())) return nullptr;
    return dynamic_cast<CPhasedSprite*>(sprite);
}

void CEditorCommands::ForgetCurrentElements() {
    if (!view_) return;
    view_->SetCurrentText(nullptr);
    view_->SetCurrentSprite(nullptr);
}

bool CEditorCommands::AnySelected() const {
    for (const CSprite* sprite : doc_.GetSpriteList())
        if (sprite->IsSelected()) return true;
    if (const CFicha* card = doc_.GetCurrentCardPtr())
        for (const CTexto* text : card->texts)
            if (text->selected) return true;
    return false;
}

void CEditorCommands::KeepProxyPositions() {
    CFicha* card = doc_.GetCurrentCardPtr();
    if (!card) return;
    for (const CSprite* sprite : doc_.GetSpriteList()) {
        if (IsVideoProxy(sprite)) {
            if (card->video.x != sprite->GetX() || card->video.y != sprite->GetY()) {
                card->video.x = sprite->GetX();
                card->video.y = sprite->GetY();
                card->video.MarkChanged();
            }
        } else if (IsPictureProxy(sprite)) {
            CFoto* picture = card->PictureAt(PictureIndexOf(*sprite));
            if (picture && (picture->x != sprite->GetX() || picture->y != sprite->GetY())) {
                picture->x = sprite->GetX();
                picture->y = sprite->GetY();
                picture->MarkChanged();
            }
        }
    }
}

// ---------------------------------------------------------------- cards

void CEditorCommands::AddCard() {
    Step step(doc_, cmd::kAddCard);
    ForgetCurrentElements();
    KeepProxyPositions();
    doc_.AppendCard(std::make_unique<CFicha>());
    step.Done();
    Changed();
}

// The duplicate holds copies of the card's texts and pictures, in order, and starts with empty sprite
// lists. Its video record stays empty, as in the original program: a card shows one clip, and the author
// places it again where the copy needs one.
void CEditorCommands::DuplicateCard() {
    CFicha* current = doc_.GetCurrentCardPtr();
    if (!current) return;
    Step step(doc_, cmd::kDuplicateCard);
    KeepProxyPositions();
    auto card = std::make_unique<CFicha>();
    for (const CTexto* text : current->texts) card->AddText(std::make_unique<CTexto>(*text));
    for (const CFoto* picture : current->pictures) card->AddPicture(std::make_unique<CFoto>(*picture));
    ForgetCurrentElements();
    doc_.AppendCard(std::move(card));
    step.Done();
    Changed();
}

void CEditorCommands::DeleteCard() {
    if (!doc_.GetCurrentCardPtr()) return;
    Step step(doc_, cmd::kDeleteCard);
    ForgetCurrentElements();
    doc_.DeleteCurrentCard();
    step.Done();
    Changed();
}

void CEditorCommands::GoToCard(int which) {
    KeepProxyPositions();
    ForgetCurrentElements();
    switch (which) {
        case cmd::kNextCard:
            doc_.NextCard();
            break;
        case cmd::kPreviousCard:
            doc_.PreviousCard();
            break;
        case cmd::kFirstCard:
            doc_.FirstCard();
            break;
        case cmd::kLastCard:
            doc_.LastCard();
            break;
        default:
            break;
    }
    Refresh();
}

void CEditorCommands::CardsList() {
    std::optional<int> chosen = dialogs_.CardsList(doc_.GetCards(), doc_.GetCurrentCard());
    if (!chosen || !doc_.CardAt(*chosen)) return;
    KeepProxyPositions();
    ForgetCurrentElements();
    doc_.SelectCard(*chosen);
    Refresh();
}

void CEditorCommands::ShowCardAt(int index) {
    if (!doc_.CardAt(index)) return;
    KeepProxyPositions();
    ForgetCurrentElements();
    doc_.SelectCard(index);
    Refresh();
}

bool CEditorCommands::MoveCard(int from, int to) {
    if (from == to || !doc_.CardAt(from) || !doc_.CardAt(to)) return false;
    Step step(doc_, kMoveCardStep);
    KeepProxyPositions();
    doc_.MoveCard(from, to);
    step.Done();
    Changed();
    return true;
}

void CEditorCommands::IdentificatorField() {
    std::vector<std::string> identifiers = doc_.GetCards().DistinctIdentifiers();
    std::sort(identifiers.begin(), identifiers.end());
    // The field name is stored in the title: a new one is a change to save and to undo (the original
    // program marked nothing, so that closing the title lost the new name without asking).
    Step step(doc_, cmd::kIdentificatorField);
    std::optional<std::string> field = dialogs_.IdentificatorField(doc_.GetCards().captionField, identifiers);
    if (!field || *field == doc_.GetCards().captionField) return;
    doc_.GetCards().captionField = *field;
    step.Done();
    Changed();
}

// ---------------------------------------------------------------- backgrounds

void CEditorCommands::InstallBackground(std::unique_ptr<CDibJpeg> background) {
    KeepProxyPositions();
    // Answering Yes to the question of the document deletes every sprite, the current one too.
    if (view_) view_->SetCurrentSprite(nullptr);
    doc_.SetBackground(std::move(background));
    // Deleted proxies come back from their records.
    if (doc_.GetCurrentCardPtr()) doc_.RebuildProxies();
    Changed();
}

void CEditorCommands::BackgroundFromFile() {
    Step step(doc_, cmd::kBackgroundFromFile);
    std::optional<std::string> path = dialogs_.ChooseImageFile();
    if (!path) return;
    auto background = std::make_unique<CDibJpeg>();
    // The loader reports its own failure.
    if (!background->LoadByExtension(*path, CDIB::DialogWording::editor)) return;
    InstallBackground(std::move(background));
    step.Done();
}

void CEditorCommands::BackgroundSolidColour() {
    Step step(doc_, cmd::kBackgroundSolidColor);
    auto background = std::make_unique<CDibJpeg>();
    if (!background->Create(kBackgroundWidth, kBackgroundHeight, 3)) return;
    std::optional<uint32_t> colour = dialogs_.ChooseColour(kBlack);
    if (!colour) return;
    background->Fill(*colour);
    InstallBackground(std::move(background));
    step.Done();
}

void CEditorCommands::BackgroundGradient() {
    Step step(doc_, cmd::kBackgroundGradient);
    auto background = std::make_unique<CDibJpeg>();
    if (!background->Create(kBackgroundWidth, kBackgroundHeight, 3)) return;
    std::optional<std::pair<uint32_t, uint32_t>> colours = dialogs_.ChooseGradient(kBlack, kWhite);
    if (!colours) return;
    background->FillGradient(colours->first, colours->second);
    InstallBackground(std::move(background));
    step.Done();
}

// ---------------------------------------------------------------- insertion

bool CEditorCommands::InsertSprite(const platform::Point& at) {
    Step step(doc_, cmd::kInsertSprite);
    std::optional<std::string> path = dialogs_.ChooseImageFile();
    if (!path) return false;
    auto sprite = std::make_unique<CPhasedSprite>();
    if (!sprite->LoadByExtension(*path, CDIB::DialogWording::editor)) return false;
    // Loading by extension is not one of the sprite's own loads: the sheet is set up here.
    sprite->ComputeTransparentColour();
    sprite->SetPosition(at.x, at.y);
    doc_.GetSpriteList().Insert(std::move(sprite));
    step.Done();
    Changed();
    return true;
}

CTexto* CEditorCommands::InsertText(const platform::Rect& place) {
    CFicha* card = doc_.GetCurrentCardPtr();
    if (!card) return nullptr;
    Step step(doc_, cmd::kInsertText);
    auto text = std::make_unique<CTexto>("Texto", place);
    CTexto* inserted = text.get();
    card->AddText(std::move(text));
    step.Done();
    Changed();
    return inserted;
}

bool CEditorCommands::InsertPicture(const platform::Point& at) {
    CFicha* card = doc_.GetCurrentCardPtr();
    if (!card) return false;
    Step step(doc_, cmd::kInsertPicture);
    auto picture = std::make_unique<CFoto>();
    picture->x = at.x;
    picture->y = at.y;
    if (!dialogs_.PictureProperties(*picture)) return false;
    KeepProxyPositions();
    card->AddPicture(std::move(picture));
    // The new picture's proxy takes the number its place in the array gives it.
    if (view_) view_->SetCurrentSprite(nullptr);
    doc_.RebuildProxies();
    step.Done();
    Changed();
    return true;
}

// A cancelled video dialog puts the video back where it was: the cancelled insertion leaves the card as
// it found it (the original program kept the new position, unsaved and unrecorded).
bool CEditorCommands::InsertVideo(const platform::Point& at) {
    CFicha* card = doc_.GetCurrentCardPtr();
    if (!card) return false;
    Step step(doc_, cmd::kInsertVideo);
    KeepProxyPositions();
    const int32_t oldX = card->video.x, oldY = card->video.y;
    card->video.x = at.x;
    card->video.y = at.y;
    card->video.MarkChanged();
    const bool accepted = dialogs_.VideoProperties(card->video);
    card->video.MarkChanged();
    if (!accepted) {
        card->video.x = oldX;
        card->video.y = oldY;
        card->video.MarkChanged();
        return false;
    }
    if (view_) view_->SetCurrentSprite(nullptr);
    doc_.RebuildProxies();
    step.Done();
    Changed();
    return true;
}

// ---------------------------------------------------------------- deletion and the clipboard

// Deletes the selected elements: sprites, the pictures and the video whose proxies are selected, then the
// selected texts. The pictures go in one pass after all were found, and the proxies are built again from
// what is left, so that deleting several pictures removes exactly those (removing them one by one by
// their proxy numbers, as the original program did, shifts the pictures behind each and removes others).
bool CEditorCommands::DeleteSelection(bool textsOnly) {
    CFicha* card = doc_.GetCurrentCardPtr();
    bool deleted = false;
    if (!textsOnly) {
        KeepProxyPositions();
        CSpriteList& list = doc_.GetSpriteList();
        std::vector<CSprite*> doomed;
        std::vector<size_t> pictures;
        bool proxies = false;
        for (CSprite* sprite : list) {
            if (!sprite->IsSelected()) continue;
            doomed.push_back(sprite);
            if (IsVideoProxy(sprite) && card) {
                card->video.Clear();
                card->video.runtimeWord = 0;
                proxies = true;
            } else if (IsPictureProxy(sprite) && card) {
                pictures.push_back(PictureIndexOf(*sprite));
                proxies = true;
            }
        }
        // Pictures selected in their records whose proxy is not shown go with them.
        if (card)
            for (size_t i = 0; i < card->pictures.GetSize(); ++i)
                if (card->PictureAt(i)->selected) pictures.push_back(i);
        std::sort(pictures.begin(), pictures.end());
        pictures.erase(std::unique(pictures.begin(), pictures.end()), pictures.end());
        for (auto it = pictures.rbegin(); it != pictures.rend(); ++it) card->RemovePictureAt(*it);
        if (view_) view_->SetCurrentSprite(nullptr);
        for (CSprite* sprite : doomed) list.Remove(sprite);
        if (card && (proxies || !pictures.empty())) doc_.RebuildProxies();
        deleted = !doomed.empty() || !pictures.empty();
    }
    if (card) {
        std::vector<const CTexto*> texts;
        for (const CTexto* text : card->texts)
            if (text->selected) texts.push_back(text);
        if (!texts.empty() && view_) view_->SetCurrentText(nullptr);
        for (const CTexto* text : texts) card->texts.Remove(text);
        deleted = deleted || !texts.empty();
    }
    if (deleted) Changed();
    return deleted;
}

void CEditorCommands::Copy() {
    clipboard_.Empty();
    KeepProxyPositions();
    CFicha* card = doc_.GetCurrentCardPtr();
    // Pictures and the video travel as their records; their proxies are built again where they are
    // pasted, with the numbers their places on that card give them.
    std::vector<bool> pictureSelected(card ? card->pictures.GetSize() : 0, false);
    bool videoSelected = card && IsSelected(card->video);
    for (const CSprite* sprite : doc_.GetSpriteList()) {
        if (!sprite->IsSelected()) continue;
        if (IsVideoProxy(sprite))
            videoSelected = true;
        else if (IsPictureProxy(sprite) && PictureIndexOf(*sprite) < pictureSelected.size())
            pictureSelected[PictureIndexOf(*sprite)] = true;
        else if (!IsProxyNumber(sprite->GetNumber()))
            clipboard_.sprites.push_back(EditorClipboard::CopyOf(*sprite));
    }
    if (card) {
        for (const CTexto* text : card->texts)
            if (text->selected) clipboard_.texts.push_back(std::make_unique<CTexto>(*text));
        for (size_t i = 0; i < card->pictures.GetSize(); ++i)
            if (pictureSelected[i] || card->PictureAt(i)->selected)
                clipboard_.pictures.push_back(std::make_unique<CFoto>(*card->PictureAt(i)));
        if (videoSelected && card->video.HasVideo()) {
            const CVideo& video = card->video;
            clipboard_.video.file = video.file;
            clipboard_.video.x = video.x;
            clipboard_.video.y = video.y;
            clipboard_.video.loop = video.loop;
            clipboard_.video.automaticInit = video.automaticInit;
            clipboard_.video.closeWhenFinishes = video.closeWhenFinishes;
        }
    }
    clipboard_.filled = !clipboard_.sprites.empty() || !clipboard_.texts.empty() ||
                        !clipboard_.pictures.empty() || clipboard_.HasVideo();
}

void CEditorCommands::Paste() {
    Step step(doc_, cmd::kEditPaste);
    KeepProxyPositions();
    for (const auto& sprite : clipboard_.sprites)
        doc_.GetSpriteList().Insert(EditorClipboard::CopyOf(*sprite));
    if (CFicha* card = doc_.GetCurrentCardPtr()) {
        for (const auto& text : clipboard_.texts) card->AddText(std::make_unique<CTexto>(*text));
        for (const auto& picture : clipboard_.pictures) card->AddPicture(std::make_unique<CFoto>(*picture));
        if (clipboard_.HasVideo()) {
            if (card->video.HasVideo()) {
                dialogs_.Message(kVideoPasteMessage, platform::MessageIcon::exclamation,
                                 platform::MessageButtons::ok);
            } else {
                CVideo& video = card->video;
                video.file = clipboard_.video.file;
                video.x = clipboard_.video.x;
                video.y = clipboard_.video.y;
                video.loop = clipboard_.video.loop;
                video.automaticInit = clipboard_.video.automaticInit;
                video.closeWhenFinishes = clipboard_.video.closeWhenFinishes;
                video.MarkChanged();
            }
        }
        if (!clipboard_.pictures.empty() || clipboard_.HasVideo()) {
            if (view_) view_->SetCurrentSprite(nullptr);
            doc_.RebuildProxies();
        }
    }
    step.Done();
    Changed();
}

void CEditorCommands::Undo() {
    // The sprites and texts of the present state go with it.
    ForgetCurrentElements();
    doc_.Undo();
    Refresh();
}

void CEditorCommands::Redo() {
    ForgetCurrentElements();
    doc_.Redo();
    Refresh();
}

// ---------------------------------------------------------------- texts

void CEditorCommands::EditText() {
    CTexto* text = CurrentText();
    if (!text) return;
    Step step(doc_, cmd::kEditText);
    TextFields fields{text->identifier, text->text,      text->fontFace, text->underline,
                      text->italic,     text->bold,      text->height,   text->colour,
                      text->visible,    text->rect.left, text->rect.top};
    if (!dialogs_.TextProperties(fields)) return;
    text->identifier = fields.identifier;
    text->text = fields.text;
    text->fontFace = fields.fontFace;
    text->underline = fields.underline;
    text->italic = fields.italic;
    text->bold = fields.bold;
    text->height = fields.height;
    text->colour = fields.colour;
    text->visible = fields.visible;
    text->MarkChanged();
    if (fields.x != text->rect.left || fields.y != text->rect.top) text->MoveTo(fields.x, fields.y);
    step.Done();
    Changed();
}

void CEditorCommands::AlignTexts() {
    CTexto* text = CurrentText();
    if (!text) return;
    Step step(doc_, cmd::kAlignTexts);
    AlignTextsChoice start{text->identifier,   true,  text->rect.left,
                           text->rect.top,     false, text->rect.Width(),
                           text->rect.Height()};
    std::optional<AlignTextsChoice> choice = dialogs_.AlignTexts(start);
    if (!choice) return;
    for (CFicha* card : doc_.GetCards()) {
        CTexto* match = card->texts.FindIgnoringCase(choice->identifier);
        if (!match) continue;
        platform::Rect& r = match->rect;
        const int32_t width = choice->size ? choice->width : r.Width();
        const int32_t height = choice->size ? choice->height : r.Height();
        if (choice->position) {
            r.left = choice->x;
            r.top = choice->y;
        }
        r.right = r.left + width;
        r.bottom = r.top + height;
        match->MarkChanged();
    }
    step.Done();
    Changed();
}

void CEditorCommands::TextFormat() {
    CTexto* text = CurrentText();
    if (!text) return;
    Step step(doc_, cmd::kTextFormat);
    FontChoice start{text->fontFace, text->height, text->bold, text->italic, text->underline, text->colour};
    const bool applied = dialogs_.TextFormat(text->identifier, start,
                                             [this](const std::string& identifier, const FontChoice& font) {
                                                 for (CFicha* card : doc_.GetCards()) {
                                                     CTexto* match = card->texts.FindIgnoringCase(identifier);
                                                     if (!match) continue;
                                                     match->fontFace = font.face;
                                                     match->height = font.height;
                                                     match->bold = font.bold;
                                                     match->italic = font.italic;
                                                     match->underline = font.underline;
                                                     match->colour = font.colour;
                                                     match->MarkChanged();
                                                 }
                                                 Refresh();
                                             });
    if (!applied) return;
    step.Done();
    Changed();
}

void CEditorCommands::RepeatInAllCards() {
    CTexto* text = CurrentText();
    if (!text) return;
    Step step(doc_, cmd::kRepeatInAllCards);
    for (CFicha* card : doc_.GetCards())
        if (!card->texts.FindIgnoringCase(text->identifier)) card->AddText(std::make_unique<CTexto>(*text));
    step.Done();
    Changed();
}

void CEditorCommands::ConvertInCounter() {
    CTexto* text = CurrentText();
    if (!text) return;
    Step step(doc_, cmd::kConvertInCounter);
    const std::string identifier = text->identifier;
    const size_t count = doc_.GetCards().GetSize();
    for (size_t i = 0; i < count; ++i) {
        CTexto* match = doc_.CardAt(static_cast<int>(i))->texts.FindIgnoringCase(identifier);
        if (!match) continue;
        char counter[32];
        std::snprintf(counter, sizeof counter, "%zu/%zu", i + 1, count);
        match->text = counter;
        match->MarkChanged();
    }
    step.Done();
    Changed();
}

// ---------------------------------------------------------------- sprites, pictures, the video, the screen

void CEditorCommands::SpriteProperties() {
    CSprite* current = CurrentSprite();
    // Enter on a picture or on the video opens their own properties.
    if (IsPictureProxy(current)) return PictureProperties();
    if (IsVideoProxy(current)) return VideoProperties();
    CPhasedSprite* sprite = CurrentOrdinarySprite();
    if (!sprite) return;
    Step step(doc_, cmd::kSpriteProperties);
    if (!dialogs_.SpriteProperties(*sprite)) return;
    step.Done();
    Changed();
}

void CEditorCommands::SpriteConfiguration(bool events) {
    CPhasedSprite* sprite = CurrentOrdinarySprite();
    if (!sprite) return;
    // These two changed the sprite without an undo step in the original program; with many levels of undo
    // such a change would be lost by the next Undo and never come back by Redo, so they take one like
    // Properties does.
    Step step(doc_, events ? cmd::kSpriteEvents : cmd::kSpriteConfiguration);
    if (!(events ? dialogs_.SpriteEvents(*sprite) : dialogs_.SpriteConfiguration(*sprite))) return;
    step.Done();
    Changed();
}

void CEditorCommands::ChangeBitmap() {
    CPhasedSprite* sprite = CurrentOrdinarySprite();
    if (!sprite) return;
    std::optional<std::string> path = dialogs_.ChooseBitmapFile();
    if (!path) return;
    const platform::Rect old = sprite->GetRect();
    if (!sprite->ChangeBitmap(*path)) return;
    if (DirtyRectReceiver* receiver = doc_.GetSpriteList().GetView()) receiver->AddDirty(old);
    Changed();
}

void CEditorCommands::PictureProperties() {
    CSprite* proxy = CurrentSprite();
    CFicha* card = doc_.GetCurrentCardPtr();
    if (!IsPictureProxy(proxy) || !card) return;
    CFoto* picture = card->PictureAt(PictureIndexOf(*proxy));
    if (!picture) return;
    Step step(doc_, cmd::kPictureProperties);
    KeepProxyPositions();
    const bool accepted = dialogs_.PictureProperties(*picture);
    picture->MarkChanged();
    if (!accepted) return;
    if (view_) view_->SetCurrentSprite(nullptr);
    doc_.RebuildProxies();
    step.Done();
    Changed();
}

void CEditorCommands::VideoProperties() {
    CFicha* card = doc_.GetCurrentCardPtr();
    if (!card) return;
    Step step(doc_, cmd::kVideoProperties);
    KeepProxyPositions();
    const bool accepted = dialogs_.VideoProperties(card->video);
    card->video.MarkChanged();
    if (!accepted) return;
    if (view_) view_->SetCurrentSprite(nullptr);
    doc_.RebuildProxies();
    step.Done();
    Changed();
}

void CEditorCommands::ScreenProperties() {
    CFicha* card = doc_.GetCurrentCardPtr();
    ScreenCardFields fields{doc_.identifier,
                            doc_.description,
                            doc_.backgroundMusic,
                            doc_.stopPreviousMusic != 0,
                            doc_.loopMusic != 0,
                            card != nullptr,
                            card ? card->activationList : std::string(),
                            card ? card->deactivationList : std::string()};
    // The step is taken before the sheet opens and kept only on OK, which is where the original program
    // took it.
    Step step(doc_, cmd::kScreenProperties);
    if (!dialogs_.ScreenCardProperties(fields)) return;
    doc_.identifier = fields.identifier;
    doc_.description = fields.description;
    doc_.backgroundMusic = fields.backgroundMusic;
    doc_.stopPreviousMusic = fields.stopPreviousMusic ? 1 : 0;
    doc_.loopMusic = fields.loopMusic ? 1 : 0;
    if (card) {
        card->activationList = fields.activationList;
        card->deactivationList = fields.deactivationList;
        card->MarkChanged();
    }
    step.Done();
    Changed();
}

void CEditorCommands::SpritesList() {
    // The property sheets opened from the list change sprites: all that was confirmed there is one step.
    Step step(doc_, cmd::kSpritesList);
    if (!dialogs_.SpritesList(doc_.GetSpriteList())) return Refresh();
    step.Done();
    Changed();
}

// The work directory is stored in the title, so a new one is an undo step of its own instead of riding
// on the step before it.
void CEditorCommands::WorkDirectory() {
    Step step(doc_, cmd::kWorkDirectory);
    std::optional<std::string> directory = dialogs_.WorkDirectory(doc_.workDirectory);
    if (!directory || *directory == doc_.workDirectory) return;
    KeepProxyPositions();
    doc_.workDirectory = *directory;
    // Pictures and the video are looked up behind the new directory from now on.
    if (view_) view_->SetCurrentSprite(nullptr);
    if (doc_.GetCurrentCardPtr()) doc_.RebuildProxies();
    step.Done();
    Changed();
}
