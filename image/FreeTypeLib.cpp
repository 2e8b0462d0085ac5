#include "image/ImageWriter.h"

// Placeholder bodies: the text renderer is being built.
CImageWriter::CFreeTypeLib::CFreeTypeLib(CImageWriter* writer, const char* fontPath, int horizontalDpi,
                                         int verticalDpi)
    : m_Writer(writer), m_FontPath(fontPath), m_HorizontalDpi(horizontalDpi), m_VerticalDpi(verticalDpi)
{
}
CImageWriter::CFreeTypeLib::~CFreeTypeLib() = default;
