#include "image/GlyphPlacement.h"

#include "common/Geometry.h"
#include "image/EmbeddedFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_MODULE_H

#ifdef KAVREN_FREETYPE_MODULES
// Module classes of the static FreeType archive, which the shared library
// does not export. Each begins with its FT_Module_Class, which is all that
// FT_Add_Module takes. The memory manager is FT_Init_FreeType's own, so that
// FT_Done_FreeType releases either kind of library.
extern "C" {
FT_Memory FT_New_Memory();
void FT_Done_Memory(FT_Memory memory);
extern const FT_Module_Class sfnt_module_class;
extern const FT_Module_Class tt_driver_class;
extern const FT_Module_Class ft_smooth_renderer_class;
}
#endif

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

std::int32_t ClampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// 16.16 fixed point, truncated toward zero.
FT_Fixed ToFixed(double value)
{
    return static_cast<FT_Fixed>(value * 65536.0);
}

// Whole pixels of a 26.6 value, rounded toward minus infinity.
FT_Pos FloorPixels(FT_Pos value)
{
    return value >= 0 ? value / 64 : -((-value + 63) / 64);
}

// Total advance of the unrotated text in 26.6 units, kerning left out; only
// alignment in a span needs it.
FT_Pos TotalAdvance(FT_Face face, const unsigned char* text, std::size_t length, FT_Int32 loadFlags)
{
    FT_Set_Transform(face, nullptr, nullptr);
    FT_Pos total = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (FT_Load_Glyph(face, FT_Get_Char_Index(face, text[i]), loadFlags) == 0) {
            const FT_Vector& advance = face->glyph->advance;
            total += std::max(std::abs(advance.x), std::abs(advance.y));
        }
    }
    return total;
}

} // namespace

CFontFace::~CFontFace()
{
    if (m_Face)
        FT_Done_Face(m_Face);
    if (m_Library)
        FT_Done_FreeType(m_Library);
}

namespace {

// The embedded font is a hinted TrueType font: its glyphs need only the
// TrueType driver (with the sfnt tables it reads) and the anti-aliasing
// rasteriser; starting FreeType with just those saves initialising a dozen
// others, and in a static link leaves them out of the program. A font file may
// be of any kind (or unhinted, for the auto-hinter), so it gets them all.
FT_Error NewLibrary([[maybe_unused]] const char* fontPath, FT_Library& library)
{
#ifdef KAVREN_FREETYPE_MODULES
    if (!fontPath) {
        FT_Memory memory = FT_New_Memory();
        if (!memory)
            return FT_Err_Out_Of_Memory;
        if (const FT_Error error = FT_New_Library(memory, &library)) {
            FT_Done_Memory(memory);
            return error;
        }
        for (const FT_Module_Class* module :
             {&sfnt_module_class, &tt_driver_class, &ft_smooth_renderer_class})
            if (const FT_Error error = FT_Add_Module(library, module)) {
                FT_Done_FreeType(library); // releases the memory too
                library = nullptr;
                return error;
            }
        return 0;
    }
#endif
    return FT_Init_FreeType(&library);
}

} // namespace

int OpenFont(const char* fontPath, FT_LibraryRec_*& library, FT_FaceRec_*& face)
{
    if (face)
        return 0;
    if (!library) {
        if (const FT_Error error = NewLibrary(fontPath, library)) {
            library = nullptr;
            return error;
        }
    }
    const FT_Error error = fontPath ? FT_New_Face(library, fontPath, 0, &face)
                                    : FT_New_Memory_Face(library, g_EmbeddedFont,
                                                         static_cast<FT_Long>(g_EmbeddedFontSize), 0, &face);
    if (error) {
        face = nullptr;
        return error;
    }
    return 0;
}

int CFontFace::Open(const char* fontPath)
{
    return OpenFont(fontPath, m_Library, m_Face);
}

namespace {

// The font height's share of the band in pixels: the font height itself at
// 96 dpi, where the band was first defined, and as many times more as the
// resolution is higher, so the band keeps its physical size with the text.
std::int64_t BandFontHeight(int fontHeight, int verticalDpi)
{
    constexpr std::int64_t kBandDpi = 96;
    if (verticalDpi <= 0 || verticalDpi == kBandDpi)
        return fontHeight;
    return (std::int64_t{fontHeight} * verticalDpi + kBandDpi / 2) / kBandDpi;
}

} // namespace

