#include "image/MyPngWriter.h"

// Placeholder bodies: the PNG writer is being built.
CMyPngWriter::CMyPngWriter(int width, int height, const char* fontPath, int horizontalDpi, int verticalDpi,
                           Colour background, int compressionLevel)
    : CImageWriter(width, height, background, fontPath, horizontalDpi, verticalDpi),
      m_CompressionLevel(compressionLevel)
{
}
bool CMyPngWriter::WriteTo(FILE*) { return false; }
