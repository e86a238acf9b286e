#include "archive/Archive.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/CodePage.h"
#include "platform/LittleEndian.h"

namespace {
constexpr uint16_t kNullTag = 0x0000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint32_t kBigClassTag = 0x80000000;
constexpr uint32_t kMaxMapCount = 0x3FFFFFFE;
constexpr size_t kMaxClassNameLength = 64;
}  // namespace

CArchive::CArchive(platform::File& file, Mode mode) : file_(file), mode_(mode), buffer_(kBufferSize) {
    if (IsStoring()) {
        out_ = buffer_.data();
        outEnd_ = out_ + buffer_.size();
        pieces_ = dynamic_cast<platform::PieceFile*>(&file_);
    } else {
        shared_ = file_.Shared();
    }
}

// A storing archive that was not closed still writes out what it buffered, so that a forgotten Close
// does not cut the file short. Errors cannot leave a destructor; callers who need them call Close.
CArchive::~CArchive() {
    if (!IsStoring() || closed_) return;
    try {
        Flush();
    } catch (...) {
    }
}

void CArchive::Fail(CArchiveException::Cause cause) const {
    throw CArchiveException(cause, file_.Path());
}

void CArchive::WriteOutBuffer() {
    const size_t buffered = static_cast<size_t>(out_ - buffer_.data());
    // The buffer counts as written out before the file is asked, so that a failing file does not get the
    // same bytes again from a later flush.
    out_ = buffer_.data();
    if (buffered > 0) file_.Write(buffer_.data(), buffered);
}

void CArchive::Flush() {
    if (IsStoring()) {
        WriteOutBuffer();
        return;
    }
    const size_t unread = Available();
    in_ = inEnd_ = nullptr;
    if (unread > 0) file_.Seek(file_.Position() - unread);
}

void CArchive::Close() {
    Flush();
    if (IsStoring()) file_.Flush();
    closed_ = true;
}

uint64_t CArchive::BytesRemaining() const {
    return IsLoading() ? Available() + file_.Remaining() : 0;
}

void CArchive::FillBuffer(size_t atLeast) {
    if (Available() >= atLeast) return;
    if (shared_) {
        // The rest of the shared bytes is the window; the file stands at their end until a flush gives
        // back what was not handed out.
        const uint64_t position = file_.Position();
        const std::vector<uint8_t>& bytes = *shared_;
        if (position >= bytes.size()) return;
        if (in_ == inEnd_) in_ = bytes.data() + position;
        inEnd_ = bytes.data() + bytes.size();
        file_.Seek(bytes.size());
        return;
    }
    // The unread bytes move to the front and more come from the file behind them.
    const size_t unread = Available();
    if (unread > 0 && in_ != buffer_.data()) std::memmove(buffer_.data(), in_, unread);
    size_t length = unread;
    while (length < atLeast) {
        size_t got = file_.Read(buffer_.data() + length, kBufferSize - length);
        if (got == 0) break;
        length += got;
    }
    in_ = buffer_.data();
    inEnd_ = in_ + length;
}

void CArchive::WriteSlow(const void* data, size_t n) {
    if (!IsStoring()) Fail(CArchiveException::readOnly);
    auto* from = static_cast<const uint8_t*>(data);
    while (n > 0) {
        size_t take = std::min(static_cast<size_t>(outEnd_ - out_), n);
        std::memcpy(out_, from, take);
        out_ += take;
        from += take;
        n -= take;
        if (out_ == outEnd_) WriteOutBuffer();
        // A block larger than the buffer goes to the file in one piece.
        if (n >= kBufferSize) {
            file_.Write(from, n);
            return;
        }
    }
}

size_t CArchive::Read(void* data, size_t n) {
    if (!IsLoading()) Fail(CArchiveException::writeOnly);
    auto* to = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < n) {
        if (Available() == 0) {
            FillBuffer(1);
            if (Available() == 0) break;
        }
        size_t take = std::min(Available(), n - done);
        std::memcpy(to + done, in_, take);
        in_ += take;
        done += take;
    }
    return done;
}

