#include "archive/Archive.h"

#include <algorithm>
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

CArchive::CArchive(platform::File& file, Mode mode) : file_(file), mode_(mode), buffer_(kBufferSize) {}

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

void CArchive::Flush() {
    if (IsStoring()) {
        if (bufferPos_ > 0) file_.Write(buffer_.data(), bufferPos_);
        bufferPos_ = 0;
    } else {
        size_t unread = bufferLen_ - bufferPos_;
        if (unread > 0) file_.Seek(file_.Position() - unread);
        bufferPos_ = bufferLen_ = 0;
    }
}

void CArchive::Close() {
    Flush();
    if (IsStoring()) file_.Flush();
    closed_ = true;
}

uint64_t CArchive::BytesRemaining() const {
    return IsLoading() ? (bufferLen_ - bufferPos_) + file_.Remaining() : 0;
}

// Loading: moves the unread bytes to the front and reads more from the file, until at least `atLeast`
// bytes are buffered or the file ends.
void CArchive::FillBuffer(size_t atLeast) {
    size_t unread = bufferLen_ - bufferPos_;
    if (unread >= atLeast) return;
    std::memmove(buffer_.data(), buffer_.data() + bufferPos_, unread);
    bufferPos_ = 0;
    bufferLen_ = unread;
    while (bufferLen_ < atLeast) {
        size_t got = file_.Read(buffer_.data() + bufferLen_, kBufferSize - bufferLen_);
        if (got == 0) break;
        bufferLen_ += got;
    }
}

void CArchive::Write(const void* data, size_t n) {
    if (!IsStoring()) Fail(CArchiveException::readOnly);
    auto* in = static_cast<const uint8_t*>(data);
    while (n > 0) {
        size_t room = kBufferSize - bufferPos_;
        size_t take = std::min(room, n);
        std::memcpy(buffer_.data() + bufferPos_, in, take);
        bufferPos_ += take;
        in += take;
        n -= take;
        if (bufferPos_ == kBufferSize) Flush();
    }
}

size_t CArchive::Read(void* data, size_t n) {
    if (!IsLoading()) Fail(CArchiveException::writeOnly);
    auto* out = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < n) {
        if (bufferPos_ == bufferLen_) {
            FillBuffer(1);
            if (bufferLen_ == 0) break;
        }
        size_t take = std::min(bufferLen_ - bufferPos_, n - done);
        std::memcpy(out + done, buffer_.data() + bufferPos_, take);
        bufferPos_ += take;
        done += take;
    }
    return done;
}

void CArchive::ReadExact(void* data, size_t n) {
    // What the buffer already holds needs no look at the file; a longer block is checked against the
    // bytes left before any of it is read.
    bool buffered = IsLoading() && n <= bufferLen_ - bufferPos_;
    if ((!buffered && n > BytesRemaining()) || Read(data, n) != n) Fail(CArchiveException::endOfFile);
}

void CArchive::WriteByte(uint8_t v) {
    Write(&v, 1);
}

void CArchive::WriteWord(uint16_t v) {
    uint8_t b[2];
    platform::StoreLe16(b, v);
    Write(b, 2);
}

void CArchive::WriteDword(uint32_t v) {
    uint8_t b[4];
    platform::StoreLe32(b, v);
    Write(b, 4);
}

uint8_t CArchive::ReadByte() {
    uint8_t b;
    ReadExact(&b, 1);
    return b;
}

uint16_t CArchive::ReadWord() {
    uint8_t b[2];
    ReadExact(b, 2);
    return platform::LoadLe16(b);
}

uint32_t CArchive::ReadDword() {
    uint8_t b[4];
    ReadExact(b, 4);
    return platform::LoadLe32(b);
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

void CArchive::NoteIndex() {
    if (nextIndex_ >= kMaxMapCount) Fail(CArchiveException::badIndex);
    ++nextIndex_;
}

void CArchive::WriteClass(const CRuntimeClass* cls) {
    if (cls->schema == 0xFFFF) Fail(CArchiveException::generic);  // not serializable by pointer
    auto it = storeMap_.find(cls);
    if (it != storeMap_.end()) {
        uint32_t index = it->second;
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
    storeMap_[cls] = nextIndex_;
    NoteIndex();
}

void CArchive::WriteObject(const CObject* object) {
    if (!object) {
        WriteWord(kNullTag);
        return;
    }
    auto it = storeMap_.find(object);
    if (it != storeMap_.end()) {
        uint32_t index = it->second;
        if (index < kBigObjectTag) {
            WriteWord(static_cast<uint16_t>(index));
        } else {
            WriteWord(kBigObjectTag);
            WriteDword(index);
        }
        return;
    }
    WriteClass(object->GetRuntimeClass());
    storeMap_[object] = nextIndex_;
    NoteIndex();
    // Serialize is not const in the object model; storing does not change the object's stored fields.
    const_cast<CObject*>(object)->Serialize(*this);
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
