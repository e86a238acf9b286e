#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Bytes in memory that several owners share and nobody changes: a title's file read whole, an undo
// snapshot. Readers may keep pieces of them without copying.
using SharedBytes = std::shared_ptr<const std::vector<uint8_t>>;

// The causes a file operation can fail with, as the title programs have always reported them.
enum class FileError {
    none,
    generic,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile,
};

// Thrown by File operations that cannot complete; the document's open and save paths turn it into the
// user's message.
class FileException {
  public:
    FileException(FileError cause, std::string path) : cause(cause), path(std::move(path)) {}
    FileError cause;
    std::string path;
};

// A byte stream with a position. Decoders and the archive read through this, never through names, so
// that the same code serves files on disk and bytes in memory (tests, fuzzers, undo snapshots).
class File {
  public:
    virtual ~File() = default;
    // Reads up to n bytes; returns how many came (0 at the end). Throws FileException on I/O errors.
    virtual size_t Read(void* buffer, size_t n) = 0;
    // Writes all n bytes or throws FileException (disk full, access denied...).
    virtual void Write(const void* buffer, size_t n) = 0;
    // Absolute seek; throws FileException(badSeek) for a negative position.
    virtual void Seek(uint64_t position) = 0;
    virtual uint64_t Position() const = 0;
    virtual uint64_t Length() const = 0;
    virtual void Flush() {}
    virtual const std::string& Path() const = 0;
    // The whole content, when the file is such shared bytes in memory; null otherwise. A reader may then
    // take its data straight from them and keep what it needs.
    virtual SharedBytes Shared() const { return nullptr; }
    // Writes `size` bytes of `owner` from `offset` on. A file that can keep them as they are (a PieceFile)
    // keeps them without a copy.
    virtual void WriteShared(const SharedBytes& owner, size_t offset, size_t size) {
        Write(owner->data() + offset, size);
    }

    uint64_t Remaining() const {
        uint64_t p = Position(), l = Length();
        return p < l ? l - p : 0;
    }
};

// A file on disk. Open reports failure by its cause instead of throwing, so callers choose the message.
class DiskFile : public File {
  public:
    enum class Mode { read, write /* create or truncate */, readWrite };
    DiskFile() = default;
    ~DiskFile() override;
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;

    FileError Open(const std::string& path, Mode mode);
    bool IsOpen() const { return fd_ >= 0; }
    void Close();

    size_t Read(void* buffer, size_t n) override;
    void Write(const void* buffer, size_t n) override;
    void Seek(uint64_t position) override;
    uint64_t Position() const override;
    uint64_t Length() const override;
    void Flush() override;
    const std::string& Path() const override { return path_; }

  private:
    int fd_ = -1;
    std::string path_;
    // Kept here rather than asked of the system: the archive and the decoders ask for them around nearly
    // every value they read, and a system call each time made opening a title ten times slower.
    uint64_t position_ = 0;
    uint64_t length_ = 0;
};

// Bytes in memory with file semantics; writing past the end grows the buffer.
class MemoryFile : public File {
  public:
    MemoryFile() = default;
    explicit MemoryFile(std::vector<uint8_t> bytes, std::string path = "memory")
        : bytes_(std::move(bytes)), path_(std::move(path)) {}
    MemoryFile(const uint8_t* data, size_t size, std::string path = "memory")
        : bytes_(data, data + size), path_(std::move(path)) {}

    size_t Read(void* buffer, size_t n) override;
    void Write(const void* buffer, size_t n) override;
    void Seek(uint64_t position) override { position_ = position; }
    uint64_t Position() const override { return position_; }
    uint64_t Length() const override { return bytes_.size(); }
    const std::string& Path() const override { return path_; }

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    std::vector<uint8_t>& Bytes() { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
    uint64_t position_ = 0;
    std::string path_ = "memory";
};

// Shared bytes read through file semantics; writing is refused (access denied).
class SharedMemoryFile : public File {
  public:
    explicit SharedMemoryFile(SharedBytes bytes, std::string path = "memory");

    size_t Read(void* buffer, size_t n) override;
    void Write(const void* buffer, size_t n) override;
    void Seek(uint64_t position) override { position_ = position; }
    uint64_t Position() const override { return position_; }
    uint64_t Length() const override { return bytes_->size(); }
    const std::string& Path() const override { return path_; }
    SharedBytes Shared() const override { return bytes_; }

  private:
    SharedBytes bytes_;
    uint64_t position_ = 0;
    std::string path_;
};

// The whole content of the file at `path`, read at once; null when it cannot be read or is larger than
// `limit` bytes (the caller then reads it piece by piece). `error` tells why it could not be opened.
SharedBytes ReadWholeFile(const std::string& path, uint64_t limit, FileError* error = nullptr);

// Maps an errno value to the file error cause that the messages speak of.
FileError FileErrorFromErrno(int err);

// The few operations on whole files that the documents need, so that they never reach the file system
// around this layer. Paths are UTF-8 paths of this file system.
bool FileExists(const std::string& path);
// An existing file that this process may not write: saving must not get round its protection.
bool IsReadOnlyFile(const std::string& path);
// Puts `from` in the place of `to`, replacing it in one step.
FileError RenameFile(const std::string& from, const std::string& to);
// Removes a file; a file that is not there is no failure.
void RemoveFile(const std::string& path);
// The system's folder for temporary files.
std::string TemporaryFolder();

// What tells one state of a file (or folder) from another without reading it: the file itself (device
// and node), its size, and the times of its last change of content and of status. Every change of the
// content or the name moves the status time, which no program can set back. The clock that stamps the
// times is coarse, so a change within the same tick as an earlier look would leave the stamp as it was:
// only the stamp of a file that had settled before it was taken stands for its content.
struct FileStamp {
    uint64_t device = 0;
    uint64_t node = 0;
    uint64_t size = 0;
    int64_t modified = 0;  // nanoseconds since the epoch
    int64_t changed = 0;
    bool operator==(const FileStamp&) const = default;
    // True when the last change lies far enough back for every later change to show in the stamp.
    bool Settled() const;
};
// The stamp of what `path` names now; nothing when it cannot be looked at.
std::optional<FileStamp> StampOf(const std::string& path);

}  // namespace platform
