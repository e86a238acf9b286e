#include "platform/PieceFile.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {
constexpr size_t kLargestBlock = size_t{1} << 20;
// Shared bytes shorter than this are copied: a piece of their own would cost more than the copy.
constexpr size_t kSmallestSharedPiece = 256;
}  // namespace

PieceBytes::PieceBytes(PieceRun run) : run_(std::move(run)) {
    for (const BytePiece& piece : run_.pieces) size_ += piece.size;
}

PieceBytes PieceBytes::Of(SharedBytes bytes) {
    PieceRun run;
    if (bytes && !bytes->empty()) {
        run.pieces.push_back({bytes.get(), bytes->data(), bytes->size()});
        run.owners.push_back(std::move(bytes));
    }
    return PieceBytes(std::move(run));
}

SharedBytes PieceBytes::Joined() const {
    if (run_.pieces.size() == 1 && run_.owners.size() == 1) {
        const SharedBytes& owner = run_.owners.front();
        if (run_.pieces[0].data == owner->data() && run_.pieces[0].size == owner->size()) return owner;
    }
    auto joined = std::make_shared<std::vector<uint8_t>>();
    joined->reserve(size_);
    for (const BytePiece& piece : run_.pieces)
        joined->insert(joined->end(), piece.data, piece.data + piece.size);
    return joined;
}

bool PieceBytes::operator==(const PieceBytes& other) const {
    if (size_ != other.size_) return false;
    // Walks both sequences at once, a stretch at a time: the longest run that lies within a piece of each.
    const std::vector<BytePiece>& mine = run_.pieces;
    const std::vector<BytePiece>& theirs = other.run_.pieces;
    size_t i = 0, j = 0, inA = 0, inB = 0;
    while (i < mine.size() && j < theirs.size()) {
        const size_t run = std::min(mine[i].size - inA, theirs[j].size - inB);
        const uint8_t* a = mine[i].data + inA;
        const uint8_t* b = theirs[j].data + inB;
        if (a != b && std::memcmp(a, b, run) != 0) return false;
        inA += run;
        inB += run;
        if (inA == mine[i].size) ++i, inA = 0;
        if (inB == theirs[j].size) ++j, inB = 0;
    }
    return true;
}

size_t PieceFile::Read(void*, size_t) {
    throw FileException(FileError::accessDenied, path_);
}

void PieceFile::Seek(uint64_t position) {
    if (position != size_) throw FileException(FileError::badSeek, path_);
}

void PieceFile::Write(const void* buffer, size_t n) {
    if (n == 0) return;
    if (!block_ || block_->capacity() - block_->size() < n) {
        CloseOpenPiece();
        const size_t capacity = std::max(n, nextBlockSize_);
        nextBlockSize_ = std::min(nextBlockSize_ * 2, kLargestBlock);
        block_ = std::make_shared<std::vector<uint8_t>>();
        block_->reserve(capacity);
        openBegin_ = 0;
        KeepOwner(block_);
    }
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    block_->insert(block_->end(), bytes, bytes + n);
    size_ += n;
}

void PieceFile::WriteShared(const SharedBytes& owner, size_t offset, size_t size) {
    if (size < kSmallestSharedPiece) {
        Write(owner->data() + offset, size);
        return;
    }
    CloseOpenPiece();
    KeepOwner(owner);
    Push({owner.get(), owner->data() + offset, size});
    size_ += size;
}

void PieceFile::KeepOwner(const SharedBytes& owner) {
    // A stretch's buffers are mostly those of the stretch before it: the newest ones are looked at first.
    for (auto it = run_.owners.rbegin(); it != run_.owners.rend(); ++it)
        if (*it == owner) return;
    run_.owners.push_back(owner);
}

void PieceFile::CloseOpenPiece() {
    if (!block_ || block_->size() == openBegin_) return;
    run_.pieces.push_back({block_.get(), block_->data() + openBegin_, block_->size() - openBegin_});
    openBegin_ = block_->size();
}

void PieceFile::Push(const BytePiece& piece) {
    if (run_.pieces.size() > floor_) {
        BytePiece& last = run_.pieces.back();
        if (last.owner == piece.owner && last.data + last.size == piece.data) {
            last.size += piece.size;
            return;
        }
    }
    run_.pieces.push_back(piece);
}

size_t PieceFile::BeginStretch() {
    CloseOpenPiece();
    floor_ = run_.pieces.size();
    return floor_;
}

PieceRun PieceFile::TakeStretch(size_t stretch) {
    CloseOpenPiece();
    PieceRun taken;
    const size_t first = std::min(stretch, run_.pieces.size());
    taken.pieces.assign(run_.pieces.begin() + static_cast<std::ptrdiff_t>(first), run_.pieces.end());
    // A stretch's pieces lie in few buffers: the ones already taken are looked at first.
    for (const BytePiece& piece : taken.pieces) {
        auto holdsPiece = [&](const SharedBytes& owner) { return owner.get() == piece.owner; };
        if (std::any_of(taken.owners.rbegin(), taken.owners.rend(), holdsPiece)) continue;
        auto it = std::find_if(run_.owners.begin(), run_.owners.end(), holdsPiece);
        if (it != run_.owners.end()) taken.owners.push_back(*it);
    }
    return taken;
}

void PieceFile::Append(const PieceRun& run) {
    CloseOpenPiece();
    for (const SharedBytes& owner : run.owners) KeepOwner(owner);
    for (const BytePiece& piece : run.pieces) {
        Push(piece);
        size_ += piece.size;
    }
}

PieceBytes PieceFile::Take() {
    CloseOpenPiece();
    PieceBytes taken(std::move(run_));
    run_ = PieceRun{};
    floor_ = 0;
    block_.reset();
    openBegin_ = 0;
    size_ = 0;
    return taken;
}

}  // namespace platform
