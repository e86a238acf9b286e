#pragma once

#include <cstddef>
#include <cstdint>

// The owned pixel rows of an image. A block that an image gives up is kept for the next image of about
// its size instead of going back to the system: the system hands out fresh memory by touching every page
// of it once, and on the machines the programs run on that first touch costs several times more than
// decoding a picture into memory already touched. A player that draws, decodes and resizes images of the
// same few sizes therefore works in memory it already has.
//
// A block holds `size` bytes; `Uninitialized` leaves their content unspecified (whatever the last image
// left there), so a caller that takes one writes every byte, padding included, before anyone reads it.
class PixelBlock {
  public:
    PixelBlock() = default;
    ~PixelBlock();
    PixelBlock(PixelBlock&& other) noexcept;
    PixelBlock& operator=(PixelBlock&& other) noexcept;
    PixelBlock(const PixelBlock&) = delete;
    PixelBlock& operator=(const PixelBlock&) = delete;

    // Throw std::bad_alloc when the memory cannot be had.
    static PixelBlock Uninitialized(size_t size);
    static PixelBlock Zeroed(size_t size);
    static PixelBlock CopyOf(const uint8_t* bytes, size_t size);

    uint8_t* data() { return data_; }
    const uint8_t* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Gives the block back (to be kept for another image); the block is empty afterwards.
    void reset();

    // What the keeping holds now, for tests and for whoever wants the memory back.
    static size_t KeptBytes();
    static size_t KeptBlocks();
    // Returns every kept block to the system.
    static void ReleaseKept();

  private:
    PixelBlock(uint8_t* data, size_t size, size_t capacity) : data_(data), size_(size), capacity_(capacity) {}

    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
