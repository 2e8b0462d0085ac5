#include "image/EmbeddedFont.h"
#include "image/GlyphPlacement.h"
#include "image/ImageWriter.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <algorithm>
#include <cstring>

namespace kavren::detail {

namespace {

// Keeps a far-away position far away without overflowing int: rasters and
// glyph bitmaps are both far smaller than 2^30 pixels.
int ClampPosition(std::int64_t value)
{
    constexpr std::int64_t limit = std::int64_t{1} << 30;
    return static_cast<int>(std::clamp(value, -limit, limit));
}

// Row i of a glyph bitmap, counted from the top: a negative pitch means the
// buffer holds the bottom row first.
const unsigned char* BitmapRow(const FT_Bitmap& bitmap, std::int64_t i)
{
    const std::int64_t pitch = bitmap.pitch;
    return bitmap.buffer + (pitch >= 0 ? i * pitch : (std::int64_t{bitmap.rows} - 1 - i) * -pitch);
}

// The coverage 0..255 of column k of a bitmap row: a gray bitmap's byte, or
// a one-bit bitmap's bit (eight pixels a byte, high bit first) as 0 or 255.
unsigned Coverage(const unsigned char* row, std::int64_t k, bool gray)
{
    return gray ? row[k] : ((row[k >> 3] >> (7 - (k & 7))) & 1U) * 255U;
}

} // namespace

// Whether the outline placed at (x, y) can reach the raster; glyphs wholly
// outside are not rendered at all.
bool CImageWriter::CFreeTypeLib::Overlaps(FT_GlyphRec_* glyph, std::int64_t x, std::int64_t y) const
{
    FT_BBox box{};
    FT_Glyph_Get_CBox(glyph, FT_GLYPH_BBOX_PIXELS, &box);
    // One pixel of slack for the rounding of the box to whole pixels.
    return x + box.xMax + 1 >= 0 && x + box.xMin - 1 < m_Writer->m_Width && y - box.yMin + 1 >= 0 &&
           y - box.yMax - 1 < m_Writer->m_Height;
}

CImageWriter::CFreeTypeLib::CFreeTypeLib(CImageWriter* writer, const char* fontPath, int horizontalDpi,
                                         int verticalDpi)
    : m_Writer(writer), m_FontPath(fontPath), m_HorizontalDpi(horizontalDpi), m_VerticalDpi(verticalDpi)
{
}

CImageWriter::CFreeTypeLib::~CFreeTypeLib() = default;

int CImageWriter::CFreeTypeLib::Init()
{
    if (!m_Writer)
        return 1;
    return m_Font.Open(m_FontPath);
}

std::int32_t CImageWriter::CFreeTypeLib::MeasureTextHeight(int fontHeight)
{
    return MeasureTextBand(m_Font, fontHeight, m_HorizontalDpi, m_VerticalDpi);
}

bool CImageWriter::CFreeTypeLib::DrawString(const char* text, int fontHeight, int mode, int x, int y,
                                            int span, double angle, Colour colour)
{
    if (!text)
        return true;
    return DrawBytes(reinterpret_cast<const unsigned char*>(text), std::strlen(text), fontHeight, mode, x, y,
                     span, angle, colour);
}

bool CImageWriter::CFreeTypeLib::DrawStringN(const char* text, int count, int fontHeight, int mode, int x,
                                             int y, int span, double angle, Colour colour)
{
    if (!text || count <= 0)
        return true;
    const std::size_t length = strnlen(text, static_cast<std::size_t>(count));
    return DrawBytes(reinterpret_cast<const unsigned char*>(text), length, fontHeight, mode, x, y, span,
                     angle, colour);
}

bool CImageWriter::CFreeTypeLib::DrawBytes(const unsigned char* text, std::size_t length, int fontHeight,
                                           int mode, int x, int y, int span, double angle, Colour colour)
{
    bool rendered = true;
    // An indexed raster holds no coverage between two colours: its text is
    // hinted for the pixel grid and rendered one bit per pixel.
    const bool mono = m_Writer && m_Writer->m_Indexed;
    const FT_Render_Mode renderMode = mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
    const bool placed =
        PlaceGlyphs(m_Font, m_HorizontalDpi, m_VerticalDpi, text, length, fontHeight, mode, x, y, span, angle,
                    mono ? EGlyphLoad::kMono : EGlyphLoad::kSmooth,
                    [&](FT_Glyph glyph, std::int64_t originX, std::int64_t originY) {
                        // The face keeps its glyph and the glyph's bitmap. A
                        // glyph wholly outside is rendered only to learn
                        // whether it has ink to lose (a space has none).
                        const bool overlaps = Overlaps(glyph, originX, originY);
                        if (!overlaps && m_InkCut)
                            return;
                        const FT_Glyph bitmap = RenderedGlyph(m_Font, glyph, renderMode);
                        if (!bitmap) {
                            rendered = rendered && !overlaps; // a text without it would look whole
                            return;
                        }
                        const auto* bitmapGlyph = reinterpret_cast<const FT_BitmapGlyphRec*>(bitmap);
                        // The bitmap's top counts upward from the baseline; raster rows grow downward.
                        const int left = ClampPosition(originX + bitmapGlyph->left);
                        const int top = ClampPosition(originY - bitmapGlyph->top);
                        m_InkCut = m_InkCut || InkOutside(bitmapGlyph->bitmap, left, top);
                        if (overlaps)
                            BlendGlyph(bitmapGlyph->bitmap, left, top, colour);
                    });
    const bool drawn = placed && rendered;
    // Below one pixel per em a text has no glyphs to show, and never had: only
    // a text of a visible size that fails to render fails the image.
    const bool visible = static_cast<double>(fontHeight) * m_VerticalDpi / 72.0 >= 1.0;
    if (!drawn && visible && m_FailedFontHeight == 0)
        m_FailedFontHeight = fontHeight;
    return drawn;
}

bool CImageWriter::CFreeTypeLib::InkOutside(const FT_Bitmap_& bitmap, int x, int y) const
{
    const bool gray = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
    if (!m_Writer || !bitmap.buffer || (!gray && bitmap.pixel_mode != FT_PIXEL_MODE_MONO))
        return false; // a bitmap BlendGlyph would not draw loses nothing
    const std::int64_t rows = bitmap.rows;
    const std::int64_t width = bitmap.width;
    if (x >= 0 && y >= 0 && x + width <= m_Writer->m_Width && y + rows <= m_Writer->m_Height)
        return false;
    for (std::int64_t i = 0; i < rows; ++i) {
        const unsigned char* source = BitmapRow(bitmap, i);
        const bool rowInside = y + i >= 0 && y + i < m_Writer->m_Height;
        for (std::int64_t k = 0; k < width; ++k)
            if (!(rowInside && x + k >= 0 && x + k < m_Writer->m_Width) && Coverage(source, k, gray) != 0)
                return true;
    }
    return false;
}

void CImageWriter::CFreeTypeLib::BlendGlyph(const FT_Bitmap_& bitmap, int x, int y, Colour colour)
{
    if (!m_Writer || !m_Writer->m_Rows || !bitmap.buffer)
        return;
    const bool gray = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
    if (!gray && bitmap.pixel_mode != FT_PIXEL_MODE_MONO)
        return;
    const std::int64_t rows = bitmap.rows;
    const std::int64_t width = bitmap.width;
    // Only the columns and rows that land inside the raster.
    const std::int64_t firstColumn = std::max<std::int64_t>(0, -std::int64_t{x});
    const std::int64_t endColumn = std::min<std::int64_t>(width, std::int64_t{m_Writer->m_Width} - x);
    const std::int64_t firstRow = std::max<std::int64_t>(0, -std::int64_t{y});
    const std::int64_t endRow = std::min<std::int64_t>(rows, std::int64_t{m_Writer->m_Height} - y);
    const bool alpha = m_Writer->m_Channels == 4;
    if (m_Writer->m_Indexed) {
        DrawIndexed(bitmap, x, y, m_Writer->IndexOf(colour));
        return;
    }
    const std::uint8_t ink[3] = {static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8),
                                 static_cast<std::uint8_t>(colour >> 16)};

