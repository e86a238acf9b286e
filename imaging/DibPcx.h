#pragma once

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
    bool Read(platform::File& file) override;     // leaves the file exactly after the image
    bool Write(platform::File& file) override;
    bool Save(const std::string& path) override;  // always PCX

  protected:
    // The PCX reader of this class itself, whatever the object's own class overrides: what the loads by
    // name read a file ending in "PCX" with. `dib` is the loading object, a CDibPcx.
    static bool ReadAsPcx(CDIB& dib, platform::File& file);

  private:
    KeptStream kept_;  // the PCX bytes the current pixels were read from
};
