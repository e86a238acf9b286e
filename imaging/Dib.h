#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/Object.h"
#include "imaging/PixelBlock.h"
#include "platform/DeviceContext.h"
#include "platform/DibStride.h"
#include "platform/File.h"
#include "platform/FileDialog.h"
#include "platform/Geometry.h"

// The 40-byte header of a Windows device-independent bitmap, in file order.
#pragma pack(push, 1)
struct BITMAPINFOHEADER {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 24;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPINFOHEADER) == 40);

// One entry of a logical palette, as the platform keeps them.
struct PaletteEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t flags = 0;
};

// The largest image any reader accepts: 16,384 pixels a side and 256 MiB of pixel data. Bigger claims
// in a file take the reader's failure path instead of exhausting memory.
constexpr int32_t kMaxImageSide = 16384;
constexpr uint64_t kMaxImageBytes = 256ull << 20;
// True when an image of this size and bit count may be allocated.
bool ImageSizeAcceptable(int64_t width, int64_t height, int bitCount);
// Clips one axis of a block copy between two images: moves the destination start `d` and the source
// start `s` forward together until both lie inside their images and shortens the length `n` to fit
// both. False, with the values left as they were, when nothing of the block remains.
bool ClipBlockSpan(int32_t& d, int32_t& s, int32_t& n, int32_t destinationSize, int32_t sourceSize);

// Registers CDIB, CDibPcx and CDibJpeg (schema 0) with the class registry, so that title files can
// name them. Call once at start, before loading any document.
void RegisterImagingClasses();

// The one in-memory image of the system: a BITMAPINFOHEADER with its colour table and a block of pixel
// rows, bottom row first, each row padded to 4 bytes. 24 bits (blue, green, red) or 8 bits with 256 colours.
class CDIB : public CObject {
    DECLARE_SERIAL(CDIB)
  public:
    CDIB();  // a black 16 x 16 24-bit image
    ~CDIB() override;
    CDIB(const CDIB& other);  // deep copy of header and pixels
    CDIB& operator=(const CDIB& other);

    // Flushes the archive, then reads or writes this image's own file format directly on its file.
    // A failed Read or Write throws CArchiveException(generic), so that the whole document load or
    // store fails instead of going on from the middle of an image.
    void Serialize(CArchive& ar) override;

    // --- virtual operations, in their historical order ---
    virtual bool Load(const std::string& path);  // empty path: ask with the open dialog
    virtual bool Read(platform::File& file);     // BMP
    virtual bool Write(platform::File& file);    // BMP
    virtual bool Save(const std::string& path);  // empty path: ask with the save dialog
    virtual void Draw(platform::DeviceContext& dc, int32_t x, int32_t y, int32_t width = 0,
                      int32_t height = 0);
    virtual void StretchDraw(platform::DeviceContext& dc, int32_t x, int32_t y, int32_t width,
                             int32_t height);
    // A phased sprite answers with its cell size here, so the image's own code (addressing, copying,
    // writing) calls CDIB::GetWidth/GetHeight for the size of the whole bitmap.
    virtual int32_t GetWidth() const { return HasImage() ? GetHeader()->biWidth : 0; }
    virtual int32_t GetHeight() const { return HasImage() ? GetHeader()->biHeight : 0; }
    // On a true-colour display the map is the identity; fails without a palette.
    virtual bool MapColorsToPalette(const std::vector<PaletteEntry>* palette);
    virtual platform::Rect GetRect() const;
    // Copies a w x h block from (sx, sy) of this image to (dx, dy) of `destination` (top-down
    // coordinates). transparent == 0xFFFFFFFF copies opaquely; otherwise source pixels equal to the
    // transparent value are skipped. The block is clipped to both images, so nothing is ever written
    // outside the destination.
    virtual void CopyBits(CDIB* destination, int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t sx,
                          int32_t sy, uint32_t transparent);

