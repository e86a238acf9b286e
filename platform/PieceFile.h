#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/File.h"

namespace platform {

// A run of bytes inside a buffer that something else keeps alive (see PieceBytes and PieceFile). It
// names its buffer only to tell whether the next run continues it.
struct BytePiece {
    const void* owner = nullptr;
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// Runs of bytes and the buffers that hold them.
struct PieceRun {
    std::vector<BytePiece> pieces;
    std::vector<SharedBytes> owners;
};

// Bytes held as a sequence of pieces of shared buffers. Two sequences that hold mostly the same bytes (two
// undo snapshots of a title a move apart) share those buffers instead of each holding a copy.
class PieceBytes {
  public:
    PieceBytes() = default;
    explicit PieceBytes(PieceRun run);
    // Bytes in one buffer of their own.
    static PieceBytes Of(SharedBytes bytes);

    size_t Size() const { return size_; }
    const std::vector<BytePiece>& Pieces() const { return run_.pieces; }
    // The bytes in one buffer: the buffer itself when a single piece covers all of it, else a copy.
    SharedBytes Joined() const;
    // Whether both hold the same bytes; stretches that lie at the same place are not compared.
    bool operator==(const PieceBytes& other) const;

  private:
    PieceRun run_;
    size_t size_ = 0;
};

// A file in memory that is only written, forward, and keeps what it gets as pieces: written bytes are
// gathered in blocks of its own, shared bytes handed to WriteShared are kept as pieces of their buffers,
// and a stretch taken out (TakeStretch) can be appended again later without copying a byte.
class PieceFile : public File {
  public:
    explicit PieceFile(std::string path = "memory") : path_(std::move(path)) {}

    // Reading and seeking back are refused: nothing reads this file while it is being written.
    size_t Read(void* buffer, size_t n) override;
    void Write(const void* buffer, size_t n) override;
    void WriteShared(const SharedBytes& owner, size_t offset, size_t size) override;
    void Seek(uint64_t position) override;
    uint64_t Position() const override { return size_; }
    uint64_t Length() const override { return size_; }
    const std::string& Path() const override { return path_; }

    // Room for this many pieces, from a guess of how many will come.
    void Reserve(size_t pieces) { run_.pieces.reserve(pieces); }
    // Starts a stretch: what is written from here on can be taken with TakeStretch(returned value).
    size_t BeginStretch();
    PieceRun TakeStretch(size_t stretch);
    // Appends pieces as they are, joining one to the piece before it when it continues the same buffer.
    void Append(const PieceRun& run);
    // Everything written, as one sequence; the file is empty afterwards.
    PieceBytes Take();

  private:
    // The bytes written into the block since the last piece become a piece of their own.
    void CloseOpenPiece();
    void Push(const BytePiece& piece);
    void KeepOwner(const SharedBytes& owner);

    std::string path_;
    PieceRun run_;
    // Pieces before this index belong to a stretch that was taken and are never grown.
    size_t floor_ = 0;
    // Written bytes go into the block within its capacity, so its data never moves while pieces of it
    // are out; a full block is left to its pieces and a new one begins.
    std::shared_ptr<std::vector<uint8_t>> block_;
    size_t openBegin_ = 0;
    size_t nextBlockSize_ = 512;
    uint64_t size_ = 0;
};

}  // namespace platform