std::int32_t MeasureTextBand(FT_FaceRec_* face, int fontHeight, int horizontalDpi, int verticalDpi)
{
    const std::int64_t height = BandFontHeight(fontHeight, verticalDpi);
    const std::int64_t fallback = height * 3 / 2;
    if (!face)
        return ClampToInt32(fallback);
    // Points at the given resolution: at 96 dpi the em is fontHeight x 96 / 72 pixels.
    if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(fontHeight) * 64,
                         static_cast<FT_UInt>(std::max(horizontalDpi, 0)),
                         static_cast<FT_UInt>(std::max(verticalDpi, 0))) != 0)
        return ClampToInt32(fallback);
    // 'j' has the deepest descender of the ASCII letters; the band reserves it
    // below the baseline and, for symmetry, above the cap height.
    if (FT_Load_Glyph(face, FT_Get_Char_Index(face, 'j'), FT_LOAD_DEFAULT) != 0)
        return ClampToInt32(fallback);
    const FT_Glyph_Metrics& metrics = face->glyph->metrics;
    const std::int64_t descent = (metrics.height - metrics.horiBearingY) / 64;
    return ClampToInt32(height + 2 * descent);
}

void PlaceGlyphs(FT_FaceRec_* face, int horizontalDpi, int verticalDpi, const unsigned char* text,
                 std::size_t length, int fontHeight, int mode, int x, int y, int span, double angle,
                 bool outlinesOnly, const GlyphSink& sink)
{
    if (!face || length == 0)
        return;
    const FT_Int32 loadFlags = FT_LOAD_DEFAULT | (outlinesOnly ? FT_LOAD_NO_BITMAP : 0);
    const std::int32_t textHeight = MeasureTextBand(face, fontHeight, horizontalDpi, verticalDpi);
    const std::int64_t descent = (std::int64_t{textHeight} - BandFontHeight(fontHeight, verticalDpi)) / 2;
    if (!std::isfinite(angle))
        angle = 0.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    FT_Matrix matrix{ToFixed(c), ToFixed(-s), ToFixed(s), ToFixed(c)};

    const bool aligned = span != 0 && (mode == 1 || mode == 2 || (mode == 3 && length > 1));
    const FT_Pos total = aligned ? TotalAdvance(face, text, length, loadFlags) : 0;
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

    const bool kerning = FT_HAS_KERNING(face);
    FT_Vector pen{0, 0};
    FT_UInt previous = 0;
    bool hasPrevious = false;
    for (std::size_t i = 0; i < length; ++i) {
        const FT_UInt glyphIndex = FT_Get_Char_Index(face, text[i]);
        if (kerning && hasPrevious && glyphIndex != 0) {
            FT_Vector kern{0, 0};
            FT_Get_Kerning(face, previous, glyphIndex, FT_KERNING_DEFAULT, &kern);
            pen.x += static_cast<FT_Pos>(static_cast<double>(kern.x) * c);
            pen.y += static_cast<FT_Pos>(static_cast<double>(kern.x) * s);
        }
        // FreeType gets only the sub-pixel part of the pen; the whole pixels
        // go to the origin, so long texts and far positions stay within the
        // rasteriser's 16-bit coordinate range.
        const FT_Vector whole{FloorPixels(pen.x), FloorPixels(pen.y)};
        FT_Vector fraction{pen.x - whole.x * 64, pen.y - whole.y * 64};
        FT_Set_Transform(face, &matrix, &fraction);
        if (FT_Load_Glyph(face, glyphIndex, loadFlags) != 0)
            continue;
        FT_Glyph glyph = nullptr;
        if (FT_Get_Glyph(face->glyph, &glyph) != 0)
            continue;
        pen.x += face->glyph->advance.x;
        pen.y += face->glyph->advance.y;
        if (mode == 3 && aligned) {
            pen.x += static_cast<FT_Pos>(extra * c);
            pen.y += static_cast<FT_Pos>(extra * s);
        }
        previous = glyphIndex;
        hasPrevious = true;
        sink(glyph, startX + whole.x + dx, startY + dy - whole.y);
        FT_Done_Glyph(glyph);
    }
    FT_Set_Transform(face, nullptr, nullptr);
}