    for (std::int64_t i = firstRow; i < endRow; ++i) {
        const unsigned char* source = BitmapRow(bitmap, i);
        std::uint8_t* target = m_Writer->m_Rows[y + i];
        for (std::int64_t k = firstColumn; k < endColumn; ++k) {
            const unsigned coverage = Coverage(source, k, gray);
            if (coverage == 0)
                continue;
            if (alpha) {
                CompositeOver(target + 4 * (x + k), ink, coverage);
                continue;
            }
            std::uint8_t* pixel = target + 3 * (x + k);
            for (int channel = 0; channel < 3; ++channel)
                pixel[channel] = BlendChannel(pixel[channel], ink[channel], coverage);
        }
    }
}

// An indexed raster takes the ink where a gray bitmap (an embedded strike of
// a font file) covers at least half the pixel, and where a one-bit bitmap is set.
void CImageWriter::CFreeTypeLib::DrawIndexed(const FT_Bitmap_& bitmap, int x, int y, std::uint8_t index)
{
    const bool gray = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY;
    const std::int64_t rows = bitmap.rows;
    const std::int64_t firstColumn = std::max<std::int64_t>(0, -std::int64_t{x});
    const std::int64_t endColumn = std::min<std::int64_t>(bitmap.width, std::int64_t{m_Writer->m_Width} - x);
    const std::int64_t firstRow = std::max<std::int64_t>(0, -std::int64_t{y});
    const std::int64_t endRow = std::min<std::int64_t>(rows, std::int64_t{m_Writer->m_Height} - y);
    for (std::int64_t i = firstRow; i < endRow; ++i) {
        const unsigned char* source = BitmapRow(bitmap, i);
        std::uint8_t* target = m_Writer->m_Rows[y + i] + x;
        for (std::int64_t k = firstColumn; k < endColumn; ++k)
            if (Coverage(source, k, gray) >= 128)
                target[k] = index;
    }
}