    // --- non-virtual operations ---
    bool Create(int32_t width, int32_t height, int bytesPerPixel);
    // As Create for a 24-bit image, but its black pixels are made at their first use, and not at all when
    // that use is an opaque copy (CopyBits) that replaces every one of them: a view's buffer that is about
    // to be filled with its background.
    bool CreateBlackOnFirstUse(int32_t width, int32_t height);
    // Bytes per row.
    int32_t GetStorageWidth() const {
        return HasImage() ? static_cast<int32_t>(platform::DibStride(CDIB::GetWidth(), GetBitCount())) : 0;
    }
    int GetNumColors() const;
    static int GetNumColors(const BITMAPINFOHEADER& header);
    // Address of pixel (x, y), y counted from the top; null outside the image. The address to write
    // through takes a new change mark (see ChangeMark).
    uint8_t* GetPixelAddress(int32_t x, int32_t y);
    const uint8_t* GetPixelAddress(int32_t x, int32_t y) const;
    // Takes a copy of the header (with its colour table) and uses `bits` without owning them.
    void AttachBits(const BITMAPINFOHEADER* header, uint8_t* bits);
    // Takes copies of the header (with colour table) and of height x stride bytes of rows.
    bool CopyPacked(const BITMAPINFOHEADER* header, const uint8_t* rows);
    bool ConvertTo24();
    bool Resize(int32_t width, int32_t height);  // nearest neighbour
    bool ResizePercent(int percent);
    // Loads JPG, PNG, BMP, PCX or TIF by the last four characters of the path, as a packed 24-bit image.
    // No path: ask with the open dialog, whose filter is the caller's program's (the player's Spanish
    // wording unless the editor's is asked for).
    enum class DialogWording { player, editor };
    bool LoadByExtension(const std::optional<std::string>& path,
                         DialogWording wording = DialogWording::player);
    // The open dialog's filter of LoadByExtension, for callers that ask for the file themselves.
    static const char* ImageFileFilter(DialogWording wording);
    void Fill(uint32_t colorref);
    void FillGradient(uint32_t topColorref, uint32_t bottomColorref);

    // --- access ---
    bool HasImage() const { return !header_.empty(); }
    // True while the pixels wait for their first use (see DeferPixels).
    bool PixelsDeferred() const { return pixelsDeferred_; }
    // Makes pixels that wait for their first use now, as that use would.
    void DecodePixels() const {
        if (pixelsDeferred_) DecodeDeferred();
    }
    // How many rows from the top hold their pixels: the height once the pixels are made, fewer while
    // DecodeTopRows has made only some of them, none before.
    int32_t TopRowsMade() const { return pixelsDeferred_ ? topRowsMade_ : (bits_ ? CDIB::GetHeight() : 0); }
    // Makes the top `rows` rows of pixels that wait for their first use, where the image's reader can
    // decode its rows from the top in steps (a sprite's sheet shows one frame at a time): the rows below
    // go on waiting, and a later use of them decodes them after these. Otherwise makes all the pixels.
    void DecodeTopRows(int32_t rows) const;
    const BITMAPINFOHEADER* GetHeader() const {
        return HasImage() ? reinterpret_cast<const BITMAPINFOHEADER*>(header_.data()) : nullptr;
    }
    int GetBitCount() const { return HasImage() ? GetHeader()->biBitCount : 0; }
    // The pixels to write: the image takes a new change mark.
    uint8_t* GetBits() {
        MarkChanged();
        return Bits();
    }
    const uint8_t* GetBits() const { return Bits(); }
    // Blue, green, red, 0 quads; null when the image has no colour table. The table to write takes a new
    // change mark.
    const uint8_t* GetColorTable() const;
    uint8_t* GetColorTable();
    // A number that stands for the image's present pixels and colours: every replacement of the image and
    // every hand-out of its pixels or colour table for writing takes a new one, never used before in this
    // process, and a copy of the image takes the mark with the pixels. An image whose mark is the one it
    // had at some moment therefore still holds the very pixels it held then, which tells an unchanged
    // image without looking at its pixels.
    uint64_t ChangeMark() const { return changeMark_; }
    // For code that writes the pixels through an address it already holds. Pixels still waiting for their
    // decoding are decoded first: the change is made to them.
    void MarkChanged();
    bool OwnsBits() const { return ownsBits_; }
    platform::DibView View() const;
    // Frees header and pixels: the object holds no image (what a failed PCX or JPEG read leaves).
    void Clear();

