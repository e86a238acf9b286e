#include "imaging/PixelBlock.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "platform/LargeBlocks.h"

namespace {

// Blocks below this size come from the ordinary heap, which keeps small blocks itself.
constexpr size_t kSmallestKept = 64 * 1024;
// What the keeping may hold at most: a handful of screen pictures and one large resized image.
constexpr size_t kMostKeptBytes = 128u << 20;
constexpr size_t kMostKeptBlocks = 16;

struct KeptBlock {
    uint8_t* data;
    size_t capacity;
};

// Images are made on the user-interface thread, but nothing here needs to know that.
class Keeping {
  public:
    // A kept block large enough for `size` but not more than a quarter larger, so that a small image
    // does not hold on to a large one's memory; the closest fit wins.
    uint8_t* Take(size_t size, size_t& capacity) {
        std::lock_guard<std::mutex> lock(mutex_);
        size_t best = blocks_.size();
        for (size_t i = 0; i < blocks_.size(); ++i) {
            const size_t c = blocks_[i].capacity;
            if (c < size || c - size > size / 4) continue;
            if (best == blocks_.size() || c < blocks_[best].capacity) best = i;
        }
        if (best == blocks_.size()) return nullptr;
        KeptBlock block = blocks_[best];
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(best));
        bytes_ -= block.capacity;
        capacity = block.capacity;
        return block.data;
    }

    void Give(uint8_t* data, size_t capacity) {
        if (capacity < kSmallestKept || capacity > kMostKeptBytes) {
            platform::FreeLargeBlock(data, capacity);
            return;
        }
        std::vector<KeptBlock> dropped;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            // The oldest blocks make room: the newest are the sizes in use now.
            while (!blocks_.empty() &&
                   (bytes_ + capacity > kMostKeptBytes || blocks_.size() >= kMostKeptBlocks)) {
                dropped.push_back(blocks_.front());
                bytes_ -= blocks_.front().capacity;
                blocks_.erase(blocks_.begin());
            }
            blocks_.push_back({data, capacity});
            bytes_ += capacity;
        }
        for (const KeptBlock& d : dropped) platform::FreeLargeBlock(d.data, d.capacity);
    }

    void ReleaseAll() {
        std::vector<KeptBlock> blocks;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            blocks.swap(blocks_);
            bytes_ = 0;
        }
        for (const KeptBlock& b : blocks) platform::FreeLargeBlock(b.data, b.capacity);
    }

    size_t Bytes() {
        std::lock_guard<std::mutex> lock(mutex_);
        return bytes_;
    }
    size_t Blocks() {
        std::lock_guard<std::mutex> lock(mutex_);
        return blocks_.size();
    }

  private:
    std::mutex mutex_;
    std::vector<KeptBlock> blocks_;
    size_t bytes_ = 0;
};

Keeping& TheKeeping() {
    // Never destroyed: images in static objects may give their blocks back after every other static is gone.
    static Keeping* keeping = new Keeping;
    return *keeping;
}

}  // namespace

PixelBlock PixelBlock::Uninitialized(size_t size) {
    if (size == 0) return {};
    size_t capacity = size;
    uint8_t* data = TheKeeping().Take(size, capacity);
    if (!data) {
        data = static_cast<uint8_t*>(platform::AllocateLargeBlock(size));
        if (!data) throw std::bad_alloc();
    }
    return PixelBlock(data, size, capacity);
}

PixelBlock PixelBlock::Zeroed(size_t size) {
    PixelBlock block = Uninitialized(size);
    if (size) std::memset(block.data_, 0, size);
    return block;
}

PixelBlock PixelBlock::CopyOf(const uint8_t* bytes, size_t size) {
    PixelBlock block = Uninitialized(size);
    if (size) std::memcpy(block.data_, bytes, size);
    return block;
}

PixelBlock::~PixelBlock() {
    reset();
}

PixelBlock::PixelBlock(PixelBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

PixelBlock& PixelBlock::operator=(PixelBlock&& other) noexcept {
    if (this != &other) {
        reset();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

void PixelBlock::reset() {
    if (data_) TheKeeping().Give(data_, capacity_);
    data_ = nullptr;
    size_ = capacity_ = 0;
}

size_t PixelBlock::KeptBytes() {
    return TheKeeping().Bytes();
}
size_t PixelBlock::KeptBlocks() {
    return TheKeeping().Blocks();
}
void PixelBlock::ReleaseKept() {
    TheKeeping().ReleaseAll();
}
