#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "archive/Object.h"
#include "platform/File.h"
#include "platform/Geometry.h"
#include "platform/LittleEndian.h"
#include "platform/PieceFile.h"

// Why loading (or, rarely, storing) an object stream stopped.
class CArchiveException {
  public:
    enum Cause { none, generic, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };
    CArchiveException(Cause cause, std::string path) : cause(cause), path(std::move(path)) {}
    Cause cause;
    std::string path;

    // True for the causes that mean the stream's content, not the file, is at fault.
    static bool IsFormatError(Cause cause) {
        return cause == endOfFile || cause == badIndex || cause == badClass || cause == badSchema;
    }
};

// The object stream of title files and undo snapshots: little-endian values, counts, strings and object
// pointers with class tags, over a file, buffered 4096 bytes at a time, one direction per archive.
// Loading from shared bytes in memory (platform::File::Shared) reads them in place instead of through the
// buffer. Faults are thrown as CArchiveException (format) or platform::FileException (the file itself).
//
// A title holds tens of thousands of small values, so each value is read or written inline from a window
// of bytes (the buffer, or the shared bytes) and only a window that runs out calls out of line.
//
// Storing into a platform::PieceFile (the editor's undo snapshots), an object that keeps a StoredForm and
// has not changed since its last storing is not stored again: the pieces it wrote then are appended. Its
// bytes depend only on its own content and on the classes the stream has entered before it (class tags
// are written as indices), so the form is taken when both are as they were. An object whose storing
// referred to an object stored before it keeps no form: such a reference is an index that depends on
// what came earlier. Objects of a reused form are not entered in the store map: each object of a title
// is owned once and stored once, so nothing after it refers to them.
class CArchive {
  public:
    enum Mode { store, load };
    static constexpr size_t kBufferSize = 4096;

