#pragma once

#include <optional>
#include <string>

#include "imaging/Dib.h"
#include "platform/File.h"

// Decoders of the outside formats that only loading by extension and the command-line tool use. Each
// takes an open file and fills `dib` with a packed 24-bit image; failure leaves `dib` unchanged and
// shows nothing.
bool ReadPngImage(platform::File& file, CDIB& dib);
// Any BMP file, not only the 8- and 24-bit ones CDIB::Read takes from titles: 1 to 32 bits, run-length,
// bit fields, top-down rows, OS/2 and later Windows headers.
bool ReadBmpImage(platform::File& file, CDIB& dib);
// Any PCX file: the 8-bit ones of CDibPcx and the monochrome and 16-colour ones of older programs.
bool ReadPcxImage(platform::File& file, CDIB& dib);
// Transparent pixels of PNG and TIFF images are composed over black.
bool ReadTiffImage(platform::File& file, CDIB& dib);

// Writes a 24-bit image as an 8-bit RGB PNG; false (and nothing written) when encoding fails.
bool WritePngImage(const CDIB& dib, platform::File& file);
