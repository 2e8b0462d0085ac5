#include "image/EmbeddedFont.h"
#include "image/ImageWriter.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

std::int32_t ClampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// Keeps a far-away position far away without overflowing int: rasters and
// glyph bitmaps are both far smaller than 2^30 pixels.
int ClampPosition(std::int64_t value)
{
    constexpr std::int64_t limit = std::int64_t{1} << 30;
    return static_cast<int>(std::clamp(value, -limit, limit));
}

// 16.16 fixed point, truncated toward zero.
FT_Fixed ToFixed(double value)
{
    return static_cast<FT_Fixed>(value * 65536.0);
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

CImageWriter::CFreeTypeLib::~CFreeTypeLib()
{
    if (m_Face)
        FT_Done_Face(m_Face);
    if (m_Library)
        FT_Done_FreeType(m_Library);
}

int CImageWriter::CFreeTypeLib::Init()
{
    if (!m_Writer)
        return 1;
    if (m_Face)
        return 0;
    if (!m_Library) {
        if (const FT_Error error = FT_Init_FreeType(&m_Library)) {
            m_Library = nullptr;
            return error;
        }
    }
    const FT_Error error = m_FontPath
                               ? FT_New_Face(m_Library, m_FontPath, 0, &m_Face)
                               : FT_New_Memory_Face(m_Library, g_EmbeddedFont,
                                                    static_cast<FT_Long>(g_EmbeddedFontSize), 0, &m_Face);
    if (error) {
        m_Face = nullptr;
        return error;
    }
    return 0;
}

std::int32_t CImageWriter::CFreeTypeLib::MeasureTextHeight(int fontHeight)
{
    const std::int64_t fallback = std::int64_t{fontHeight} * 3 / 2;
    if (!m_Face)
        return ClampToInt32(fallback);
    // Points at the writer's resolution: at 96 dpi the em is fontHeight x 96 / 72 pixels.
    if (FT_Set_Char_Size(m_Face, 0, static_cast<FT_F26Dot6>(fontHeight) * 64,
                         static_cast<FT_UInt>(std::max(m_HorizontalDpi, 0)),
                         static_cast<FT_UInt>(std::max(m_VerticalDpi, 0))) != 0)
        return ClampToInt32(fallback);
    // 'j' has the deepest descender of the ASCII letters; the band reserves it
    // below the baseline and, for symmetry, above the cap height.
    if (FT_Load_Glyph(m_Face, FT_Get_Char_Index(m_Face, 'j'), FT_LOAD_DEFAULT) != 0)
        return ClampToInt32(fallback);
    const FT_Glyph_Metrics& metrics = m_Face->glyph->metrics;
    const std::int64_t descent = (metrics.height - metrics.horiBearingY) / 64;
    return ClampToInt32(fontHeight + 2 * descent);
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
    if (!m_Face || length == 0)
        return true;
    const std::int32_t textHeight = MeasureTextHeight(fontHeight); // also sets the size
    const std::int64_t descent = (std::int64_t{textHeight} - fontHeight) / 2;
    if (!std::isfinite(angle))
        angle = 0.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    FT_Matrix matrix{ToFixed(c), ToFixed(-s), ToFixed(s), ToFixed(c)};

    // Total advance of the unrotated text, kerning left out; only alignment
    // in a span needs it.
    const bool aligned = span != 0 && (mode == 1 || mode == 2 || (mode == 3 && length > 1));
    FT_Pos total = 0;
    if (aligned) {
        FT_Set_Transform(m_Face, nullptr, nullptr);
        for (std::size_t i = 0; i < length; ++i) {
            if (FT_Load_Glyph(m_Face, FT_Get_Char_Index(m_Face, text[i]), FT_LOAD_DEFAULT) == 0) {
                const FT_Vector& advance = m_Face->glyph->advance;
                total += std::max(std::abs(advance.x), std::abs(advance.y));
            }
        }
    }

    std::int64_t startX = x;
    std::int64_t startY = y;
    double extra = 0.0; // 26.6 units added after every glyph when spreading
    if (aligned) {
        const std::int64_t spare = std::int64_t{span} - total / 64;
        const std::int64_t shift = mode == 1 ? spare : mode == 2 ? spare / 2 : 0;
        startX += static_cast<std::int64_t>(static_cast<double>(shift) * c);
        startY -= static_cast<std::int64_t>(static_cast<double>(shift) * s);
        if (mode == 3)
            extra = static_cast<double>(std::int64_t{span} * 64 - total) / static_cast<double>(length - 1);
    }
    // From the descender line up to the baseline, rotated with the text.
    const std::int64_t dx = -RoundHalfAway(static_cast<double>(descent) * s);
    const std::int64_t dy = -RoundHalfAway(static_cast<double>(descent) * c);

    const bool kerning = FT_HAS_KERNING(m_Face);
    FT_Vector pen{0, 0};
    FT_UInt previous = 0;
    bool hasPrevious = false;
    for (std::size_t i = 0; i < length; ++i) {
        const FT_UInt glyphIndex = FT_Get_Char_Index(m_Face, text[i]);
        if (kerning && hasPrevious && glyphIndex != 0) {
            FT_Vector kern{0, 0};
            FT_Get_Kerning(m_Face, previous, glyphIndex, FT_KERNING_DEFAULT, &kern);
            pen.x += static_cast<FT_Pos>(static_cast<double>(kern.x) * c);
            pen.y += static_cast<FT_Pos>(static_cast<double>(kern.x) * s);
        }
        // FreeType gets only the sub-pixel part of the pen; the whole pixels
        // are added when blending, so long texts and far positions stay
        // within the rasteriser's 16-bit coordinate range.
        const FT_Vector whole{pen.x >= 0 ? pen.x / 64 : -((-pen.x + 63) / 64),
                              pen.y >= 0 ? pen.y / 64 : -((-pen.y + 63) / 64)};
        FT_Vector fraction{pen.x - whole.x * 64, pen.y - whole.y * 64};
        FT_Set_Transform(m_Face, &matrix, &fraction);
        if (FT_Load_Glyph(m_Face, glyphIndex, FT_LOAD_DEFAULT) != 0)
            continue;
        FT_Glyph glyph = nullptr;
        if (FT_Get_Glyph(m_Face->glyph, &glyph) != 0)
            continue;
        pen.x += m_Face->glyph->advance.x;
        pen.y += m_Face->glyph->advance.y;
        if (mode == 3 && aligned) {
            pen.x += static_cast<FT_Pos>(extra * c);
            pen.y += static_cast<FT_Pos>(extra * s);
        }
        previous = glyphIndex;
        hasPrevious = true;
        const std::int64_t originX = startX + whole.x + dx;
        const std::int64_t originY = startY + dy - whole.y;
        if (Overlaps(glyph, originX, originY) &&
            FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1) == 0) {
            const auto* bitmapGlyph = reinterpret_cast<const FT_BitmapGlyphRec*>(glyph);
            // The bitmap's top counts upward from the baseline; raster rows grow downward.
            BlendGlyph(bitmapGlyph->bitmap, ClampPosition(originX + bitmapGlyph->left),
                       ClampPosition(originY - bitmapGlyph->top), colour);
        }
        FT_Done_Glyph(glyph);
    }
    FT_Set_Transform(m_Face, nullptr, nullptr);
    return true;
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
    const std::int64_t pitch = bitmap.pitch;
    // Only the columns and rows that land inside the raster.
    const std::int64_t firstColumn = std::max<std::int64_t>(0, -std::int64_t{x});
    const std::int64_t endColumn = std::min<std::int64_t>(width, std::int64_t{m_Writer->m_Width} - x);
    const std::int64_t firstRow = std::max<std::int64_t>(0, -std::int64_t{y});
    const std::int64_t endRow = std::min<std::int64_t>(rows, std::int64_t{m_Writer->m_Height} - y);
    const double ink[3] = {static_cast<double>(255 - (colour & 0xff)),
                           static_cast<double>(255 - ((colour >> 8) & 0xff)),
                           static_cast<double>(255 - ((colour >> 16) & 0xff))};

    for (std::int64_t i = firstRow; i < endRow; ++i) {
        // A negative pitch means the buffer holds the bottom row first.
        const unsigned char* source = bitmap.buffer + (pitch >= 0 ? i * pitch : (rows - 1 - i) * -pitch);
        std::uint8_t* target = m_Writer->m_Rows[y + i];
        for (std::int64_t k = firstColumn; k < endColumn; ++k) {
            const unsigned coverage = gray ? source[k] : ((source[k >> 3] >> (7 - (k & 7))) & 1U) * 255U;
            if (coverage == 0)
                continue;
            // Mixed on the inverted values and truncated there, so full
            // coverage gives the text colour exactly.
            const double a = coverage / 255.0;
            std::uint8_t* pixel = target + 3 * (x + k);
            for (int channel = 0; channel < 3; ++channel) {
                const double mixed = (255 - pixel[channel]) * (1.0 - a) + ink[channel] * a;
                pixel[channel] = static_cast<std::uint8_t>(255 - static_cast<int>(mixed));
            }
        }
    }
}