void CArchive::ReadExactSlow(void* data, size_t n) {
    if (!IsLoading()) Fail(CArchiveException::writeOnly);
    // A block longer than the window is checked against the bytes left before any of it is read.
    if (n > BytesRemaining() || Read(data, n) != n) Fail(CArchiveException::endOfFile);
}

void CArchive::Io(platform::Rect& r) {
    if (IsStoring()) {
        WriteLong(r.left);
        WriteLong(r.top);
        WriteLong(r.right);
        WriteLong(r.bottom);
    } else {
        r.left = ReadLong();
        r.top = ReadLong();
        r.right = ReadLong();
        r.bottom = ReadLong();
    }
}

void CArchive::WriteString(const std::string& s) {
    size_t n = s.size();
    if (n < 255 && static_cast<size_t>(outEnd_ - out_) > n) {
        // The usual short string, whole in the buffer.
        *out_++ = static_cast<uint8_t>(n);
        if (n) std::memcpy(out_, s.data(), n);
        out_ += n;
        return;
    }
    if (n < 255) {
        WriteByte(static_cast<uint8_t>(n));
    } else if (n < 0xFFFE) {
        WriteByte(0xFF);
        WriteWord(static_cast<uint16_t>(n));
    } else {
        WriteByte(0xFF);
        WriteWord(0xFFFF);
        WriteDword(static_cast<uint32_t>(n));
    }
    Write(s.data(), n);
}

namespace {
// Reads the length prefix that follows the marker byte 0xFF in its two wider forms.
uint32_t ReadWideLength(CArchive& ar, uint16_t word) {
    return word == 0xFFFF ? ar.ReadDword() : word;
}
}  // namespace

std::string CArchive::ReadString() {
    std::string s;
    ReadString(s);
    return s;
}

void CArchive::ReadString(std::string& into) {
    // Nearly every string of a title is short and lies whole in the window.
    if (Available() > 0 && *in_ < 0xFF && Available() > *in_) {
        const size_t length = *in_++;
        into.assign(reinterpret_cast<const char*>(in_), length);
        in_ += length;
        return;
    }
    into = ReadLongString();
}

std::string CArchive::ReadLongString() {
    uint32_t length = ReadByte();
    bool wide = false;
    if (length == 0xFF) {
        uint16_t word = ReadWord();
        if (word == 0xFFFE) {
            // The wide-string marker: a second prefix follows, counting UTF-16 code units.
            wide = true;
            length = ReadByte();
            if (length == 0xFF) length = ReadWideLength(*this, ReadWord());
        } else {
            length = ReadWideLength(*this, word);
        }
    }
    uint64_t bytes = wide ? uint64_t{length} * 2 : length;
    if (bytes > BytesRemaining()) Fail(CArchiveException::endOfFile);
    if (!wide) {
        std::string s(length, '\0');
        ReadExact(s.data(), length);
        return s;
    }
    std::u16string units(length, u'\0');
    for (auto& u : units) u = ReadWord();
    return platform::Utf16ToCp1252(units);
}

void CArchive::WriteCount(uint32_t count) {
    if (count < 0xFFFF) {
        WriteWord(static_cast<uint16_t>(count));
    } else {
        WriteWord(0xFFFF);
        WriteDword(count);
    }
}

uint32_t CArchive::ReadCount(size_t minBytesPerElement) {
    uint32_t count = ReadWord();
    if (count == 0xFFFF) count = ReadDword();
    if (uint64_t{count} * minBytesPerElement > BytesRemaining()) Fail(CArchiveException::endOfFile);
    return count;
}

size_t CArchive::StoreMap::Slot(const void* key) const {
    // Addresses are aligned and close together: the top bits of a multiplicative hash spread them over
    // the table.
    const uint64_t hash = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(key)) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(hash >> shift_);
}

uint32_t CArchive::StoreMap::Find(const void* key) const {
    if (entries_.empty()) return 0;
    for (size_t i = Slot(key);; i = (i + 1) & (entries_.size() - 1)) {
        if (entries_[i].key == key) return entries_[i].index;
        if (!entries_[i].key) return 0;
    }
}

