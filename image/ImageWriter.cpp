#include "image/ImageWriter.h"

// Placeholder bodies: the raster is being built.
CImageWriter::CImageWriter(int width, int height, Colour background, const char* fontPath, int horizontalDpi,
                           int verticalDpi)
    : m_Width(width), m_Height(height), m_Background(background),
      m_TextRenderer(this, fontPath, horizontalDpi, verticalDpi)
{
}
CImageWriter::~CImageWriter() = default;
bool CImageWriter::Init() { return false; }
void CImageWriter::SetPixel(int, int, Colour) {}
std::uint8_t CImageWriter::GetRed(int, int) const { return 0; }
std::uint8_t CImageWriter::GetGreen(int, int) const { return 0; }
std::uint8_t CImageWriter::GetBlue(int, int) const { return 0; }
void CImageWriter::FillRect(int, int, int, int, Colour) {}
const std::uint8_t* CImageWriter::GetRow(int) const { return nullptr; }
std::int32_t CImageWriter::MeasureTextHeight(int fontHeight) { return fontHeight; }
bool CImageWriter::DrawString(const char*, int, int, int, int, int, double, Colour) { return true; }
bool CImageWriter::DrawStringN(const char*, int, int, int, int, int, int, double, Colour) { return true; }
