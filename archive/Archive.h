#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/Object.h"
#include "platform/File.h"
#include "platform/Geometry.h"

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
// Faults are thrown as CArchiveException (format) or platform::FileException (the file itself).
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
    void Write(const void* data, size_t n);
    size_t Read(void* data, size_t n);     // may return less at the end of the file
    void ReadExact(void* data, size_t n);  // end-of-file error when fewer bytes remain

    void WriteByte(uint8_t v);
    void WriteWord(uint16_t v);
    void WriteDword(uint32_t v);
    void WriteLong(int32_t v) { WriteDword(static_cast<uint32_t>(v)); }
    uint8_t ReadByte();
    uint16_t ReadWord();
    uint32_t ReadDword();
    int32_t ReadLong() { return static_cast<int32_t>(ReadDword()); }

    void WriteString(const std::string& s);
    std::string ReadString();

    void WriteCount(uint32_t count);
    // A count that claims more elements than the bytes left could hold (each at least
    // `minBytesPerElement`) is an end-of-file error, caught before anything is allocated for it.
    uint32_t ReadCount(size_t minBytesPerElement = 2);

    // Bytes still to be read: what the buffer holds plus what the file has after its position.
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
    // The schema read with the class of the object being loaded.
    uint32_t GetObjectSchema() const { return objectSchema_; }

    // Both directions in one call, for Serialize operations.
    void Io(int32_t& v) { IsStoring() ? WriteLong(v) : void(v = ReadLong()); }
    void Io(uint32_t& v) { IsStoring() ? WriteDword(v) : void(v = ReadDword()); }
    void Io(uint16_t& v) { IsStoring() ? WriteWord(v) : void(v = ReadWord()); }
    void Io(std::string& s) { IsStoring() ? WriteString(s) : void(s = ReadString()); }
    // A flag in 32 bits: stored as 0 or 1, any non-zero value loads as true.
    void IoBool(bool& b) { IsStoring() ? WriteDword(b ? 1 : 0) : void(b = ReadDword() != 0); }
    // A rectangle as one raw 16-byte block: left, top, right, bottom.
    void Io(platform::Rect& r);

  private:
    void FillBuffer(size_t atLeast);
    void NoteIndex();
    const CRuntimeClass* ReadClass(uint16_t tag, uint32_t bigTag);
    void WriteClass(const CRuntimeClass* cls);
    [[noreturn]] void Fail(CArchiveException::Cause cause) const;

    platform::File& file_;
    Mode mode_;
    bool closed_ = false;
    std::vector<uint8_t> buffer_;
    size_t bufferPos_ = 0;  // loading: next byte to hand out; storing: bytes buffered
    size_t bufferLen_ = 0;  // loading: bytes in the buffer

    // One counter numbers classes and objects together; index 0 is the null object.
    uint32_t nextIndex_ = 1;
    std::map<const void*, uint32_t> storeMap_;
    struct LoadEntry {
        const CRuntimeClass* cls = nullptr;  // set for a class entry
        CObject* object = nullptr;           // set for an object entry
    };
    std::vector<LoadEntry> loadTable_{LoadEntry{}};
    uint32_t objectSchema_ = 0xFFFFFFFF;
};