void CArchive::StoreMap::Insert(const void* key, uint32_t index) {
    // At most half full, so that a search meets an empty slot soon.
    if (2 * (count_ + 1) > entries_.size()) {
        std::vector<Entry> old = std::move(entries_);
        entries_.assign(std::max<size_t>(kFirstSize, 2 * old.size()), Entry{});
        shift_ = 64 - std::countr_zero(entries_.size());
        count_ = 0;
        for (const Entry& e : old)
            if (e.key) Insert(e.key, e.index);
    }
    size_t i = Slot(key);
    while (entries_[i].key && entries_[i].key != key) i = (i + 1) & (entries_.size() - 1);
    if (!entries_[i].key) ++count_;
    entries_[i] = {key, index};
}

void CArchive::NoteIndex() {
    if (nextIndex_ >= kMaxMapCount) Fail(CArchiveException::badIndex);
    ++nextIndex_;
}

void CArchive::WriteClass(const CRuntimeClass* cls) {
    if (cls->schema == 0xFFFF) Fail(CArchiveException::generic);  // not serializable by pointer
    if (const uint32_t index = storeMap_.Find(cls)) {
        if (index < kBigObjectTag) {
            WriteWord(static_cast<uint16_t>(kClassTag | index));
        } else {
            WriteWord(kBigObjectTag);
            WriteDword(kBigClassTag | index);
        }
        return;
    }
    size_t nameLength = std::strlen(cls->name);
    WriteWord(kNewClassTag);
    WriteWord(cls->schema);
    WriteWord(static_cast<uint16_t>(nameLength));
    Write(cls->name, nameLength);
    EnterClass(cls, nextIndex_);
    NoteIndex();
}

void CArchive::EnterClass(const CRuntimeClass* cls, uint32_t index) {
    storeMap_.Insert(cls, index);
    uint64_t mixed = classesState_ ^ (static_cast<uint64_t>(reinterpret_cast<uintptr_t>(cls)) + index);
    mixed = (mixed ^ (mixed >> 31)) * 0x9E3779B97F4A7C15ull;
    classesState_ = mixed ^ (mixed >> 29);
    for (Recording& r : recordings_) r.form->classes_.emplace_back(cls, index - r.form->firstIndex_);
}

void CArchive::WriteObject(const CObject* object) {
    if (!object) {
        WriteWord(kNullTag);
        return;
    }
    if (pieces_) {
        // An object that keeps a form is an owned element, stored once: it is never in the map already.
        // Serialize is not const in the object model; storing does not change the object's stored fields.
        CObject& stored = const_cast<CObject&>(*object);
        if (StoredForm* form = stored.GetStoredForm()) {
            if (!ReuseForm(*form, stored.StoredChangeMark())) {
                const size_t stretch = BeginForm(*form);
                WriteNewObject(object);
                EndForm(*form, stretch, stored.StoredChangeMark());
            }
            return;
        }
    }
    if (const uint32_t index = storeMap_.Find(object)) {
        for (Recording& r : recordings_) r.referred = true;
        if (index < kBigObjectTag) {
            WriteWord(static_cast<uint16_t>(index));
        } else {
            WriteWord(kBigObjectTag);
            WriteDword(index);
        }
        return;
    }
    WriteNewObject(object);
}

void CArchive::WriteNewObject(const CObject* object) {
    WriteClass(object->GetRuntimeClass());
    storeMap_.Insert(object, nextIndex_);
    NoteIndex();
    const_cast<CObject*>(object)->Serialize(*this);
}

bool CArchive::ReuseForm(StoredForm& form, uint64_t mark) {
    // A class the form entered itself is referred to afterwards by its index, counted from the stream's
    // start: such a form holds only where it begins at the same index.
    if (!form.valid_ || form.mark_ != mark || form.classesBefore_ != classesState_ ||
        (!form.classes_.empty() && form.firstIndex_ != nextIndex_) ||
        form.indexCount_ >= kMaxMapCount - nextIndex_)
        return false;
    WriteOutBuffer();
    pieces_->Append(form.run_);
    const uint32_t first = nextIndex_;
    for (const auto& [cls, offset] : form.classes_) EnterClass(cls, first + offset);
    nextIndex_ += form.indexCount_;
    return true;
}

