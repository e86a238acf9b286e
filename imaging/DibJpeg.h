#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/Dib.h"
#include "imaging/KeptStream.h"

// A DIB whose file format is JFIF, through the libjpeg 6 API. The background of every title travels
// inside it in this form. An image that was read from a stream and has not changed since is written back
// as the very bytes it was read from, so that saving a title does not lose quality each time.
class CDibJpeg : public CDIB {
    DECLARE_SERIAL(CDibJpeg)
  public:
    CDibJpeg() = default;
    bool Load(const std::string& path) override;  // "JPG" ending selects JPEG, anything else BMP
    bool Read(platform::File& file) override;     // leaves the file exactly after the stream
    bool Write(platform::File& file) override;    // quality 100, accurate integer DCT
    bool Save(const std::string& path) override;  // always JPEG
    // A quiet codec shows no "Error JPEG" boxes (loading by extension reports its own failure).
    void SetQuiet(bool quiet) { quiet_ = quiet; }

    // Reads as Read does, but a quiet image read from shared bytes leaves its decoding to the helper
    // thread: the stream's end and the image's size are taken from its markers, the file is left there,
    // and the caller goes on reading what follows while the pixels are made. FinishReading then tells
    // how the decoding went; any use of the pixels before that waits for them.
    bool ReadAhead(platform::File& file);
    enum class Outcome {
        read,       // the image is what Read would have made, and the file went on where Read leaves it
        failed,     // Read would have failed: the image is cleared
        misplaced,  // the decoder ended the stream elsewhere than its markers said: what was read after
                    // it must be read again (the image itself is right)
    };
    // Waits for a decoding left to the helper thread; an image read at once is simply `read`.
    Outcome FinishReading();
    // True while the helper thread is still decoding what ReadAhead left to it.
    bool StillDecoding() const;
    // Called by the thread that waits for the decoding: when the stream lets its rows be decoded in two
    // parts (see jpeg_parts), this thread decodes the lower rows while the helper goes on with the upper
    // ones, and true is returned once its part is done. The image comes out as one decoding makes it.
    bool ShareDecoding();

  protected:
    bool TakeDeferredPixels(PixelBlock& pixels) const override;

  private:
    struct Ahead;
    // Waits for the decoding left to the helper and puts its outcome together with the share's.
    void Settle(Ahead& ahead) const;
    // A copy of an image never shares its predecessor's decoding.
    struct AheadHandle {
        AheadHandle() = default;
        AheadHandle(const AheadHandle&) {}
        AheadHandle& operator=(const AheadHandle&) {
            state.reset();
            return *this;
        }
        std::shared_ptr<Ahead> state;
    };

    bool quiet_ = false;
    KeptStream kept_;  // the JFIF bytes the current pixels were decoded from
    AheadHandle ahead_;
};