  protected:
    // Reads an image file into `dib`, which is always the object that loads.
    using FileReader = bool (*)(CDIB& dib, platform::File& file);
    // The dialogs of the loads and saves by name: open asks for an existing file, save asks before
    // overwriting one.
    static platform::FileDialogRequest OpenDialog(const std::string& filter,
                                                  const std::string& defaultExtension = "");
    static platform::FileDialogRequest SaveDialog(const std::string& filter);
    // `path` itself, or the answer of `dialog` when it is empty; nothing when the user cancelled.
    static std::optional<std::string> AskPath(const std::string& path,
                                              const platform::FileDialogRequest& dialog);
    // The one load by name of the image and its codecs: asks with `dialog` when `path` is empty
    // (cancelling fails silently), opens the file and reads it with `reader` when the chosen name ends
    // in `ending` regardless of case (always when `ending` is empty), otherwise with the BMP reader of
    // CDIB. Failures are reported with "Failed to open file" and "Failed to load file".
    bool LoadChoosingReader(const std::string& path, const platform::FileDialogRequest& dialog,
                            std::string_view ending, FileReader reader);
    // Creates `path` (asking with `dialog` when empty) and writes this image with the virtual Write.
    bool SaveWith(const std::string& path, const platform::FileDialogRequest& dialog);
    // Create without clearing the pixels, for a reader that writes every byte of every row itself.
    bool Allocate(int32_t width, int32_t height, int bytesPerPixel);
    // Installs a header block (40 bytes plus colour table) and an owned pixel block.
    void Replace(std::vector<uint8_t> header, PixelBlock pixels);

    // Pixels decoded on first use. A reader that has checked a stream whole may install the image's
    // header at once and leave its pixels to DecodeDeferredPixels, which runs at the first access to them
    // (every pixel accessor, copy, drawing, resampling, writing without a kept stream, and every change):
    // opening a title then decodes only the sprites that are shown. Until then the image has its size,
    // bit count and change mark, and no pixel block.
    void DeferPixels(std::vector<uint8_t> header);
    // Fills `bits` (height rows of `stride` bytes, bottom row first, padding included) with the pixels
    // that DeferPixels put off. False when they cannot be made; the image then holds no pixels, so it
    // draws and copies nothing, as after a failed read, while its size stays what the header said.
    virtual bool DecodeDeferredPixels(uint8_t* bits, size_t stride) const;
    // For a reader that decodes its rows from the top in steps (see DecodeTopRows): true, and
    // DecodeDeferredRows decodes rows `from` to `to` - 1, counted from the top, into `bits` (laid out as
    // for DecodeDeferredPixels), the rows above `from` made by the calls before it, the first call's
    // `from` being 0. False when the rows cannot be made.
    virtual bool DecodesRowsInSteps() const { return false; }
    virtual bool DecodeDeferredRows(uint8_t* bits, size_t stride, int32_t from, int32_t to) const;
    // For a reader whose pixels are made elsewhere (on the helper thread): waits for them and hands them
    // over in `pixels`, left empty when they could not be made. False when the pixels are to be decoded
    // here, through DecodeDeferredPixels.
    virtual bool TakeDeferredPixels(PixelBlock& pixels) const;
    // The pixel block, decoded first when its decoding was put off; null when the image has none. Const
    // accessors decode too, through the mutable members below: like the rest of the model, an image is
    // used from one thread, and two threads must not read one image whose pixels are not decoded yet.
    uint8_t* Bits() const {
        if (pixelsDeferred_) DecodeDeferred();
        return bits_;
    }

    std::vector<uint8_t> header_;  // BITMAPINFOHEADER followed by the colour table; empty when no image

  private:
    void DecodeDeferred() const;
    // The pixel block with at least its top `rows` rows made; null when the image has none.
    const uint8_t* BitsWithTopRows(int32_t rows) const;
    // Decodes the rows from the last one made down to row `to` - 1 into ownedBits_, allocated first when no
    // row is made yet. False when they cannot be made.
    bool MakeRowsAfterThoseMade(int32_t to) const;
    // Gives up pixels that cannot be made, as a failed decoding leaves them.
    void DropDeferred() const;
    // For black pixels still to be made that a copy is about to replace whole: a block of any content.
    void TakeBlockForOverwrite();

    mutable PixelBlock ownedBits_;
    mutable uint8_t* bits_ = nullptr;
    mutable bool pixelsDeferred_ = false;
    // While the pixels wait: how many rows from the top DecodeTopRows has made in ownedBits_ already.
    mutable int32_t topRowsMade_ = 0;
    bool deferredBlack_ = false;  // the deferred pixels are those of a new black image, not decoded ones
    bool ownsBits_ = false;
    uint64_t changeMark_ = 0;
};
