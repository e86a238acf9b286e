#include "tools/TitleFiles.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "archive/Archive.h"
#include "archive/OwnedArray.h"
#include "engine/PhasedSprite.h"
#include "model/ArchiveErrors.h"
#include "model/Classes.h"
#include "platform/CodePage.h"
#include "ui/Services.h"

namespace fcatool {

namespace {

// An image (a sprite's PCX, the background's JFIF) that keeps the bytes it was read from and writes them
// back unchanged, so that a title taken apart and built again is the same file, whatever writer made its
// images first. The records' own Serialize writes everything around the image.
template <class Base>
class VerbatimImage : public Base {
  public:
    bool Read(platform::File& file) override {
        const uint64_t begin = file.Position();
        if (!Base::Read(file)) return false;
        const uint64_t end = file.Position();
        raw.resize(end - begin);
        file.Seek(begin);
        const bool whole = file.Read(raw.data(), raw.size()) == raw.size();
        file.Seek(end);
        return whole;
    }
    bool Write(platform::File& file) override {
        if (raw.empty()) return Base::Write(file);
        file.Write(raw.data(), raw.size());
        return true;
    }
    Bytes raw;
};
using RawSprite = VerbatimImage<CSprite>;
using RawPhasedSprite = VerbatimImage<CPhasedSprite>;
using RawJpeg = VerbatimImage<CDibJpeg>;

std::unique_ptr<CObject> CreateRawSprite() {
    return std::make_unique<RawSprite>();
}
std::unique_ptr<CObject> CreateRawPhasedSprite() {
    return std::make_unique<RawPhasedSprite>();
}

// The sprite classes under their own names and schemas, but made as raw-image sprites. Registered only
// while a tool reads sprites; the stream cannot tell the difference.
const CRuntimeClass kRawSpriteClass{"CSprite", CSprite::classCSprite.schema, &CreateRawSprite,
                                    &CSprite::classCSprite};
const CRuntimeClass kRawPhasedSpriteClass{"CPhasedSprite", CPhasedSprite::classCPhasedSprite.schema,
                                          &CreateRawPhasedSprite, &CPhasedSprite::classCPhasedSprite};

class RawSpritesRegistered {
  public:
    RawSpritesRegistered() {
        ClassRegistry::Instance().Register(&kRawSpriteClass);
        ClassRegistry::Instance().Register(&kRawPhasedSpriteClass);
    }
    ~RawSpritesRegistered() {
        ClassRegistry::Instance().Register(RUNTIME_CLASS(CSprite));
        ClassRegistry::Instance().Register(RUNTIME_CLASS(CPhasedSprite));
    }
    RawSpritesRegistered(const RawSpritesRegistered&) = delete;
    RawSpritesRegistered& operator=(const RawSpritesRegistered&) = delete;
};

}  // namespace

std::string Utf8(const std::string& cp1252) {
    return platform::Cp1252ToUtf8(cp1252);
}
std::string SpriteFileName(size_t index) {
    return "sprite-" + std::to_string(index) + ".pcx";
}

bool ReadFile(const std::string& path, Bytes& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

const Bytes* RawImageOf(const CSprite* sprite) {
    if (auto* phased = dynamic_cast<const RawPhasedSprite*>(sprite)) return &phased->raw;
    if (auto* plain = dynamic_cast<const RawSprite*>(sprite)) return &plain->raw;
    return nullptr;
}

bool LoadTitle(const std::string& path, CFichaDoc& doc, bool keepImageBytes, Bytes* fileBytes,
               std::string& message) {
    RegisterTitleClasses();
    Bytes bytes;
    platform::DiskFile probe;
    if (platform::FileError error = probe.Open(path, platform::DiskFile::Mode::read);
        error != platform::FileError::none) {
        message = FileErrorMessage(error, path, DocumentOperation::open);
        return false;
    }
    probe.Close();
    if (!ReadFile(path, bytes)) {
        message = FileErrorMessage(platform::FileError::generic, path, DocumentOperation::open);
        return false;
    }
    platform::MemoryFile file(bytes, path);
    std::optional<RawSpritesRegistered> raw;
    if (keepImageBytes) raw.emplace();
    if (!doc.Load(file, &message)) return false;
    doc.SetPathName(path);
    if (fileBytes) *fileBytes = std::move(bytes);
    return true;
}

// ---------------------------------------------------------------- title to JSON

namespace {

json::Value Strings(const CSprite::Arguments& args) {
    json::Value a = json::Value::Array();
    for (const std::string& s : args) a.Append(Utf8(s));
    return a;
}

json::Value SpriteToJson(const CSprite& s, size_t index, bool withFiles) {
    json::Value j = json::Value::Object();
    auto* phased = dynamic_cast<const CPhasedSprite*>(&s);
    j.Set("class", phased ? "CPhasedSprite" : "CSprite");
    j.Set("width", s.CDIB::GetWidth());
    j.Set("height", s.CDIB::GetHeight());
    j.Set("reserved_word", s.GetReserved());
    j.Set("x", s.GetX());
    j.Set("y", s.GetY());
    j.Set("plane", s.GetPlane());
    j.Set("text", Utf8(s.GetText()));
    j.Set("number", s.GetNumber());
    j.Set("transparent", s.IsTransparent() ? 1 : 0);
    j.Set("sensible_rect", s.HasSensibleRect() ? 1 : 0);
    j.Set("visible", s.IsVisible() ? 1 : 0);
    j.Set("disabled", s.IsDisabled() ? 1 : 0);
    j.Set("click_action", s.GetClickAction());
    j.Set("click_args", Strings(s.GetClickArguments()));
    j.Set("move_action", s.GetMoveAction());
    j.Set("move_args", Strings(s.GetMoveArguments()));
    if (phased) {
        j.Set("frames", phased->GetNumFrames());
        j.Set("columns", phased->GetNumColumns());
        j.Set("current_frame", phased->GetCurrentFrame());
        j.Set("current_column", phased->GetCurrentColumn());
        j.Set("animated", phased->IsAnimated() ? 1 : 0);
        j.Set("always_animated", phased->IsAlwaysAnimated() ? 1 : 0);
        j.Set("interval", phased->GetInterval());
    }
    if (withFiles) j.Set("file", SpriteFileName(index));
    return j;
}

json::Value CardToJson(const CFicha& card) {
    json::Value j = json::Value::Object();
    j.Set("version", card.version);
    json::Value video = json::Value::Object();
    video.Set("leading_word", card.video.leadingWord);
    video.Set("file", Utf8(card.video.file));
    video.Set("x", card.video.x);
    video.Set("y", card.video.y);
    video.Set("loop", card.video.loop ? 1 : 0);
    video.Set("automatic_init", card.video.automaticInit ? 1 : 0);
    video.Set("close_when_finishes", card.video.closeWhenFinishes ? 1 : 0);
    video.Set("activate_on_close", Utf8(card.video.activateOnClose));
    j.Set("video", video);
    j.Set("activation_list", Utf8(card.activationList));
    j.Set("deactivation_list", Utf8(card.deactivationList));
    json::Value texts = json::Value::Array();
    for (const auto& t : card.texts) {
        json::Value tj = json::Value::Object();
        tj.Set("leading_word", t->leadingWord);
        tj.Set("identifier", Utf8(t->identifier));
        tj.Set("text", Utf8(t->text));
        tj.Set("font_face", Utf8(t->fontFace));
        tj.Set("underline", t->underline ? 1 : 0);
        tj.Set("italic", t->italic ? 1 : 0);
        tj.Set("bold", t->bold ? 1 : 0);
        tj.Set("height", t->height);
        tj.Set("colour", t->colour);
        tj.Set("visible", t->visible ? 1 : 0);
        json::Value rect = json::Value::Array();
        for (int32_t v : {t->rect.left, t->rect.top, t->rect.right, t->rect.bottom}) rect.Append(v);
        tj.Set("rect", rect);
        texts.Append(tj);
    }
    j.Set("texts", texts);
    json::Value pictures = json::Value::Array();
    for (const auto& p : card.pictures) {
        json::Value pj = json::Value::Object();
        pj.Set("leading_word", p->leadingWord);
        pj.Set("file", Utf8(p->fileName));
        pj.Set("x", p->x);
        pj.Set("y", p->y);
        pj.Set("reduction", p->reduction);
        pictures.Append(pj);
    }
    j.Set("pictures", pictures);
    return j;
}

}  // namespace

json::Value TitleToJson(const CFichaDoc& doc, bool withFiles) {
    json::Value j = json::Value::Object();
    j.Set("leading_word", doc.leadingWord);
    j.Set("identifier", Utf8(doc.identifier));
    j.Set("description", Utf8(doc.description));
    j.Set("background_music", Utf8(doc.backgroundMusic));
    j.Set("loop_music", doc.loopMusic);
    j.Set("stop_previous_music", doc.stopPreviousMusic);
    if (const CDibJpeg* bg = doc.GetBackground()) {
        json::Value b = json::Value::Object();
        b.Set("width", bg->GetWidth());
        b.Set("height", bg->GetHeight());
        b.Set("bits", bg->GetBitCount());
        if (withFiles) b.Set("file", kBackgroundFileName);
        j.Set("background", b);
    } else {
        j.Set("background", nullptr);
    }
    json::Value sprites = json::Value::Array();
    size_t index = 0;
    for (CSprite* s : doc.GetSpriteList()) sprites.Append(SpriteToJson(*s, index++, withFiles));
    j.Set("sprites", sprites);
    j.Set("work_directory", Utf8(doc.workDirectory));
    j.Set("caption_field", Utf8(doc.GetCards().captionField));
    json::Value cards = json::Value::Array();
    for (const auto& card : doc.GetCards()) cards.Append(CardToJson(*card));
    j.Set("cards", cards);
    return j;
}

// ---------------------------------------------------------------- JSON to title

namespace {

// Reads the fields of a manifest object with one error path: the first missing or mistyped field wins.
class Fields {
  public:
    Fields(const json::Value& object, std::string where, std::string& error)
        : object_(object), where_(std::move(where)), error_(error) {
        if (!object.IsObject()) Fail("is not an object");
    }
    int64_t Integer(const char* key, int64_t min = INT32_MIN, int64_t max = UINT32_MAX) {
        const json::Value* v = Find(key);
        if (!v) return 0;
        if (v->IsBoolean() || v->IsNumber()) {
            if (v->AsInteger() >= min && v->AsInteger() <= max) return v->AsInteger();
            Fail(std::string("field \"") + key + "\" is out of range");
            return 0;
        }
        Fail(std::string("field \"") + key + "\" is not a number");
        return 0;
    }
    int32_t Int(const char* key) { return static_cast<int32_t>(Integer(key, INT32_MIN, INT32_MAX)); }
    uint32_t Word(const char* key) { return static_cast<uint32_t>(Integer(key, INT32_MIN, UINT32_MAX)); }
    bool Flag(const char* key) { return Integer(key) != 0; }
    std::string String(const char* key) {
        const json::Value* v = Find(key);
        if (!v) return {};
        if (!v->IsString()) {
            Fail(std::string("field \"") + key + "\" is not a string");
            return {};
        }
        return platform::Utf8ToCp1252(v->AsString());
    }
    const json::Value* Array(const char* key) {
        const json::Value* v = Find(key);
        if (v && !v->IsArray()) {
            Fail(std::string("field \"") + key + "\" is not an array");
            return nullptr;
        }
        return v;
    }
    const json::Value* Optional(const char* key) { return object_.IsObject() ? object_.Find(key) : nullptr; }
    bool Ok() const { return error_.empty(); }
    void Fail(const std::string& what) {
        if (error_.empty()) error_ = where_ + ": " + what;
    }

  private:
    const json::Value* Find(const char* key) {
        const json::Value* v = object_.IsObject() ? object_.Find(key) : nullptr;
        if (!v) Fail(std::string("field \"") + key + "\" is missing");
        return v;
    }
    const json::Value& object_;
    std::string where_;
    std::string& error_;
};

bool ReadImageFile(const std::string& folder, const std::string& name, Bytes& bytes, std::string& error) {
    if (name.empty()) {
        error = "an image entry names no file";
        return false;
    }
    std::string path = folder.empty() ? name : folder + "/" + name;
    if (!ReadFile(path, bytes)) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

// Decodes an image file into `image` as the title will read it, and checks that the decoder takes exactly
// the file's bytes: trailing bytes would be read as the next values of the title.
bool DecodeImageFile(CDIB& image, const Bytes& bytes, const std::string& name, std::string& error) {
    platform::MemoryFile file(bytes, name);
    if (!image.Read(file)) {
        error = name + ": not an image the title can hold";
        return false;
    }
    if (file.Position() != bytes.size()) {
        error = name + ": " + std::to_string(bytes.size() - file.Position()) + " bytes follow the image";
        return false;
    }
    return true;
}

bool BackgroundFromJson(const json::Value& b, const std::string& folder, CFichaDoc& doc, std::string& error) {
    Fields f(b, "background", error);
    std::string name = f.String("file");
    if (!f.Ok()) return false;
    auto background = std::make_unique<RawJpeg>();
    background->SetQuiet(true);
    Bytes bytes;
    if (!ReadImageFile(folder, name, bytes, error) || !DecodeImageFile(*background, bytes, name, error))
        return false;
    doc.SetBackground(std::move(background));
    return true;
}

// Four event arguments: an array of exactly four strings.
bool ArgumentsFromJson(Fields& f, const std::string& event, CSprite::Arguments& arguments) {
    const json::Value* args = f.Array((event + "_args").c_str());
    if (!f.Ok()) return false;
    if (args->Size() != CSprite::kArgumentCount ||
        !std::all_of(args->Items().begin(), args->Items().end(),
                     [](const json::Value& a) { return a.IsString(); })) {
        f.Fail(event + "_args must hold 4 strings");
        return false;
    }
    for (size_t i = 0; i < arguments.size(); ++i)
        arguments[i] = platform::Utf8ToCp1252(args->Items()[i].AsString());
    return true;
}

// Sets the stored members of a sprite whose image is loaded, through its own setters; a value that a
// setter refuses (a sheet that does not fit the bitmap) is dropped, as loading a title drops it.
bool SpriteFieldsFromJson(Fields& f, CSprite& sprite) {
    sprite.SetReserved(f.Int("reserved_word"));
    const int32_t x = f.Int("x");
    sprite.SetPosition(x, f.Int("y"));
    sprite.SetPlane(f.Int("plane"));
    sprite.SetText(f.String("text"));
    sprite.SetNumber(f.Int("number"));
    sprite.SetTransparent(f.Flag("transparent"));
    sprite.SetSensibleRect(f.Flag("sensible_rect"));
    sprite.SetVisible(f.Flag("visible"));
    sprite.SetDisabled(f.Flag("disabled"));
    CSprite::Arguments arguments;
    sprite.SetClickAction(f.Int("click_action"));
    if (!ArgumentsFromJson(f, "click", arguments)) return false;
    sprite.SetClickArguments(arguments);
    sprite.SetMoveAction(f.Int("move_action"));
    if (!ArgumentsFromJson(f, "move", arguments)) return false;
    sprite.SetMoveArguments(arguments);
    if (auto* phased = dynamic_cast<CPhasedSprite*>(&sprite)) {
        phased->SetNumFrames(f.Int("frames"));
        phased->SetNumColumns(f.Int("columns"));
        phased->SetCurrentFrame(f.Int("current_frame"));
        phased->SetCurrentColumn(f.Int("current_column"));
        phased->SetAnimated(f.Flag("animated"));
        phased->SetAlwaysAnimated(f.Flag("always_animated"));
        phased->SetInterval(f.Int("interval"));
    }
    return f.Ok();
}

// The sprite a manifest entry describes: its image file decoded and kept as it is, then its fields.
std::unique_ptr<CSprite> SpriteFromJson(const json::Value& s, size_t index, const std::string& folder,
                                        std::string& error) {
    Fields f(s, "sprite " + std::to_string(index), error);
    std::string cls = f.String("class");
    std::string name = f.String("file");
    if (!f.Ok()) return nullptr;
    std::unique_ptr<CSprite> sprite;
    if (cls == "CPhasedSprite")
        sprite = std::make_unique<RawPhasedSprite>();
    else if (cls == "CSprite")
        sprite = std::make_unique<RawSprite>();
    else
        f.Fail("unknown class \"" + cls + "\"");
    Bytes image;
    if (!sprite || !ReadImageFile(folder, name, image, error) ||
        !DecodeImageFile(*sprite, image, name, error) || !SpriteFieldsFromJson(f, *sprite))
        return nullptr;
    return sprite;
}

// The sprites go into the document's list as a title holds them: stored in the manifest's order, in the
// list's own stream form, and loaded back. The list then keeps that order whatever the planes, and each
// sprite is exactly what loading the built title will give.
bool SpritesFromJson(const json::Value& sprites, const std::string& folder, CFichaDoc& doc,
                     std::string& error) {
    COwnedArray<CSprite> made;
    for (const json::Value& s : sprites.Items()) {
        std::unique_ptr<CSprite> sprite = SpriteFromJson(s, made.GetSize(), folder, error);
        if (!sprite) return false;
        made.Add(std::move(sprite));
    }
    platform::MemoryFile stream;
    RawSpritesRegistered raw;
    try {
        {
            CArchive ar(stream, CArchive::store);
            made.Serialize(ar);
            ar.Close();
        }
        stream.Seek(0);
        CArchive ar(stream, CArchive::load);
        doc.GetSpriteList().Serialize(ar);
    } catch (...) {
        error = "the sprites do not load: " +
                MessageForException(std::current_exception(), DocumentOperation::open);
        return false;
    }
    return true;
}

bool CardFromJson(const json::Value& c, size_t index, CFicha& card, std::string& error) {
    const std::string where = "card " + std::to_string(index);
    Fields f(c, where, error);
    if (const json::Value* video = f.Optional("video")) {
        Fields v(*video, where + " video", error);
        card.video.leadingWord = v.Word("leading_word");
        card.video.file = v.String("file");
        card.video.x = v.Int("x");
        card.video.y = v.Int("y");
        card.video.loop = v.Flag("loop");
        card.video.automaticInit = v.Flag("automatic_init");
        card.video.closeWhenFinishes = v.Flag("close_when_finishes");
        card.video.activateOnClose = v.String("activate_on_close");
    } else {
        f.Fail("field \"video\" is missing");
    }
    card.activationList = f.String("activation_list");
    card.deactivationList = f.String("deactivation_list");
    const json::Value* texts = f.Array("texts");
    const json::Value* pictures = f.Array("pictures");
    if (!f.Ok()) return false;
    for (const json::Value& t : texts->Items()) {
        Fields tf(t, where + " text", error);
        auto text = std::make_unique<CTexto>();
        text->leadingWord = tf.Word("leading_word");
        text->identifier = tf.String("identifier");
        text->text = tf.String("text");
        text->fontFace = tf.String("font_face");
        text->underline = tf.Flag("underline");
        text->italic = tf.Flag("italic");
        text->bold = tf.Flag("bold");
        text->height = tf.Int("height");
        text->colour = tf.Word("colour");
        text->visible = tf.Flag("visible");
        const json::Value* rect = tf.Array("rect");
        if (!tf.Ok()) return false;
        // Each side is a 32-bit value of the title: anything else would be stored as some other number.
        auto side = [](const json::Value& v) {
            return v.IsNumber() && v.AsInteger() >= INT32_MIN && v.AsInteger() <= INT32_MAX;
        };
        if (rect->Size() != 4 || !std::all_of(rect->Items().begin(), rect->Items().end(), side)) {
            tf.Fail("rect must hold 4 numbers of 32 bits");
            return false;
        }
        int32_t* sides[] = {&text->rect.left, &text->rect.top, &text->rect.right, &text->rect.bottom};
        for (size_t i = 0; i < 4; ++i) *sides[i] = static_cast<int32_t>(rect->Items()[i].AsInteger());
        card.AddText(std::move(text));
    }
    for (const json::Value& p : pictures->Items()) {
        Fields pf(p, where + " picture", error);
        auto picture = std::make_unique<CFoto>();
        picture->leadingWord = pf.Word("leading_word");
        picture->fileName = pf.String("file");
        picture->x = pf.Int("x");
        picture->y = pf.Int("y");
        picture->reduction = pf.Int("reduction");
        if (!pf.Ok()) return false;
        card.AddPicture(std::move(picture));
    }
    return error.empty();
}

}  // namespace

bool TitleFromJson(const json::Value& manifest, const std::string& folder, CFichaDoc& doc,
                   std::string& error) {
    RegisterTitleClasses();
    doc.DeleteContents();
    Fields f(manifest, "manifest", error);
    doc.leadingWord = f.Word("leading_word");
    doc.identifier = f.String("identifier");
    doc.description = f.String("description");
    doc.backgroundMusic = f.String("background_music");
    doc.loopMusic = f.Word("loop_music");
    doc.stopPreviousMusic = f.Word("stop_previous_music");
    doc.workDirectory = f.String("work_directory");
    doc.GetCards().captionField = f.String("caption_field");
    const json::Value* background = f.Optional("background");
    const json::Value* sprites = f.Array("sprites");
    const json::Value* cards = f.Array("cards");
    if (!f.Ok()) return false;
    if (background && !background->IsNull() && !BackgroundFromJson(*background, folder, doc, error))
        return false;
    if (!SpritesFromJson(*sprites, folder, doc, error)) return false;
    size_t index = 0;
    for (const json::Value& c : cards->Items()) {
        auto card = std::make_unique<CFicha>();
        if (!CardFromJson(c, index++, *card, error)) return false;
        doc.GetCards().Add(std::move(card));
    }
    return true;
}

// ---------------------------------------------------------------- text drawing

namespace {
// Qt's own chatter (a missing runtime folder, font substitutions) is not a problem with the title, and
// stderr is where fcatool reports those; only Qt's fatal messages still get through.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}
}  // namespace

void EnsureTextDrawing() {
    if (!QCoreApplication::instance()) {
        // fcatool works without a display.
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        qInstallMessageHandler(QuietQtMessages);
        static int argc = 1;
        static char name[] = "fcatool";
        static char* argv[] = {name, nullptr};
        // The application lives until the process ends and is deliberately never destroyed: tearing it
        // down among the exit handlers, after other statics that hold Qt objects, crashes inside Qt.
        static QGuiApplication* app = new QGuiApplication(argc, argv);
        (void)app;
    }
    // The programs' own text measuring, installed for the rest of the process.
    static ui::TextMeasuring measuring;
}

}  // namespace fcatool
