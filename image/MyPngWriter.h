// The PNG writer: encodes the raster as an 8-bit RGB PNG with gAMA, tIME and
// five tEXt chunks, through libpng.
#pragma once

#include "image/ImageWriter.h"

struct png_struct_def;
struct png_info_def;

class CMyPngWriter : public CImageWriter {
  public:
    // compressionLevel: zlib level 0..9, or -2 for the default (6).
    CMyPngWriter(int width, int height, const char* fontPath, int horizontalDpi, int verticalDpi,
                 Colour background, int compressionLevel);

    // Writes the whole PNG stream at the file's position and flushes it; does
    // not close the file. False (nothing printed) when libpng fails, the
    // stream reports a write error, or Init has not succeeded.
    bool WriteTo(FILE* file) override;

    std::int32_t m_CompressionLevel;
    double m_Gamma = 0.5; // below 0.1 is written as 0.7

  private:
    bool WritePng(png_struct_def* png, png_info_def* info, FILE* file);
};
