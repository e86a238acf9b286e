#pragma once

#include <optional>
#include <vector>

#include "imaging/Dib.h"
#include "imaging/KeptStream.h"

// A DIB whose file format is run-length PCX: three planes (24 bits) written, three planes or one plane
// with a 256-colour palette read. Every sprite bitmap travels inside a title in this form. An image whose
// pixels have not changed since it was read is written back as the bytes it was read from.
class CDibPcx : public CDIB {
    DECLARE_SERIAL(CDibPcx)
  public:
    CDibPcx() = default;
    bool Load(const std::string& path) override;  // "PCX" ending selects PCX, anything else BMP
    // Leaves the file exactly after the image. A three-plane image read from shared bytes (a title read
    // whole, an undo snapshot) is checked whole but decoded only when its pixels are first used.
    bool Read(platform::File& file) override;
    bool Write(platform::File& file) override;
    bool Save(const std::string& path) override;  // always PCX

  protected:
    bool DecodeDeferredPixels(uint8_t* bits, size_t stride) const override;
    bool DecodesRowsInSteps() const override { return true; }
    bool DecodeDeferredRows(uint8_t* bits, size_t stride, int32_t from, int32_t to) const override;
    // The colour value (red << 16 | green << 8 | blue) of the top-left pixel while the pixels are not
    // decoded yet, so that a sprite finds its transparent colour without decoding them.
    std::optional<uint32_t> TopLeftBeforeDecoding() const;
    // The PCX reader of this class itself, whatever the object's own class overrides: what the loads by
    // name read a file ending in "PCX" with. `dib` is the loading object, a CDibPcx.
    static bool ReadAsPcx(CDIB& dib, platform::File& file);

  private:
    bool ReadDeferred(platform::File& file, uint64_t begin, int32_t width, int32_t height, int32_t lineLength,
                      const std::vector<uint8_t>& bytes);

    KeptStream kept_;  // the PCX bytes the current pixels were read from
    uint32_t deferredTopLeft_ = 0;
    mutable size_t resumeAt_ = 0;  // where in the kept stream the rows after those decoded so far begin
};
