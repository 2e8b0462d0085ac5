// The PNG writer: encodes the raster as an 8-bit RGB PNG with gAMA, tIME and
// five tEXt chunks, through libpng.
#pragma once

#include "image/ImageWriter.h"

class CMyPngWriter : public CImageWriter {
public:
    // compressionLevel: zlib level 0..9, or -2 for the default (6).
    CMyPngWriter(int width, int height, const char* fontPath, int horizontalDpi, int verticalDpi,
                 Colour background, int compressionLevel);

    bool WriteTo(FILE* file) override;

    std::int32_t m_CompressionLevel;
    double m_Gamma = 0.5;
};