size_t CArchive::BeginForm(StoredForm& form) {
    WriteOutBuffer();
    form.Forget();
    form.classesBefore_ = classesState_;
    form.firstIndex_ = nextIndex_;
    recordings_.push_back(Recording{&form, false});
    return pieces_->BeginStretch();
}

void CArchive::EndForm(StoredForm& form, size_t stretch, uint64_t mark) {
    // Recordings end in the order they began; one that was left by an exception is dropped on the way.
    while (!recordings_.empty() && recordings_.back().form != &form) {
        recordings_.back().form->Forget();
        recordings_.pop_back();
    }
    if (recordings_.empty()) return;
    const Recording done = recordings_.back();
    recordings_.pop_back();
    WriteOutBuffer();
    if (done.referred) {
        form.Forget();
        return;
    }
    form.run_ = pieces_->TakeStretch(stretch);
    form.indexCount_ = nextIndex_ - form.firstIndex_;
    form.mark_ = mark;
    form.valid_ = true;
}

const CRuntimeClass* CArchive::ReadClass(uint16_t tag, uint32_t bigTag) {
    if (tag == kNewClassTag) {
        uint16_t schema = ReadWord();
        uint16_t nameLength = ReadWord();
        if (nameLength >= kMaxClassNameLength || nameLength > BytesRemaining())
            Fail(CArchiveException::badClass);
        std::string name(nameLength, '\0');
        if (Read(name.data(), nameLength) != nameLength) Fail(CArchiveException::badClass);
        const CRuntimeClass* cls = ClassRegistry::Instance().Find(name);
        if (!cls) Fail(CArchiveException::badClass);
        if (cls->schema != schema) Fail(CArchiveException::badSchema);
        objectSchema_ = schema;
        if (nextIndex_ >= kMaxMapCount) Fail(CArchiveException::badIndex);
        loadTable_.push_back(LoadEntry{cls, nullptr});
        ++nextIndex_;
        return cls;
    }
    uint32_t index =
        tag == kBigObjectTag ? (bigTag & ~kBigClassTag) : static_cast<uint32_t>(tag & ~kClassTag);
    if (index == 0 || index >= loadTable_.size() || !loadTable_[index].cls) Fail(CArchiveException::badIndex);
    objectSchema_ = loadTable_[index].cls->schema;
    return loadTable_[index].cls;
}

CArchive::ObjectRead CArchive::ReadObject(const CRuntimeClass* expected) {
    uint16_t tag = ReadWord();
    uint32_t bigTag = 0;
    bool isClass = false;
    if (tag == kBigObjectTag) {
        bigTag = ReadDword();
        isClass = (bigTag & kBigClassTag) != 0;
    } else {
        isClass = (tag & kClassTag) != 0;
    }

    if (!isClass) {
        uint32_t index = tag == kBigObjectTag ? bigTag : tag;
        if (index == 0) return {};
        if (index >= loadTable_.size() || !loadTable_[index].object) Fail(CArchiveException::badIndex);
        CObject* existing = loadTable_[index].object;
        if (expected && !existing->IsKindOf(expected)) Fail(CArchiveException::badClass);
        return {nullptr, existing};
    }

    uint32_t previousSchema = objectSchema_;
    const CRuntimeClass* cls = ReadClass(tag, bigTag);
    if (!cls->create || (expected && !cls->IsDerivedFrom(expected))) Fail(CArchiveException::badClass);
    std::unique_ptr<CObject> object = cls->create();
    if (nextIndex_ >= kMaxMapCount) Fail(CArchiveException::badIndex);
    loadTable_.push_back(LoadEntry{nullptr, object.get()});
    ++nextIndex_;
    object->Serialize(*this);
    objectSchema_ = previousSchema;
    ObjectRead result;
    result.object = object.get();
    result.created = std::move(object);
    return result;
}