    CArchive(platform::File& file, Mode mode);
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return mode_ == store; }
    bool IsLoading() const { return mode_ == load; }
    // The underlying file, for objects that read or write it directly: call Flush first.
    platform::File& GetFile() { return file_; }
    const std::string& Path() const { return file_.Path(); }

    // Storing: writes out what is buffered. Loading: gives back the bytes read ahead, so that the file
    // stands exactly after the last value handed out.
    void Flush();
    // Flushes; the archive must not be used afterwards. Destroying a storing archive that was not closed
    // flushes too, but only Close reports a failing file.
    void Close();

    // Raw blocks.
    void Write(const void* data, size_t n) {
        if (static_cast<size_t>(outEnd_ - out_) >= n) {
            if (n) std::memcpy(out_, data, n);
            out_ += n;
        } else {
            WriteSlow(data, n);
        }
    }
    size_t Read(void* data, size_t n);  // may return less at the end of the file
    void ReadExact(void* data, size_t n) {
        if (Available() >= n) {
            if (n) std::memcpy(data, in_, n);
            in_ += n;
        } else {
            ReadExactSlow(data, n);
        }
    }

    void WriteByte(uint8_t v) { Write(&v, 1); }
    void WriteWord(uint16_t v) {
        uint8_t b[2];
        platform::StoreLe16(b, v);
        Write(b, 2);
    }
    void WriteDword(uint32_t v) {
        uint8_t b[4];
        platform::StoreLe32(b, v);
        Write(b, 4);
    }
    void WriteLong(int32_t v) { WriteDword(static_cast<uint32_t>(v)); }
    uint8_t ReadByte() {
        uint8_t b;
        ReadExact(&b, 1);
        return b;
    }
    uint16_t ReadWord() {
        uint8_t b[2];
        ReadExact(b, 2);
        return platform::LoadLe16(b);
    }
    uint32_t ReadDword() {
        uint8_t b[4];
        ReadExact(b, 4);
        return platform::LoadLe32(b);
    }
    int32_t ReadLong() { return static_cast<int32_t>(ReadDword()); }

    void WriteString(const std::string& s);
    std::string ReadString();
    // Reads a string into `into`, reusing its storage: most fields of a loaded object are read this way.
    void ReadString(std::string& into);

    void WriteCount(uint32_t count);
    // A count that claims more elements than the bytes left could hold (each at least
    // `minBytesPerElement`) is an end-of-file error, caught before anything is allocated for it.
    uint32_t ReadCount(size_t minBytesPerElement = 2);

    // Bytes still to be read: what the window holds plus what the file has after its position.
    uint64_t BytesRemaining() const;

    // Object pointers.
    void WriteObject(const CObject* object);
    struct ObjectRead {
        std::unique_ptr<CObject> created;  // set when the stream held a new object
        CObject* object = nullptr;         // the object read (new or referenced), or null
    };
    // Reads an object pointer; the object must be of class `expected` or derived from it.
    ObjectRead ReadObject(const CRuntimeClass* expected);
    // For owning containers: the stream must hold a new object of the expected class here. A null
    // pointer or a reference to an object already read (which would be owned twice) is a format error.
    template <class T>
    std::unique_ptr<T> ReadOwned() {
        ObjectRead r = ReadObject(RUNTIME_CLASS_OF(T));
        if (!r.created) throw CArchiveException(CArchiveException::badIndex, Path());
        return std::unique_ptr<T>(static_cast<T*>(r.created.release()));
    }
    // Storing into pieces (see above). ReuseForm appends the form's pieces when it holds for the change
    // mark `mark` here; else BeginForm, the writing, then EndForm record it anew. Forms nest: a group's
    // form holds the forms of its elements. Without pieces, StoresPieces is false and none of this runs.
    bool StoresPieces() const { return pieces_ != nullptr; }
    bool IsRecording() const { return !recordings_.empty(); }
    bool ReuseForm(StoredForm& form, uint64_t mark);
    size_t BeginForm(StoredForm& form);
    void EndForm(StoredForm& form, size_t stretch, uint64_t mark);

    // The schema read with the class of the object being loaded.
    uint32_t GetObjectSchema() const { return objectSchema_; }

    // Both directions in one call, for Serialize operations.
    void Io(int32_t& v) { IsStoring() ? WriteLong(v) : void(v = ReadLong()); }
    void Io(uint32_t& v) { IsStoring() ? WriteDword(v) : void(v = ReadDword()); }
    void Io(uint16_t& v) { IsStoring() ? WriteWord(v) : void(v = ReadWord()); }
    void Io(std::string& s) { IsStoring() ? WriteString(s) : ReadString(s); }
    // A flag in 32 bits: stored as 0 or 1, any non-zero value loads as true.
    void IoBool(bool& b) { IsStoring() ? WriteDword(b ? 1 : 0) : void(b = ReadDword() != 0); }
    // A rectangle as one raw 16-byte block: left, top, right, bottom.
    void Io(platform::Rect& r);

  private:
    size_t Available() const { return static_cast<size_t>(inEnd_ - in_); }
    // Loading: makes at least `atLeast` bytes available in the window, or as many as the file has left.
    void FillBuffer(size_t atLeast);
    void WriteSlow(const void* data, size_t n);
    // A string whose prefix or bytes do not lie whole in the window, or whose length needs the wider forms.
    std::string ReadLongString();
    void ReadExactSlow(void* data, size_t n);
    // Storing: writes the buffered bytes out and empties the buffer.
    void WriteOutBuffer();
    void NoteIndex();
    const CRuntimeClass* ReadClass(uint16_t tag, uint32_t bigTag);
    void WriteClass(const CRuntimeClass* cls);
    // Stores a new object: its class, its entry in the store map, its members.
    void WriteNewObject(const CObject* object);
    void EnterClass(const CRuntimeClass* cls, uint32_t index);
    [[noreturn]] void Fail(CArchiveException::Cause cause) const;

    platform::File& file_;
    Mode mode_;
    bool closed_ = false;
    std::vector<uint8_t> buffer_;
    // Loading: the bytes read ahead and not yet handed out. They lie in the buffer, or in the shared bytes
    // of the file, whose position then stands at the window's end.
    const uint8_t* in_ = nullptr;
    const uint8_t* inEnd_ = nullptr;
    platform::SharedBytes shared_;
    // Storing: the free part of the buffer.
    uint8_t* out_ = nullptr;
    uint8_t* outEnd_ = nullptr;

    // One counter numbers classes and objects together; index 0 is the null object.
    uint32_t nextIndex_ = 1;
    // Storing into pieces: the file as such, the classes entered so far summed up in one number (each
    // class and its index mixed in, in order), and the form being recorded.
    platform::PieceFile* pieces_ = nullptr;
    uint64_t classesState_ = 0;
    struct Recording {
        StoredForm* form;
        bool referred;  // the stretch referred to an object stored before
    };
    std::vector<Recording> recordings_;
    // The store map: object or class identity to index, open addressing on the address. A title stores
    // thousands of objects, each looked up once and entered once.
    class StoreMap {
      public:
        // The index entered for `key`, or 0.
        uint32_t Find(const void* key) const;
        void Insert(const void* key, uint32_t index);

      private:
        size_t Slot(const void* key) const;
        struct Entry {
            const void* key = nullptr;
            uint32_t index = 0;
        };
        static constexpr size_t kFirstSize = 256;
        std::vector<Entry> entries_;
        int shift_ = 64;
        size_t count_ = 0;
    };
    StoreMap storeMap_;
    struct LoadEntry {
        const CRuntimeClass* cls = nullptr;  // set for a class entry
        CObject* object = nullptr;           // set for an object entry
    };
    std::vector<LoadEntry> loadTable_{LoadEntry{}};
    uint32_t objectSchema_ = 0xFFFFFFFF;
};