// Text of the given coverage laid "over" an RGBA pixel (Porter and Duff): the
// alphas combine, and the colour is the alpha-weighted mean of text and
// pixel, rounded to nearest. Over a transparent pixel that is the text colour
// with the coverage as alpha; over an opaque one the alpha stays 255.
void CImageWriter::CFreeTypeLib::CompositeOver(std::uint8_t* pixel, const std::uint8_t ink[3],
                                               unsigned coverage)
{
    const unsigned under = pixel[3];
    // Both weights in 1/65025ths (255 x 255); their sum is the new alpha's.
    const unsigned inkWeight = coverage * 255U;
    const unsigned underWeight = under * (255U - coverage);
    const unsigned total = inkWeight + underWeight;
    for (int channel = 0; channel < 3; ++channel)
        pixel[channel] = static_cast<std::uint8_t>(
            (ink[channel] * inkWeight + pixel[channel] * underWeight + total / 2) / total);
    pixel[3] = static_cast<std::uint8_t>((total + 127U) / 255U);
}

// Mixed on the inverted values (255 - v) in whole numbers and rounded down
// there, so partial coverage rounds toward the lighter value, full coverage
// gives the ink exactly, and the result never leaves the range between the
// two (equal values stay equal).
std::uint8_t CImageWriter::CFreeTypeLib::BlendChannel(std::uint8_t under, std::uint8_t ink, unsigned coverage)
{
    coverage = std::min(coverage, 255U);
    const unsigned mixed = ((255U - under) * (255U - coverage) + (255U - ink) * coverage) / 255U;
    return static_cast<std::uint8_t>(255U - mixed);
}

} // namespace kavren::detail
