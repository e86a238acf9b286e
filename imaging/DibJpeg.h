#pragma once

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

  private:
    bool quiet_ = false;
    KeptStream kept_;  // the JFIF bytes the current pixels were decoded from
};
